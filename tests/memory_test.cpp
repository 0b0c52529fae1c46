#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "memory/bank_file.h"
#include "memory/durable_file.h"
#include "memory/listing.h"
#include "memory/records.h"
#include "support/radio_support.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;
using Lines = std::vector<std::string>;

// What start-up puts in place before the banks are loaded.
void setStartValues(PanelState& s) {
  for (int row = 1; row <= kBandCount; ++row) s.bandTable[row] = kDefaultBandTable[row];
  for (BasicString& channel : s.memoryChannels) channel = "9";
}

std::string crlf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A bank file: header, band rows (defaults where not given), channels ("9"
// where not given).
Lines bankLines(const std::string& header, Lines bands = {}, Lines channels = {}) {
  Lines lines = {header};
  for (int row = 1; row <= kBandCount; ++row) {
    lines.push_back(row <= static_cast<int>(bands.size()) ? bands[row - 1]
                                                          : kDefaultBandTable[row]);
  }
  channels.resize(kChannelCount, "9");
  lines.insert(lines.end(), channels.begin(), channels.end());
  return lines;
}

class MemoryBanks : public ::testing::Test {
 protected:
  void SetUp() override {
    setStartValues(sc.state());
    sc.state().debugLog = 1;
    openFile(sc.state().debugFile, sc.path("debug.dat"), "W");
    ::testing::internal::CaptureStderr();
  }
  void TearDown() override {
    if (!stderrTaken_) ::testing::internal::GetCapturedStderr();
  }
  std::string takeStderr() {
    stderrTaken_ = true;
    return ::testing::internal::GetCapturedStderr();
  }
  std::string debugLog() {
    closeFile(sc.state().debugFile);
    return sc.readFile("debug.dat");
  }
  bool leftoverTemp() { return sc.fileExists("savmem.dat.tmp") || sc.fileExists("memory.txt.tmp"); }

  Scenario sc;

 private:
  bool stderrTaken_ = false;
};

TEST_F(MemoryBanks, FirstStartWritesTheDefaultFileAndListing) {
  sc.writeFile("memory.dat", "retired");
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("savmem.dat"), crlf(bankLines("KELDAR v3.2a 3.3b 40")));
  EXPECT_EQ(sc.readFile("memory.txt"), "Memory Bank Information\r\n  \r\nEmpty\r\n");
  EXPECT_FALSE(sc.fileExists("memory.dat"));
  EXPECT_FALSE(sc.fileExists("savmem.bak"));
  EXPECT_FALSE(leftoverTemp());
  EXPECT_EQ(sc.state().bandIndex, 4);
  EXPECT_EQ(sc.state().bandTable[5], kDefaultBandTable[5]);
  // Both files went through the durable replacement.
  EXPECT_EQ(sc.files.replaces, 2);
  EXPECT_EQ(takeStderr(), "");
}

TEST_F(MemoryBanks, HeaderCarriesBandAndNoiseReduction) {
  struct Case {
    int band, noise;
    std::string header;
    int loadedBand, loadedNoise;
  };
  const Case cases[] = {{12, 1, "KELDAR v3.2a 3.3b <1", 12, 1},
                        {0, 1, "KELDAR v3.2a 3.3b", 0, 0},
                        {9, 2, "KELDAR v3.2a 3.3b 92", 9, 0},
                        {14, 0, "KELDAR v3.2a 3.3b >0", 14, 0},
                        {15, 1, "KELDAR v3.2a 3.3b", 0, 0}};
  for (const Case& c : cases) {
    Scenario writer;
    setStartValues(writer.state());
    writer.state().bandIndex = c.band;
    writer.state().noiseReduction = c.noise;
    ASSERT_TRUE(saveMemoryBanks(writer.panel));
    const std::string content = writer.readFile("savmem.dat");
    EXPECT_EQ(content.substr(0, content.find("\r\n")), c.header);

    Scenario reader;
    setStartValues(reader.state());
    reader.state().noiseReduction = 1;
    reader.writeFile("savmem.dat", content);
    loadMemoryBanks(reader.panel);
    EXPECT_EQ(reader.state().bandIndex, c.loadedBand) << c.header;
    EXPECT_EQ(reader.state().noiseReduction, c.loadedNoise) << c.header;
  }
}

