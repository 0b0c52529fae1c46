// Local time and a millisecond tick count from the operating system.
#pragma once

#include <chrono>

#include "base/platform.h"

namespace keldar {

class SystemClock : public Clock {
 public:
  LocalTime localTime() override;
  uint32_t tickMs() override;
  void waitMs(uint32_t ms) override;

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace keldar
