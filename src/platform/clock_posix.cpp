#include "platform/clock_posix.h"

#include <cerrno>
#include <ctime>
#include <thread>

namespace keldar {

LocalTime SystemClock::localTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

uint32_t SystemClock::tickMs() {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SystemClock::waitMs(uint32_t ms) {
  timespec rest{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  // A signal cuts the sleep short; sleep on for what is left.
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace keldar