TEST_F(MemoryBanks, AnyVersionIsAcceptedAndAStrangeBandCharacterGivesZero) {
  const std::pair<std::string, int> headers[] = {
      {"KELDAR v3.2a 9.9z <1", 12}, {"KELDAR v3.2a 3.3b ?1", 0},   {"KELDAR v3.2a 3.3b z1", 0},
      {"KELDAR v3.2a 3.3b 01", 0},  {"KELDAR v3.2a 3.3b \xff", 0}, {"KELDAR v3.2a", 0}};
  for (const auto& [header, band] : headers) {
    const std::string content = crlf(bankLines(header));
    sc.writeFile("savmem.dat", content);
    sc.state().bandIndex = 4;
    loadMemoryBanks(sc.panel);
    EXPECT_EQ(sc.state().bandIndex, band) << header;
    EXPECT_EQ(sc.readFile("savmem.dat"), content) << "accepted as it is: " << header;
  }
  EXPECT_EQ(sc.files.replaces, 0);
  EXPECT_FALSE(sc.fileExists("savmem.bak"));
}

TEST_F(MemoryBanks, PreviousFormatIsConvertedAndTheOriginalKept) {
  Lines old = {"KELDAR v2.3c 2.0"};
  old.insert(old.end(), 13, "old band line");
  old.push_back("0206A014200000B014200000999");
  old.push_back("9");
  old.push_back("5512A145500000B+00000600008");
  old.push_back("0206A0142");  // damaged: loads as empty
  const std::string original = crlf(old);
  sc.writeFile("savmem.dat", original);
  sc.state().bandTable[6] = "12A014074000B0140740009991";

  loadMemoryBanks(sc.panel);

  const Lines channels = {"0206A014200000B0142000009990", "9", "5512A145500000B+000006000080", "9"};
  for (std::size_t i = 0; i < channels.size(); ++i) {
    EXPECT_EQ(sc.state().memoryChannels[i].str(), channels[i]) << i;
  }
  Lines bands(kDefaultBandTable.begin() + 1, kDefaultBandTable.end());
  bands[5] = "12A014074000B0140740009991";
  EXPECT_EQ(sc.readFile("savmem.dat"), crlf(bankLines("KELDAR v3.2a 3.3b 40", bands, channels)));
  EXPECT_EQ(sc.readFile("savmem.bak"), original);
  EXPECT_NE(takeStderr().find("previous format"), std::string::npos);
}

TEST_F(MemoryBanks, UnknownHeaderIsKeptAsBackupBeforeTheRebuild) {
  // An editor added a byte-order mark: the loader does not know the file.
  const std::string original =
      crlf(bankLines("\xEF\xBB\xBFKELDAR v3.2a 3.3b 61", {}, {"0206A014200000B0142000009991"}));
  sc.writeFile("savmem.dat", original);
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("savmem.bak"), original);
  EXPECT_EQ(sc.readFile("savmem.dat"), crlf(bankLines("KELDAR v3.2a 3.3b 40")));
  EXPECT_EQ(sc.state().memoryChannels[0], "9");
  EXPECT_NE(takeStderr().find("savmem.bak"), std::string::npos);
  EXPECT_NE(debugLog().find("unknown header; kept as savmem.bak"), std::string::npos);
}

TEST_F(MemoryBanks, FileThatCannotBeOpenedIsMovedAsideNotDeleted) {
  namespace fs = std::filesystem;
  // Symbolic links need a privilege on Windows (and Wine makes none).
  std::error_code linkError;
  fs::create_symlink("unplugged/savmem.dat", sc.path("savmem.dat"), linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here: " << linkError.message();
  loadMemoryBanks(sc.panel);
  ASSERT_TRUE(fs::is_symlink(sc.path("savmem.bak")));
  EXPECT_EQ(fs::read_symlink(sc.path("savmem.bak")), "unplugged/savmem.dat");
  EXPECT_EQ(sc.readFile("savmem.dat"), crlf(bankLines("KELDAR v3.2a 3.3b 40")));
  EXPECT_NE(takeStderr().find("cannot be opened"), std::string::npos);
}

TEST_F(MemoryBanks, EmptyFileIsRebuiltWithoutReplacingTheBackup) {
  sc.writeFile("savmem.dat", "");
  sc.writeFile("savmem.bak", "older backup");
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("savmem.bak"), "older backup");
  EXPECT_EQ(sc.readFile("savmem.dat"), crlf(bankLines("KELDAR v3.2a 3.3b 40")));
  EXPECT_NE(takeStderr().find("savmem.dat is empty"), std::string::npos);
}

