#include "memory/durable_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/debug_log.h"

namespace keldar {

namespace {

std::string errnoText() {
  return errno != 0 ? std::strerror(errno) : "incomplete write";
}

std::string temporaryName(std::string_view name) {
  return std::string(name) + ".tmp";
}

// A record never holds a line end; cutting at one keeps every file's line
// count fixed, so no later record can shift into another's place.
std::string_view oneLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// Where the file really lives: a link is followed, so that a savmem.dat kept
// elsewhere through a symbolic link is updated there and the link stays.
std::string destinationOf(const Panel& panel, std::string_view name) {
  const std::filesystem::path path = panel.path(name);
  std::error_code ec;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return path.string();
  const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
  return ec ? path.string() : target.string();
}

}  // namespace

std::string temporaryPathOf(const Panel& panel, std::string_view name) {
  return destinationOf(panel, name) + ".tmp";
}

bool replaceWithLines(Panel& panel, FileHandle& handle, std::string_view name,
                      const std::vector<std::string>& lines, std::string& why) {
  const std::string destination = destinationOf(panel, name);
  const std::string temp = destination + ".tmp";
  // A FIFO, device or directory there is the user's, not a file to replace.
  if (const std::string kind = nonFileKind(destination); !kind.empty()) {
    why = destination + " is " + kind + ", not a plain file";
    return false;
  }
  closeFile(handle);
  errno = 0;
  if (openFile(handle, temp, "W") != 0) {
    why = "cannot create " + temp + ": " + errnoText();
    return false;
  }
  bool complete = true;
  for (const std::string& line : lines) {
    const std::string_view text = oneLine(line);
    complete = writeLine(handle, text) == static_cast<int>(text.size() + 2) && complete;
  }
  errno = 0;
  if (!closeFileChecked(handle) || !complete) {
    why = "cannot write " + temp + ": " + errnoText();
    deleteFile(temp);
    return false;
  }
  if (!panel.fs.replaceFileDurably(temp, destination)) {
    why = "cannot put " + destination + " in place";
    deleteFile(temp);
    return false;
  }
  return true;
}

bool copyFileDurably(Panel& panel, std::string_view from, std::string_view to, std::string& why) {
  const std::string temp = panel.path(temporaryName(to));
  std::error_code ec;
  std::filesystem::copy_file(panel.path(from), temp,
                             std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    why = "cannot copy " + std::string(from) + " to " + std::string(to) + ": " + ec.message();
    deleteFile(temp);
    return false;
  }
  if (!panel.fs.replaceFileDurably(temp, panel.path(to))) {
    why = "cannot put " + std::string(to) + " in place";
    deleteFile(temp);
    return false;
  }
  return true;
}

bool moveFile(Panel& panel, std::string_view from, std::string_view to, std::string& why) {
  std::error_code ec;
  std::filesystem::rename(panel.path(from), panel.path(to), ec);
  if (ec)
    why = "cannot rename " + std::string(from) + " to " + std::string(to) + ": " + ec.message();
  return !ec;
}

bool fileIsThere(const Panel& panel, std::string_view name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(panel.path(name), ec));
}

bool fileIsEmpty(const Panel& panel, std::string_view name) {
  std::error_code ec;
  return std::filesystem::file_size(panel.path(name), ec) == 0 && !ec;
}

void reportMemoryProblem(Panel& panel, std::string_view text) {
  std::fprintf(stderr, "keldar: %.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
  writeDebugLine(panel, text);
}

}  // namespace keldar
