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
  if (periodMs <= 0) return;
  timerOn_ = true;
  timerId_ = id;
  timerPeriod_ = static_cast<uint64_t>(periodMs) * 1000;
  nextTick_ = nowMicros() + timerPeriod_;
}

void Win32Wait::stopTimer(int id) {
  if (timerOn_ && timerId_ == id) timerOn_ = false;
}

bool Win32Wait::tickDue() {
  const uint64_t now = nowMicros();
  if (!timerOn_ || now < nextTick_) return false;
  nextTick_ += timerPeriod_ * ((now - nextTick_) / timerPeriod_ + 1);
  return true;
}

void Win32Wait::watch(Handles handles, Looker look) {
  handles_ = std::move(handles);
  look_ = std::move(look);
}

// Messages the panel does not see (mouse, paint) do not end the wait, nor
// does a look that finds nothing: the deadline stays where it was.
bool Win32Wait::until(const std::function<bool()>& done, const std::function<void()>& pump) {
  while (!done()) {
    const uint64_t now = nowMicros();
    if (timerOn_ && now >= nextTick_) return false;
    const Look look = look_ ? look_() : Look::kNothingWatched;
    if (look == Look::kReadable) return true;
    // Rounded up: waking before the point would only mean waiting again.
    DWORD timeout = timerOn_ ? static_cast<DWORD>((nextTick_ - now + 999) / 1000) : INFINITE;
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
