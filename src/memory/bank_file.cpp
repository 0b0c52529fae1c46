#include "memory/bank_file.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "memory/durable_file.h"
#include "memory/listing.h"
#include "memory/records.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr std::string_view kBankFile = "savmem.dat";
constexpr std::string_view kBackupFile = "savmem.bak";
constexpr std::string_view kListingFile = "memory.txt";
// savmem.bak, savmem.bak.1 ... savmem.bak.4.
constexpr int kBackupCount = 5;
constexpr std::string_view kRetiredFile = "memory.dat";
constexpr std::string_view kCurrentFormat = "KELDAR v3.2a";
constexpr std::string_view kPreviousFormat = "KELDAR v2.3c";
// The header's third field is four characters wide: the band and noise
// reduction digits that follow it are read at fixed positions (19 and 20).
// It names the layout, not the program's version, and stays as it is.
constexpr std::string_view kFormatStamp = "3.3b";
constexpr int kPreviousFormatBandLines = 13;

// What the loader found at savmem.dat.
enum class Found { Loaded, Missing, Unopenable, PreviousFormat, UnknownHeader };

void readHeaderFields(PanelState& s, std::string_view header) {
  s.noiseReduction = charAt(header, 20) == '1' ? 1 : 0;
  const int band = static_cast<unsigned char>(charAt(header, 19)) - '0';
  s.bandIndex = band >= 1 && band <= kBandCount ? band : 0;
}

// Reads the band and channel lines after a current header; returns how many
// records were damaged (and so loaded as something else).
int readRecords(PanelState& s) {
  int damaged = 0;
  BasicString line;
  for (int row = 1; row <= kBandCount; ++row) {
    readLine(s.memoryFile, line);
    s.bandTable[row] = bandRecordFromLine(line, row);
    if (!(s.bandTable[row] == line)) ++damaged;
  }
  for (BasicString& channel : s.memoryChannels) {
    readLine(s.memoryFile, line);
    channel = channelFromLine(line);
    if (!(channel == line)) ++damaged;
  }
  return damaged;
}

// The channels of a previous-format file: its band lines are skipped (the
// band table in memory stays) and each channel gains the preamp digit "0".
void convertPreviousFormat(PanelState& s) {
  BasicString line;
  for (int i = 0; i < kPreviousFormatBandLines; ++i) readLine(s.memoryFile, line);
  for (BasicString& channel : s.memoryChannels) {
    readLine(s.memoryFile, line);
    std::string text = line.str();
    if (charAt(text, 1) != '9') text += "0";
    channel = channelFromLine(text);
  }
}

Found openAndRead(Panel& panel, int& damaged) {
  PanelState& s = panel.state;
  if (openFile(s.memoryFile, panel.path(kBankFile), "R") != 0) {
    return fileIsThere(panel, kBankFile) ? Found::Unopenable : Found::Missing;
  }
  BasicString header;
  readLine(s.memoryFile, header);
  Found found = Found::UnknownHeader;
  if (leftText(header, 12) == kCurrentFormat) {
    readHeaderFields(s, header);
    damaged = readRecords(s);
    found = Found::Loaded;
  } else if (leftText(header, 12) == kPreviousFormat) {
    convertPreviousFormat(s);
    found = Found::PreviousFormat;
  }
  closeFile(s.memoryFile);
  return found;
}

std::string backupName(int number) {
  return number == 0 ? std::string(kBackupFile) : std::string(kBackupFile) + "." + digitsOf(number);
}

// Where the next backup goes: the first of the numbered names that is free;
// with all of them taken, the oldest is dropped and its name used. An
// existing backup is never written over.
std::string nextBackupName(Panel& panel) {
  namespace fs = std::filesystem;
  int oldest = 0;
  fs::file_time_type oldestTime = fs::file_time_type::max();
  for (int number = 0; number < kBackupCount; ++number) {
    const std::string name = backupName(number);
    if (!fileIsThere(panel, name)) return name;
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(panel.path(name), ec);
    if (!ec && time < oldestTime) {
      oldestTime = time;
      oldest = number;
    }
  }
  deleteFile(panel.path(backupName(oldest)));
  return backupName(oldest);
}

// A moved file keeps its own time: the backup is stamped now, so that the
// oldest backup is the one made longest ago.
void stampNow(Panel& panel, const std::string& name) {
  std::error_code ec;
  std::filesystem::last_write_time(panel.path(name), std::filesystem::file_time_type::clock::now(),
                                   ec);
}

// Keeps what is at savmem.dat as the next backup before the loader replaces
// it; backup names the one written (empty when nothing needed keeping).
bool setAside(Panel& panel, Found found, std::string& backup, std::string& why) {
  backup.clear();
  if (found == Found::Missing) return true;
  // An empty file holds nothing to keep.
  if (found != Found::Unopenable && fileIsEmpty(panel, kBankFile)) return true;
  const std::string name = nextBackupName(panel);
  const bool kept = found == Found::Unopenable ? moveFile(panel, kBankFile, name, why)
                                               : copyFileDurably(panel, kBankFile, name, why);
  if (!kept) return false;
  stampNow(panel, name);
  backup = name;
  return true;
}

