#include "memory/bank_file.h"

#include <string_view>
#include <vector>

#include "memory/durable_file.h"
#include "memory/listing.h"
#include "memory/records.h"
#include "runtime/files.h"

namespace keldar {

namespace {

constexpr std::string_view kBankFile = "savmem.dat";
constexpr std::string_view kBackupFile = "savmem.bak";
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

// Keeps what is at savmem.dat as savmem.bak before the loader replaces it.
bool setAside(Panel& panel, Found found, std::string& why) {
  switch (found) {
    case Found::Missing:
      return true;
    case Found::Unopenable:
      return moveFile(panel, kBankFile, kBackupFile, why);
    default:
      // An empty file holds nothing to keep; copying it would only replace
      // an older backup.
      if (fileIsEmpty(panel, kBankFile)) return true;
      return copyFileDurably(panel, kBankFile, kBackupFile, why);
  }
}

std::string whatWasFound(const Panel& panel, Found found) {
  if (found == Found::UnknownHeader && fileIsEmpty(panel, kBankFile)) {
    return "savmem.dat is empty; rebuilt from memory";
  }
  switch (found) {
    case Found::Unopenable:
      return "savmem.dat cannot be opened; moved to savmem.bak and rebuilt";
    case Found::PreviousFormat:
      return "savmem.dat of the previous format; kept as savmem.bak and converted";
    default:
      return "savmem.dat has an unknown header; kept as savmem.bak and rebuilt from memory";
  }
}

void reportDamage(Panel& panel, int damaged) {
  std::string why;
  const std::string count = digitsOf(damaged);
  if (copyFileDurably(panel, kBankFile, kBackupFile, why)) {
    reportMemoryProblem(panel, "savmem.dat: " + count +
                                   " damaged records loaded as empty or repaired; "
                                   "the file as found is kept as savmem.bak");
  } else {
    reportMemoryProblem(
        panel, "savmem.dat: " + count + " damaged records loaded as empty or repaired; " + why);
  }
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
  // At most one rebuild: a file that still does not read back after it (or a
  // rebuild that cannot be written) leaves the values in memory as they are.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int damaged = 0;
    const Found found = openAndRead(panel, damaged);
    if (found == Found::Loaded) {
      if (damaged > 0 && attempt == 0) reportDamage(panel, damaged);
      return;
    }
    if (attempt > 0) {
      reportMemoryProblem(panel,
                          "savmem.dat does not read back after rebuilding; "
                          "the channels in memory are kept");
      return;
    }
    if (found == Found::Missing || found == Found::Unopenable) deleteFile(panel.path(kRetiredFile));
    std::string why;
    if (!setAside(panel, found, why)) {
      reportMemoryProblem(panel, "savmem.dat left untouched (" + why +
                                     "); the channels in memory are used for this run");
      return;
    }
    if (found != Found::Missing) reportMemoryProblem(panel, whatWasFound(panel, found));
    if (!saveMemoryBanks(panel)) {
      reportMemoryProblem(panel, "savmem.dat cannot be rebuilt; the channels in memory are kept");
      return;
    }
  }
}

bool saveMemoryBanks(Panel& panel) {
  PanelState& s = panel.state;
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
