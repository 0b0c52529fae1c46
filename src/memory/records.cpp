#include "memory/records.h"

#include "core/panel_state.h"

namespace keldar {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// count digits starting at the 0-based offset.
bool digitsAt(std::string_view text, std::size_t offset, std::size_t count) {
  if (offset + count > text.size()) return false;
  for (std::size_t i = offset; i < offset + count; ++i) {
    if (!isDigit(text[i])) return false;
  }
  return true;
}

bool isKind(char c) {
  return c == '0' || c == '1' || c == '5';
}

bool isMode(char c) {
  return c >= '1' && c <= '7';
}

// Kind, mode, then "A" and nine digits at the 0-based offset.
bool soundHead(std::string_view text, std::size_t aOffset) {
  return text.size() >= aOffset + 10 && isKind(text[0]) && isMode(text[1]) &&
         text[aOffset] == 'A' && digitsAt(text, aOffset + 1, 9);
}

// The "B" part, tone code and preamp digit from the 0-based offset of "B".
bool soundTail(std::string_view text, std::size_t bOffset) {
  if (text[bOffset] != 'B') return false;
  const bool repeater = text[0] == '5';
  const bool partB = repeater ? (text[bOffset + 1] == '+' || text[bOffset + 1] == '-') &&
                                    digitsAt(text, bOffset + 2, 8)
                              : digitsAt(text, bOffset + 1, 9);
  return partB && digitsAt(text, bOffset + 10, 3) && isDigit(text[bOffset + 13]);
}

}  // namespace

bool isMemoryRecord(std::string_view text) {
  if (text.size() != kMemoryRecordLength || !soundHead(text, 4)) return false;
  if (!digitsAt(text, 2, 2)) return false;
  const int band = (text[2] - '0') * 10 + (text[3] - '0');
  return band >= 1 && band <= kBandCount && soundTail(text, 14);
}

bool isBandRecord(std::string_view text) {
  return text.size() == kBandRecordLength && soundHead(text, 2) && soundTail(text, 12);
}

bool isEmptyChannel(std::string_view text) {
  return !text.empty() && text.front() == '9';
}

std::string channelFromLine(std::string_view line) {
  if (line == kEmptyChannel || isMemoryRecord(line)) return std::string(line);
  return std::string(kEmptyChannel);
}

std::string bandRecordFromLine(std::string_view line, int row) {
  if (isBandRecord(line)) return std::string(line);
  if (soundHead(line, 2)) {
    const std::string head(line.substr(0, 12));
    const std::string partB = head[0] == '5' ? "B+00000000" : "B" + head.substr(3, 9);
    return head + partB + "9990";
  }
  if (row < 1 || row > kBandCount) return std::string();
  return kDefaultBandTable[static_cast<std::size_t>(row)];
}

}  // namespace keldar