TEST_F(MemoryBanks, LinkedFileIsUpdatedWhereItLives) {
  namespace fs = std::filesystem;
  fs::create_directory(sc.path("store"));
  sc.writeFile("store/banks", crlf(bankLines("KELDAR v3.2a 3.3b 61")));
  // Symbolic links need a privilege on Windows (and Wine makes none).
  std::error_code linkError;
  fs::create_symlink("store/banks", sc.path("savmem.dat"), linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here: " << linkError.message();
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.state().bandIndex, 6);
  sc.state().memoryChannels[0] = "0206A014200000B0142000009991";
  ASSERT_TRUE(saveMemoryBanks(sc.panel));
  EXPECT_TRUE(fs::is_symlink(sc.path("savmem.dat")));
  EXPECT_EQ(sc.readFile("store/banks").substr(0, 22), "KELDAR v3.2a 3.3b 61\r\n");
  EXPECT_NE(sc.readFile("store/banks").find("0206A014200000B0142000009991"), std::string::npos);
  EXPECT_FALSE(sc.fileExists("store/banks.tmp"));
}

TEST_F(MemoryBanks, RebuildThatCannotBeWrittenStopsOnceAndKeepsMemory) {
  sc.files.fail = true;
  sc.state().memoryChannels[7] = "0206A014200000B0142000009991";
  loadMemoryBanks(sc.panel);  // returns: no endless rebuilding
  EXPECT_FALSE(sc.fileExists("savmem.dat"));
  EXPECT_FALSE(leftoverTemp());
  EXPECT_EQ(sc.state().memoryChannels[7], "0206A014200000B0142000009991");
  EXPECT_EQ(sc.state().bandTable[1], kDefaultBandTable[1]);
  const std::string err = takeStderr();
  EXPECT_NE(err.find("keldar: savmem.dat not saved"), std::string::npos);
  EXPECT_NE(err.find("cannot be rebuilt"), std::string::npos);
  EXPECT_NE(debugLog().find("savmem.dat cannot be rebuilt"), std::string::npos);

  // The same in a directory that does not exist, on the real file layer.
  Scenario gone;
  setStartValues(gone.state());
  gone.panel.workDir = gone.dir.path() + "/missing";
  ::testing::internal::CaptureStderr();
  loadMemoryBanks(gone.panel);
  EXPECT_NE(
      ::testing::internal::GetCapturedStderr().find("savmem.dat.tmp: No such file or directory"),
      std::string::npos);
  EXPECT_EQ(gone.state().memoryChannels[0], "9");
}

TEST_F(MemoryBanks, UnknownHeaderWithoutRoomForABackupIsLeftAlone) {
  const std::string original = crlf(bankLines("KELDAR v9", {}, {"0206A014200000B0142000009991"}));
  sc.writeFile("savmem.dat", original);
  sc.files.fail = true;
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("savmem.dat"), original);
  EXPECT_FALSE(sc.fileExists("savmem.bak"));
  EXPECT_NE(takeStderr().find("savmem.dat left untouched"), std::string::npos);
}

