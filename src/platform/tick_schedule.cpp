#include "platform/tick_schedule.h"

#include <chrono>

namespace keldar {

void TickSchedule::start(int periodMs, int id, uint64_t nowMicros) {
  if (periodMs <= 0) return;
  on_ = true;
  id_ = id;
  period_ = static_cast<uint64_t>(periodMs) * 1000;
  next_ = nowMicros + period_;
}

void TickSchedule::stop(int id) {
  if (on_ && id_ == id) on_ = false;
}

bool TickSchedule::due(uint64_t nowMicros) {
  if (!reached(nowMicros)) return false;
  next_ += period_ * ((nowMicros - next_) / period_ + 1);
  return true;
}

int64_t TickSchedule::waitMs(uint64_t nowMicros) const {
  if (!on_) return -1;
  if (reached(nowMicros)) return 0;
  return static_cast<int64_t>((next_ - nowMicros + 999) / 1000);
}

uint64_t steadyMicros() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace keldar
