#include "platform/terminal_keys.h"

#include "base/key_codes.h"

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
    {"2", vk::kInsert}, {"5", vk::kPageUp}, {"6", vk::kPageDown}, {"15", vk::kF5},
    {"17", vk::kF6},    {"18", vk::kF7},    {"19", vk::kF8},      {"20", vk::kF9},
    {"21", vk::kF10},   {"23", vk::kF11},   {"24", vk::kF12},
};

}  // namespace

int32_t plainKeyCode(char c) {
  if (c >= 'a' && c <= 'z') return vk::key(static_cast<char>(c - 'a' + 'A'));
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return vk::key(c);
  switch (c) {
    case '.':
      return vk::kPoint;
    case '=':
    case '+':
      return vk::kPlus;
    case '-':
      return vk::kMinus;
    case '\r':
    case '\n':
      return vk::kEnter;
    case ' ':
      return vk::kSpace;
    default:
      return 0;
  }
}

int32_t csiKeyCode(std::string_view parameters, char final) {
  if (parameters.empty()) {
    switch (final) {
      case 'A':
        return vk::kUp;
      case 'B':
        return vk::kDown;
      case 'C':
        return vk::kRight;
      case 'D':
        return vk::kLeft;
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
    if (c >= 'P' && c <= 'S') keys.push_back(vk::kF1 + (c - 'P'));  // F1..F4
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