TEST_F(MemoryBanks, BackupsAreNumberedAndNoneIsWrittenOver) {
  namespace fs = std::filesystem;
  const Lines names = {"savmem.bak", "savmem.bak.1", "savmem.bak.2", "savmem.bak.3",
                       "savmem.bak.4"};
  // A good backup beside a damaged file survives each start that finds one.
  sc.writeFile("savmem.bak", "the good backup");
  for (int start = 1; start <= 4; ++start) {
    sc.writeFile("savmem.dat", "damaged " + std::to_string(start));
    loadMemoryBanks(sc.panel);
    EXPECT_EQ(sc.readFile(names[static_cast<std::size_t>(start)]),
              "damaged " + std::to_string(start));
    EXPECT_NE(takeStderr().find("kept as " + names[static_cast<std::size_t>(start)]),
              std::string::npos);
    ::testing::internal::CaptureStderr();
  }
  EXPECT_EQ(sc.readFile("savmem.bak"), "the good backup");
  // All five taken: the oldest goes, and only it.
  const auto now = fs::file_time_type::clock::now();
  for (std::size_t i = 0; i < names.size(); ++i) {
    fs::last_write_time(sc.path(names[i]), now - std::chrono::hours(i == 2 ? 50 : 10 - i));
  }
  sc.writeFile("savmem.dat", "damaged 5");
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("savmem.bak.2"), "damaged 5");
  EXPECT_EQ(sc.readFile("savmem.bak"), "the good backup");
  EXPECT_EQ(sc.readFile("savmem.bak.4"), "damaged 4");
  EXPECT_FALSE(sc.fileExists("savmem.bak.5"));
  EXPECT_NE(takeStderr().find("kept as savmem.bak.2"), std::string::npos);
}

// FIFOs are a POSIX file kind; Windows has none to refuse.
#ifndef _WIN32
TEST_F(MemoryBanks, BankFilesThatAreNotPlainFilesAreRefusedAndNeverWritten) {
  namespace fs = std::filesystem;
  struct Case {
    std::string name;
    std::function<void(const std::string&)> make;
    std::string kind;
  };
  const Case cases[] = {
      {"savmem.dat", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
       "a FIFO"},
      {"savmem.dat", [](const std::string& p) { fs::create_directory(p); }, "a directory"},
      {"memory.txt", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
       "a FIFO"},
  };
  takeStderr();
  for (const Case& c : cases) {
    Scenario odd;
    setStartValues(odd.state());
    c.make(odd.path(c.name));
    odd.state().memoryChannels[3] = "0206A014200000B0142000009991";
    ::testing::internal::CaptureStderr();
    loadMemoryBanks(odd.panel);  // returns: a FIFO is never opened
    EXPECT_EQ(odd.takePhrases(), (Lines{"memfile", "notfile"}));
    EXPECT_EQ(odd.state().bankFilesRefused, 1);
    EXPECT_FALSE(saveMemoryBanks(odd.panel));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.name + " is " + c.kind + ", not a plain file: refused"), std::string::npos)
        << err;
    EXPECT_EQ(fs::status(odd.path(c.name)).type(),
              c.kind == "a FIFO" ? fs::file_type::fifo : fs::file_type::directory);
    EXPECT_FALSE(odd.fileExists("savmem.dat.tmp") || odd.fileExists("memory.txt.tmp"));
    EXPECT_EQ(odd.fileExists("savmem.dat"), c.name == "savmem.dat");
  }
  // The writer alone refuses one that appears later.
  std::string why;
  ASSERT_EQ(::mkfifo(sc.path("memory.txt").c_str(), 0600), 0);
  EXPECT_FALSE(replaceWithLines(sc.panel, sc.state().listingFile, "memory.txt", {"x"}, why));
  EXPECT_NE(why.find("is a FIFO, not a plain file"), std::string::npos) << why;
}
#endif

TEST_F(MemoryBanks, QuitWithBanksThatCannotBeSavedEndsAtTheNextQ) {
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.bankFilesRefused = 1;
  s.connected = 1;
  s.frequency = 7100000;
  s.running = 1;
  testing::answerFrom(sc, {{"FA;", "FA007100000;"}});
  sc.press(testing::vkOf('Q'));
  sc.tick(40);
  EXPECT_EQ(s.running, 1);
  const Lines heard = sc.takePhrases();
  EXPECT_EQ(heard.back(), "notsaved");
  sc.press(testing::vkOf('Q'));
  EXPECT_EQ(s.running, 0);
}

