// What pendingMode holds: the entry a key has opened, which decides what
// Up, Down and the digits act on until it ends.
#pragma once

#include <cstdint>

namespace keldar {

enum EntryMode : int32_t {
  // No entry: the arrows step the frequency.
  kEntryNone = 0,
  // B: the arrows, a band number or a band letter choose the band.
  kEntryBand = 1,
  // W: the arrows step the filter width.
  kEntryWidth = 2,
  // P: transmit power.
  kEntryPower = 3,
  // R: RF gain.
  kEntryRfGain = 4,
  // A: AF gain.
  kEntryAfGain = 7,
  // N: the digits of a menu number, then of its value.
  kEntryMenuNumber = 8,
  kEntryMenuValue = 9,
  // L: the level of the function last switched.
  kEntryFunctionLevel = 10,
  // K: keyer speed, in CW with break-in off.
  kEntryKeySpeed = 11,
  // F11: mic gain, with the ALC read out.
  kEntryMicGain = 12,
  // The prefix X: the next key has its second meaning.
  kEntryExtended = 14,
};

}  // namespace keldar
