// The Win32 window's wait, in its one thread: the panel's timer as a
// deadline (its points met to the millisecond, those missed merged), and
// input watched besides the window's messages, so that a client's line or
// the radio's answer is taken at once rather than at the next tick.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/tick_schedule.h"

namespace keldar {

class Win32Wait {
 public:
  // What a look at input without an event of its own (the serial ports)
  // found.
  enum class Look { kNothingWatched, kNothingYet, kReadable };
  // How often the look is taken while there is something to look at: an
  // answer is taken within 10 ms of coming rather than up to a tick later,
  // for a hundred looks a second (a system call each per open port).
  static constexpr uint32_t kLookMs = 10;
  using Handles = std::function<std::vector<void*>()>;
  using Looker = std::function<Look()>;

  void startTimer(int periodMs, int id);
  void stopTimer(int id) { tick_.stop(id); }
  void stopTimers() { tick_.stop(); }
  int timerId() const { return tick_.id(); }
  // True when the clock has reached the next point (TickSchedule::due).
  bool tickDue();

  // Each wait also ends when one of the handles (auto-reset events, asked
  // anew before each wait) is signalled, or a look finds input to read.
  void watch(Handles handles, Looker look);
  // Blocks until done() (asked first, then after each pump() of the
  // messages), the next point, or watched input to read: then true.
  bool until(const std::function<bool()>& done, const std::function<void()>& pump);

 private:
  TickSchedule tick_;
  Handles handles_;
  Looker look_;
};

}  // namespace keldar