TEST_F(MemoryBanks, AStartAfterAnInterruptedSaveRemovesTemporariesAndRefreshesTheListing) {
  namespace fs = std::filesystem;
  const Lines bank = bankLines("KELDAR v3.2a 3.3b 40", {}, {"0206A014200000B0142000009991"});
  sc.writeFile("savmem.dat", crlf(bank));
  sc.writeFile("memory.txt", "the listing of the store before");
  fs::last_write_time(sc.path("memory.txt"),
                      fs::last_write_time(sc.path("savmem.dat")) - std::chrono::seconds(5));
  sc.writeFile("savmem.dat.tmp", "half a save");
  sc.writeFile("memory.txt.tmp", "half a listing");
  sc.writeFile("savmem.bak.tmp", "half a backup");
  loadMemoryBanks(sc.panel);
  EXPECT_FALSE(leftoverTemp());
  EXPECT_FALSE(sc.fileExists("savmem.bak.tmp"));
  EXPECT_EQ(sc.readFile("memory.txt"), crlf(memoryListingLines(sc.state())));
  EXPECT_NE(sc.readFile("memory.txt").find("Slot 0"), std::string::npos);
  EXPECT_NE(takeStderr().find("savmem.dat.tmp left by an interrupted save; removed"),
            std::string::npos);
  // A listing as new as the file is left alone.
  sc.writeFile("memory.txt", "kept");
  loadMemoryBanks(sc.panel);
  EXPECT_EQ(sc.readFile("memory.txt"), "kept");
}

TEST_F(MemoryBanks, FailedSaveKeepsTheOldFilesAndSaysSo) {
  ASSERT_TRUE(saveMemoryBanks(sc.panel));
  const std::string oldBanks = sc.readFile("savmem.dat");
  const std::string oldListing = sc.readFile("memory.txt");
  sc.state().memoryChannels[37] = "0206A014200000B0142000009991";
  sc.files.fail = true;
  EXPECT_FALSE(saveMemoryBanks(sc.panel));
  EXPECT_EQ(sc.readFile("savmem.dat"), oldBanks);
  EXPECT_EQ(sc.readFile("memory.txt"), oldListing);
  EXPECT_FALSE(leftoverTemp());
  EXPECT_NE(takeStderr().find("keldar: savmem.dat not saved (cannot put "), std::string::npos);
  EXPECT_NE(debugLog().find("savmem.dat not saved"), std::string::npos);

  sc.files.fail = false;
  EXPECT_TRUE(saveMemoryBanks(sc.panel));
  EXPECT_NE(sc.readFile("savmem.dat").find("\r\n0206A014200000B0142000009991\r\n"),
            std::string::npos);
  EXPECT_NE(sc.readFile("memory.txt").find("Bank3"), std::string::npos);
}

TEST_F(MemoryBanks, DamagedLinesLoadWithTheirLayoutAndTheFileIsKept) {
  const Lines bands = {
      "01A001910000A001920000",      // split left half a record: repaired
      "hello",                       // default row
      "52A005400000B+0000",          // repeater cut short: repaired, offset lost
      "01A00710000xB0071000009990",  // a letter in the frequency: default row
      "03A010110000B0101100009990",  // sound: kept
  };
  const Lines channels = {
      "0206A014200000B0142000009991",                    // sound
      "0206A014200000B014200000999",                     // one short
      "0206A014200000B01420000099910",                   // one long
      std::string("02\0\0A014200000B014200000999", 28),  // binary
      "0206A014200000B+000006009991",                    // sign outside a repeater record
      "0215A014200000B0142000009991",                    // band 15
      "0806A014200000B0142000009991",                    // mode 8
      "",                                                // empty line
      std::string(400, '7'),                             // over-long
      "9",                                               // empty slot
      "5512A145500000B-000006005230",                    // repeater with a DCS code
      "1304A007074000B0071000000181",                    // split with a tone
  };
  Lines lines = bankLines("KELDAR v3.2a 3.3b 61", bands, channels);
  lines.resize(1 + kBandCount + channels.size());  // the file ends early
  const std::string original = crlf(lines);
  sc.writeFile("savmem.dat", original);

  loadMemoryBanks(sc.panel);

  const PanelState& s = sc.state();
  EXPECT_EQ(s.bandTable[1], "01A001910000B0019100009990");
  EXPECT_EQ(s.bandTable[2], kDefaultBandTable[2]);
  EXPECT_EQ(s.bandTable[3], "52A005400000B+000000009990");
  EXPECT_EQ(s.bandTable[4], kDefaultBandTable[4]);
  EXPECT_EQ(s.bandTable[5], "03A010110000B0101100009990");
  const std::size_t sound[] = {0, 9, 10, 11};
  for (std::size_t i = 0; i < kChannelCount; ++i) {
    const bool kept = std::find(std::begin(sound), std::end(sound), i) != std::end(sound);
    EXPECT_EQ(s.memoryChannels[i].str(), kept ? channels[i] : "9") << i;
  }
  EXPECT_EQ(sc.readFile("savmem.bak"), original);
  EXPECT_NE(takeStderr().find("savmem.dat: 100 damaged records"), std::string::npos);

  // Saved again, every record has its layout.
  ASSERT_TRUE(saveMemoryBanks(sc.panel));
  FileHandle file;
  ASSERT_EQ(openFile(file, sc.path("savmem.dat"), "R"), 0);
  BasicString line;
  int count = 0;
  while (readLine(file, line) == 0) {
    ++count;
    const bool layout = count <= 15 ? isBandRecord(line) : line == "9" || isMemoryRecord(line);
    EXPECT_TRUE(count == 1 || layout) << count << ": " << line.str();
  }
  EXPECT_EQ(count, 115);
}

