// The phrases of what the panel says that the sound device has not begun
// yet. The player hands them over as the device makes room, so a newer
// readout can still take the place of an older one that is waiting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace keldar {

struct QueuedPhrase {
  std::string file;       // what the device is given
  std::string traceText;  // the SAY line's path
  std::string kind;       // the readout it belongs to ("" for none)
  uint64_t group = 0;     // one readout's phrases share a number
  bool help = false;      // cut short by the next phrase
};

struct SpeechQueue {
  std::deque<QueuedPhrase> waiting;  // not yet handed to the device
  std::deque<QueuedPhrase> handed;   // handed, not yet begun to sound
  uint64_t startedSeen = 0;          // the device's started count last seen
  uint64_t lastHandedGroup = 0;
  uint64_t nextGroup = 1;
  // The readout being spoken now, if any, and where its phrases go in
  // `waiting` when it took an older one's place (-1: at the end).
  std::string readoutKind;
  uint64_t readoutGroup = 0;
  std::ptrdiff_t readoutPlace = -1;
  bool helpSounding = false;
};

}  // namespace keldar
