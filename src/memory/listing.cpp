#include "memory/listing.h"

#include <string_view>

#include "core/panel_mode.h"
#include "memory/durable_file.h"
#include "memory/records.h"

namespace keldar {

namespace {

constexpr std::string_view kListingFile = "memory.txt";

// Mode texts by the record's mode digit, LSB first.
constexpr std::string_view kModeTexts[] = {"  LSB", "  USB",  "  CW", "  AM",
                                           "  FMN", "  C4FM", "  FMW"};

// Three characters of MHz as a number without leading zeros ("014" -> "14").
std::string wholeMhz(std::string_view digits) {
  return digitsOf(toInt32(textToNumber(digits)));
}

// Six digits below the MHz with trailing zeros cut, one digit always kept
// ("000000" -> "0", "012500" -> "0125").
std::string fraction(std::string_view digits) {
  std::string result = leftText(digits, 1);
  std::string_view rest = digits;
  while (!rest.empty()) {
    rest.remove_prefix(1);
    if (!rest.empty() && textToNumber(rest) != 0) result += rest.front();
  }
  return result;
}

std::string frequencyAt(std::string_view record, long position) {
  return wholeMhz(midText(record, position, 3)) + "." + fraction(midText(record, position + 3, 6));
}

std::string modeText(std::string_view record) {
  const int32_t code = toInt32(textToNumber(midText(record, 2, 1)));
  return isPanelMode(code) ? std::string(kModeTexts[code - kLsb]) : std::string();
}

// The repeater offset in kHz without its leading zeros ("00000600" -> "600").
std::string offsetText(std::string_view record) {
  const std::string digits = midText(record, 17, 8);
  const auto first = digits.find_first_not_of('0');
  return first == std::string::npos ? std::string() : digits.substr(first);
}

std::string toneText(std::string_view record) {
  const std::string code = midText(record, 25, 3);
  if (code == "999") return {};
  const bool dcs = compareText(leftText(code, 1), "4") > 0;
  return "   " + std::string(dcs ? "DCS=" : "CTCSS=") + code;
}

std::string listingLine(std::string_view record, int slot) {
  const char kind = charAt(record, 1);
  std::string line = "Slot " + digitsOf(slot) + " A=" + frequencyAt(record, 6);
  if (kind != '5') line += "  B=" + frequencyAt(record, 16);
  line += modeText(record);
  if (kind == '5') {
    line += "  Repeater  ";
    line += charAt(record, 16) == '+' ? "+" : "-";
    line += offsetText(record) + "Khz";
  }
  line += kind == '1' ? "  split" : "       ";
  return line + toneText(record);
}

}  // namespace

std::vector<std::string> memoryListingLines(const PanelState& s) {
  std::vector<std::string> lines = {"Memory Bank Information", "  "};
  bool anyListed = false;
  for (int bank = 0; bank < 10; ++bank) {
    bool bankShown = false;
    for (int slot = 0; slot < 10; ++slot) {
      const BasicString& record = s.memoryChannels[static_cast<std::size_t>(bank * 10 + slot)];
      if (isEmptyChannel(record)) continue;
      if (!bankShown) {
        lines.push_back("  ");
        lines.push_back("Bank" + digitsOf(bank));
        bankShown = true;
      }
      lines.push_back(listingLine(record, slot));
      anyListed = true;
    }
  }
  if (!anyListed) lines.push_back("Empty");
  return lines;
}

bool writeMemoryListing(Panel& panel) {
  std::string why;
  if (replaceWithLines(panel, panel.state.listingFile, kListingFile,
                       memoryListingLines(panel.state), why)) {
    return true;
  }
  reportMemoryProblem(panel, "memory.txt not written (" + why + ")");
  return false;
}

}  // namespace keldar
