#include "platform/terminal_keys.h"

namespace keldar {

namespace {

constexpr char kEscape = '\x1b';
constexpr char kCtrlC = '\x03';
// An escape sequence longer than this is no key of ours.
constexpr std::size_t kLongestSequence = 8;

struct TildeKey {
  std::string_view parameters;
  int32_t code;
};

constexpr TildeKey kTildeKeys[] = {
    {"2", 45},   {"5", 33},   {"6", 34},   {"15", 116}, {"17", 117}, {"18", 118},
    {"19", 119}, {"20", 120}, {"21", 121}, {"23", 122}, {"24", 123},
};

}  // namespace

int32_t plainKeyCode(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  switch (c) {
    case '.':
      return 190;
    case '=':
    case '+':
      return 187;
    case '-':
      return 189;
    case '\r':
    case '\n':
      return 13;
    case ' ':
      return 32;
    default:
      return 0;
  }
}

int32_t csiKeyCode(std::string_view parameters, char final) {
  if (parameters.empty()) {
    switch (final) {
      case 'A':
        return 38;
      case 'B':
        return 40;
      case 'C':
        return 39;
      case 'D':
        return 37;
      default:
        return 0;
    }
  }
  if (final != '~') return 0;
  for (const TildeKey& key : kTildeKeys) {
    if (key.parameters == parameters) return key.code;
  }
  return 0;
}

void KeyDecoder::feed(std::string_view bytes, std::vector<int32_t>& keys) {
  for (char c : bytes) {
    if (holding()) {
      escapeByte(c, keys);
    } else {
      plainByte(c, keys);
    }
  }
}

void KeyDecoder::plainByte(char c, std::vector<int32_t>& keys) {
  // CR LF from a file or pipe is one Enter.
  const bool lfAfterCr = afterCr_ && c == '\n';
  afterCr_ = c == '\r';
  if (lfAfterCr) return;
  if (c == kEscape) {
    held_ = c;
  } else if (c == kCtrlC) {
    keys.push_back(kClose);
  } else if (const int32_t code = plainKeyCode(c); code != 0) {
    keys.push_back(code);
  }
}

void KeyDecoder::escapeByte(char c, std::vector<int32_t>& keys) {
  afterCr_ = false;
  if (c == kEscape) {
    dropHeld();  // the earlier ESC stood alone
    held_ = c;
    return;
  }
  if (held_.size() == 1) {
    // ESC [ and ESC O begin the sequences we know; ESC with anything else
    // (Alt and a key) has no code.
    if (c == '[' || c == 'O') {
      held_ += c;
    } else {
      dropHeld();
    }
    return;
  }
  if (held_[1] == 'O') {
    if (c >= 'P' && c <= 'S') keys.push_back(112 + (c - 'P'));  // F1..F4
    dropHeld();
    return;
  }
  if ((c >= '0' && c <= '9') || c == ';') {
    // Swallowed to its final byte even when too long to be a key of ours.
    if (held_.size() < kLongestSequence) {
      held_ += c;
    } else {
      tooLong_ = true;
    }
    return;
  }
  if (c >= 0x40 && c <= 0x7E && !tooLong_) {
    const int32_t code = csiKeyCode(std::string_view(held_).substr(2), c);
    if (code != 0) keys.push_back(code);
  }
  dropHeld();
}

}  // namespace keldar