std::string whatWasFound(const Panel& panel, Found found, const std::string& backup) {
  if (found == Found::UnknownHeader && fileIsEmpty(panel, kBankFile)) {
    return "savmem.dat is empty; rebuilt from memory";
  }
  switch (found) {
    case Found::Unopenable:
      return "savmem.dat cannot be opened; moved to " + backup + " and rebuilt";
    case Found::PreviousFormat:
      return "savmem.dat of the previous format; kept as " + backup + " and converted";
    default:
      return "savmem.dat has an unknown header; kept as " + backup + " and rebuilt from memory";
  }
}

void reportDamage(Panel& panel, int damaged) {
  std::string why;
  const std::string count = digitsOf(damaged);
  const std::string backup = nextBackupName(panel);
  if (copyFileDurably(panel, kBankFile, backup, why)) {
    stampNow(panel, backup);
    reportMemoryProblem(panel, "savmem.dat: " + count +
                                   " damaged records loaded as empty or repaired; "
                                   "the file as found is kept as " +
                                   backup);
  } else {
    reportMemoryProblem(
        panel, "savmem.dat: " + count + " damaged records loaded as empty or repaired; " + why);
  }
}

// savmem.dat or memory.txt that is a FIFO, a device or a directory would
// hang the reader or be replaced by the writer: neither is touched this run,
// and the panel starts with no channels loaded.
bool refuseOddBankFiles(Panel& panel) {
  for (std::string_view name : {kBankFile, kListingFile}) {
    const std::string kind = nonFileKind(panel.path(name));
    if (kind.empty()) continue;
    panel.state.bankFilesRefused = true;
    reportMemoryProblem(panel, std::string(name) + " is " + kind +
                                   ", not a plain file: refused; no channels are loaded and "
                                   "neither savmem.dat nor memory.txt is written this run");
    playPhrase(panel, "memfile");
    playPhrase(panel, "notfile");
    return true;
  }
  return false;
}

// What an interrupted save left behind: its temporary files.
void removeStaleTemporaries(Panel& panel) {
  std::vector<std::string> names = {temporaryPathOf(panel, kBankFile),
                                    temporaryPathOf(panel, kListingFile)};
  for (int number = 0; number < kBackupCount; ++number) {
    names.push_back(temporaryPathOf(panel, backupName(number)));
  }
  for (const std::string& path : names) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) continue;
    deleteFile(path);
    reportMemoryProblem(panel, path + " left by an interrupted save; removed");
  }
}

// A listing older than the bank file (a save cut off before it was
// written) is written again; a missing one waits for the next save.
void refreshStaleListing(Panel& panel) {
  namespace fs = std::filesystem;
  std::error_code bankError, listingError;
  const fs::file_time_type bank = fs::last_write_time(panel.path(kBankFile), bankError);
  const fs::file_time_type listing = fs::last_write_time(panel.path(kListingFile), listingError);
  if (bankError || listingError || listing >= bank) return;
  writeMemoryListing(panel);
}

}  // namespace

std::string memoryFileHeader(const PanelState& s) {
  std::string header = std::string(kCurrentFormat) + " " + std::string(kFormatStamp);
  if (s.bandIndex >= 1 && s.bandIndex <= kBandCount) {
    header += " " + charText('0' + s.bandIndex) + charText('0' + s.noiseReduction);
  }
  return header;
}

void loadMemoryBanks(Panel& panel) {
  if (refuseOddBankFiles(panel)) return;
  removeStaleTemporaries(panel);
  // At most one rebuild: a file that still does not read back after it (or a
  // rebuild that cannot be written) leaves the values in memory as they are.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int damaged = 0;
    const Found found = openAndRead(panel, damaged);
    if (found == Found::Loaded) {
      if (damaged > 0 && attempt == 0) reportDamage(panel, damaged);
      refreshStaleListing(panel);
      return;
    }
    if (attempt > 0) {
      reportMemoryProblem(panel,
                          "savmem.dat does not read back after rebuilding; "
                          "the channels in memory are kept");
      return;
    }
    if (found == Found::Missing || found == Found::Unopenable) deleteFile(panel.path(kRetiredFile));
    std::string why, backup;
    if (!setAside(panel, found, backup, why)) {
      reportMemoryProblem(panel, "savmem.dat left untouched (" + why +
                                     "); the channels in memory are used for this run");
      return;
    }
    if (found != Found::Missing) reportMemoryProblem(panel, whatWasFound(panel, found, backup));
    if (!saveMemoryBanks(panel)) {
      reportMemoryProblem(panel, "savmem.dat cannot be rebuilt; the channels in memory are kept");
      return;
    }
  }
}

bool saveMemoryBanks(Panel& panel) {
  PanelState& s = panel.state;
  if (s.bankFilesRefused) {
    reportMemoryProblem(panel, "savmem.dat not saved: refused at start, not a plain file");
    return false;
  }
  std::vector<std::string> lines;
  lines.reserve(1 + kBandCount + kChannelCount);
  lines.push_back(memoryFileHeader(s));
  for (int row = 1; row <= kBandCount; ++row) lines.push_back(s.bandTable[row].str());
  for (const BasicString& channel : s.memoryChannels) lines.push_back(channel.str());
  std::string why;
  if (!replaceWithLines(panel, s.memoryFile, kBankFile, lines, why)) {
    reportMemoryProblem(panel, "savmem.dat not saved (" + why + "); the previous file is kept");
    return false;
  }
  writeMemoryListing(panel);
  return true;
}

}  // namespace keldar
