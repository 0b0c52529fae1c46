// The panel's key codes by name: the Windows virtual-key codes, which every
// front end delivers (the Windows window as its messages bring them, the SDL
// window and the terminal through their own maps).
#pragma once

#include <cstdint>

namespace keldar::vk {

// A letter or digit key is its character's code: 'A'..'Z', '0'..'9'.
constexpr int32_t key(char upperOrDigit) {
  return upperOrDigit;
}

constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kClear = 12;  // the numeric pad's 5 without NumLock
constexpr int32_t kEnter = 13;
constexpr int32_t kShift = 16;
constexpr int32_t kCtrl = 17;
constexpr int32_t kAlt = 18;
constexpr int32_t kPause = 19;
constexpr int32_t kCapsLock = 20;
constexpr int32_t kEscape = 27;
constexpr int32_t kSpace = 32;
constexpr int32_t kPageUp = 33;
constexpr int32_t kPageDown = 34;
constexpr int32_t kEnd = 35;
constexpr int32_t kHome = 36;
constexpr int32_t kLeft = 37;
constexpr int32_t kUp = 38;
constexpr int32_t kRight = 39;
constexpr int32_t kDown = 40;
constexpr int32_t kPrintScreen = 44;
constexpr int32_t kInsert = 45;
constexpr int32_t kDelete = 46;
constexpr int32_t kLeftWindows = 91;
constexpr int32_t kRightWindows = 92;
constexpr int32_t kApplication = 93;
// The numeric pad with NumLock on: its digits 0..9 in order, then the rest.
constexpr int32_t kPadZero = 96;
constexpr int32_t kPadNine = 105;
constexpr int32_t kPadMultiply = 106;
constexpr int32_t kPadPlus = 107;
constexpr int32_t kPadMinus = 109;
constexpr int32_t kPadPoint = 110;
constexpr int32_t kPadDivide = 111;
// F1..F12 in order.
constexpr int32_t kF1 = 112;
constexpr int32_t kF2 = 113;
constexpr int32_t kF3 = 114;
constexpr int32_t kF4 = 115;
constexpr int32_t kF5 = 116;
constexpr int32_t kF6 = 117;
constexpr int32_t kF7 = 118;
constexpr int32_t kF8 = 119;
constexpr int32_t kF9 = 120;
constexpr int32_t kF10 = 121;
constexpr int32_t kF11 = 122;
constexpr int32_t kF12 = 123;
constexpr int32_t kNumLock = 144;
constexpr int32_t kScrollLock = 145;
// The left and right forms of Shift, Ctrl and Alt, in that order.
constexpr int32_t kLeftShift = 160;
constexpr int32_t kRightAlt = 165;
// The punctuation keys of a US keyboard, by what they carry unshifted.
constexpr int32_t kSemicolon = 186;
constexpr int32_t kPlus = 187;  // = and +
constexpr int32_t kComma = 188;
constexpr int32_t kMinus = 189;
constexpr int32_t kPoint = 190;
constexpr int32_t kSlash = 191;
constexpr int32_t kGrave = 192;
constexpr int32_t kLeftBracket = 219;
constexpr int32_t kBackslash = 220;
constexpr int32_t kRightBracket = 221;
constexpr int32_t kApostrophe = 222;
constexpr int32_t kExtraBackslash = 226;  // the one beside the left Shift

// The maps count on these runs.
static_assert(kPadNine == kPadZero + 9 && kF12 == kF1 + 11 && kRightAlt == kLeftShift + 5);

}  // namespace keldar::vk
