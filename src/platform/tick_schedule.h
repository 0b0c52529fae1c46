// The panel's timer as a deadline in the front end's one thread: its points
// fall a period apart from the start without drift, and the points missed
// while the handler ran (a phrase playing) merge into one tick. Times are
// microseconds of the caller's steady clock.
#pragma once

#include <cstdint>

namespace keldar {

class TickSchedule {
 public:
  // The first point one period from now; a period of none starts nothing
  // (and leaves a running timer as it was).
  void start(int periodMs, int id, uint64_t nowMicros);
  // Stops the timer when id is its own.
  void stop(int id);
  void stop() { on_ = false; }
  bool running() const { return on_; }
  int id() const { return id_; }

  // Whether the clock has reached the next point.
  bool reached(uint64_t nowMicros) const { return on_ && nowMicros >= next_; }
  // reached(), and then the next point is the first one after now: the
  // points passed meanwhile are skipped, so they merge into this one tick.
  bool due(uint64_t nowMicros);
  // How long a wait may last: the milliseconds to the next point, rounded
  // up (waking before it would only mean waiting again); 0 once reached,
  // -1 while stopped.
  int64_t waitMs(uint64_t nowMicros) const;

 private:
  bool on_ = false;
  int id_ = 0;
  uint64_t period_ = 0;  // microseconds, like next_
  uint64_t next_ = 0;
};

// Microseconds of std::chrono::steady_clock, for the schedule.
uint64_t steadyMicros();

}  // namespace keldar
