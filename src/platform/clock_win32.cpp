#include "platform/clock_win32.h"

#include <windows.h>

namespace keldar {

namespace {

// The performance counter: GetTickCount moves in steps of a timer period
// (often 15.6 ms), too coarse for the tick and link timing.
uint64_t counterMs() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER count{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<uint64_t>(count.QuadPart / frequency.QuadPart * 1000 +
                               count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
}

}  // namespace

Win32Clock::Win32Clock() : startMs_(counterMs()) {}

LocalTime Win32Clock::localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

uint32_t Win32Clock::tickMs() {
  return static_cast<uint32_t>(counterMs() - startMs_);
}

void Win32Clock::waitMs(uint32_t ms) {
  Sleep(ms);
}

}  // namespace keldar
