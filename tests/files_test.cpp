#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/files.h"
#include "support/scenario.h"

namespace keldar {
namespace {

std::vector<std::string> readAll(const std::string& path) {
  FileHandle file;
  std::vector<std::string> lines;
  if (openFile(file, path, "R") != 0) return lines;
  BasicString line;
  while (readLine(file, line) == 0) lines.push_back(line.str());
  // The end stays the end, and the target is left empty there.
  EXPECT_EQ(readLine(file, line), -1);
  EXPECT_EQ(line, "");
  EXPECT_EQ(readLine(file, line), -1);
  closeFile(file);
  return lines;
}

TEST(SequentialFiles, AllLineEndsReadTheSame) {
  testing::Scenario sc;
  const std::vector<std::string> expected = {"one", "", "three"};
  sc.writeFile("lf.txt", "one\n\nthree\n");
  sc.writeFile("cr.txt", "one\r\rthree\r");
  sc.writeFile("crlf.txt", "one\r\n\r\nthree\r\n");
  sc.writeFile("mixed.txt", "one\r\n\rthree");
  EXPECT_EQ(readAll(sc.path("lf.txt")), expected);
  EXPECT_EQ(readAll(sc.path("cr.txt")), expected);
  EXPECT_EQ(readAll(sc.path("crlf.txt")), expected);
  EXPECT_EQ(readAll(sc.path("mixed.txt")), expected);
}

TEST(SequentialFiles, LongLinesAreReadWholeAndCutToTheField) {
  testing::Scenario sc;
  const std::string line200(200, 'x');
  const std::string line400(400, 'y');
  sc.writeFile("long.txt", line200 + "\r\n" + line400 + "\r\nend");
  const auto lines = readAll(sc.path("long.txt"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], line200);
  EXPECT_EQ(lines[1], line400.substr(0, 254));
  EXPECT_EQ(lines[2], "end");
}

TEST(SequentialFiles, EmptyFileAndBinaryBytes) {
  testing::Scenario sc;
  sc.writeFile("empty.txt", "");
  EXPECT_TRUE(readAll(sc.path("empty.txt")).empty());
  sc.writeFile("bin.txt", std::string("a\0b\xff\r\nc", 7));
  const auto lines = readAll(sc.path("bin.txt"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string("a\0b\xff", 4));
}

TEST(SequentialFiles, ModesOpenCreateEmptyAndAppend) {
  testing::Scenario sc;
  FileHandle file;
  EXPECT_EQ(openFile(file, sc.path("missing.txt"), "R"), 1);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(openFile(file, sc.path("new.txt"), "X"), 1);
  EXPECT_EQ(openFile(file, sc.path("new.txt"), "w"), 0);
  EXPECT_EQ(writeLine(file, "abc"), 5);
  EXPECT_EQ(writeLine(file, ""), 2);
  closeFile(file);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(sc.readFile("new.txt"), "abc\r\n\r\n");
  EXPECT_EQ(openFile(file, sc.path("new.txt"), "A"), 0);
  writeLine(file, "more");
  EXPECT_TRUE(closeFileChecked(file));
  EXPECT_EQ(sc.readFile("new.txt"), "abc\r\n\r\nmore\r\n");
  EXPECT_EQ(openFile(file, sc.path("new.txt"), "W"), 0);
  closeFile(file);
  EXPECT_EQ(sc.readFile("new.txt"), "");
  deleteFile(sc.path("new.txt"));
  EXPECT_FALSE(sc.fileExists("new.txt"));
  deleteFile(sc.path("new.txt"));  // a missing file is no error
}

TEST(SequentialFiles, EmptyHandleDoesNothing) {
  FileHandle file;
  BasicString target = "kept";
  EXPECT_EQ(readLine(file, target), -1);
  EXPECT_EQ(target, "kept");
  EXPECT_EQ(writeLine(file, "x"), 0);
  closeFile(file);
  EXPECT_FALSE(closeFileChecked(file));
}

}  // namespace
}  // namespace keldar