TEST(MemoryRecords, LayoutChecks) {
  for (int row = 1; row <= kBandCount; ++row) EXPECT_TRUE(isBandRecord(kDefaultBandTable[row]));
  EXPECT_TRUE(isMemoryRecord("5512A145500000B+000006000080"));
  EXPECT_FALSE(isMemoryRecord("5512A145500000B0145500000080"));  // a repeater needs its sign
  EXPECT_FALSE(isMemoryRecord("0200A014200000B0142000009991"));  // band 00
  EXPECT_FALSE(isBandRecord("92A014200000B0142000009991"));      // kind 9
  EXPECT_FALSE(isBandRecord("02B014200000A0142000009991"));
  EXPECT_TRUE(isEmptyChannel("9") && isEmptyChannel("9junk") && !isEmptyChannel(""));
  EXPECT_EQ(channelFromLine("9junk"), "9");
  EXPECT_EQ(bandRecordFromLine("", 0), "");
}

TEST(MemoryListing, LinesFollowTheRecords) {
  Scenario sc;
  setStartValues(sc.state());
  auto& ch = sc.state().memoryChannels;
  ch[0] = "0206A014200000B0142000009991";
  ch[4] = "1304A007074000B0071000009990";
  ch[21] = "5512A145500000B+000006000080";
  ch[53] = "0101A001900000B1450000000180";
  ch[55] = "0805A012500000B0125000005230";  // mode 8: no mode text
  ch[56] = "0206A014100500B0140125009990";
  ch[99] = "5513A432000000B-000000009990";
  ASSERT_TRUE(saveMemoryBanks(sc.panel));
  EXPECT_EQ(
      sc.readFile("memory.txt"),
      crlf({"Memory Bank Information", "  ", "  ", "Bank0", "Slot 0 A=14.2  B=14.2  USB       ",
            "Slot 4 A=7.074  B=7.1  CW  split", "  ", "Bank2",
            "Slot 1 A=145.5  FMN  Repeater  +600Khz          CTCSS=008", "  ", "Bank5",
            "Slot 3 A=1.9  B=145.0  LSB          CTCSS=018",
            "Slot 5 A=12.5  B=12.5          DCS=523", "Slot 6 A=14.1005  B=14.0125  USB       ",
            "  ", "Bank9", "Slot 9 A=432.0  FMN  Repeater  -Khz       "}));
}

// The band and noise-reduction digits stand at fixed positions after the
// header's stamp: another program version must not move them.
TEST(MemoryHeader, KeepsItsLayoutWhateverTheProgramVersion) {
  for (const char* version : {"3.3", "10.12", "3.4~b1"}) {
    PanelState s;
    s.versionText = version;
    s.bandIndex = 6;
    s.noiseReduction = 1;
    EXPECT_EQ(memoryFileHeader(s), "KELDAR v3.2a 3.3b 61") << version;
  }
}

}  // namespace
}  // namespace keldar
