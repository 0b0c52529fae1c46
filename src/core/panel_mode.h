// The panel's seven modes, as modeIndex holds them. modeIndex stays a plain
// number: band and channel records store the digit, and a damaged record may
// carry any digit, which the panel must be able to hold and refuse.
#pragma once

#include <cstdint>

namespace keldar {

enum PanelMode : int32_t {
  kLsb = 1,
  kUsb = 2,
  kCw = 3,
  kAm = 4,
  kFmNarrow = 5,
  kC4fm = 6,
  kFmWide = 7,
};

// Tables indexed by the mode have a row for each, row 0 unused.
inline constexpr int32_t kPanelModeCount = kFmWide;

inline constexpr bool isPanelMode(int32_t mode) {
  return mode >= kLsb && mode <= kFmWide;
}

// LSB and USB: the modes with the sideband widths and the speech processor.
inline constexpr bool isSidebandMode(int32_t mode) {
  return mode == kLsb || mode == kUsb;
}

// FM narrow and FM wide: the modes that take tones and a squelch.
inline constexpr bool isFmMode(int32_t mode) {
  return mode == kFmNarrow || mode == kFmWide;
}

}  // namespace keldar
