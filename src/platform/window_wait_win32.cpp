#include "platform/window_wait_win32.h"

#include <windows.h>

#include <algorithm>

namespace keldar {

namespace {

uint64_t nowMicros() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  return static_cast<uint64_t>(count.QuadPart / frequency * 1000000 +
                               count.QuadPart % frequency * 1000000 / frequency);
}

}  // namespace

void Win32Wait::startTimer(int periodMs, int id) {
  tick_.start(periodMs, id, nowMicros());
}

bool Win32Wait::tickDue() {
  return tick_.due(nowMicros());
}

void Win32Wait::watch(Handles handles, Looker look) {
  handles_ = std::move(handles);
  look_ = std::move(look);
}

// Messages the panel does not see (mouse, paint) do not end the wait, nor
// does a look that finds nothing: the deadline stays where it was.
bool Win32Wait::until(const std::function<bool()>& done, const std::function<void()>& pump) {
  while (!done()) {
    const int64_t untilTick = tick_.waitMs(nowMicros());
    if (untilTick == 0) return false;
    const Look look = look_ ? look_() : Look::kNothingWatched;
    if (look == Look::kReadable) return true;
    DWORD timeout = untilTick < 0 ? INFINITE : static_cast<DWORD>(untilTick);
    if (look == Look::kNothingYet) timeout = std::min<DWORD>(timeout, kLookMs);
    std::vector<void*> handles = handles_ ? handles_() : std::vector<void*>{};
    handles.erase(std::remove(handles.begin(), handles.end(), nullptr), handles.end());
    const auto count = static_cast<DWORD>(std::min<std::size_t>(handles.size(), 63));
    DWORD woke = MsgWaitForMultipleObjectsEx(count, handles.data(), timeout, QS_ALLINPUT,
                                             MWMO_INPUTAVAILABLE);
    // A handle gone bad: the messages and the deadline still end the wait.
    if (woke == WAIT_FAILED) {
      woke = MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (woke < WAIT_OBJECT_0 + count) return true;
    pump();
  }
  return false;
}

}  // namespace keldar
