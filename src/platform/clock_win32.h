// Local time, a millisecond tick count and waits from Windows.
#pragma once

#include <cstdint>

#include "base/platform.h"

namespace keldar {

class Win32Clock : public Clock {
 public:
  Win32Clock();
  LocalTime localTime() override;
  uint32_t tickMs() override;
  void waitMs(uint32_t ms) override;

 private:
  uint64_t startMs_;
};

}  // namespace keldar
