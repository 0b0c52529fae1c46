// Wakes the window's event wait when one of a set of descriptors becomes
// readable: a small thread only poll()s them and posts one SDL user event,
// then waits to be re-armed. Reading and writing stays in the panel's loop.
// (POSIX: readable_waker_posix.cpp.)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace keldar {

class SdlReadableWaker {
 public:
  // eventType: from SDL_RegisterEvents, after SDL's video has started.
  explicit SdlReadableWaker(uint32_t eventType);
  ~SdlReadableWaker();
  SdlReadableWaker(const SdlReadableWaker&) = delete;
  SdlReadableWaker& operator=(const SdlReadableWaker&) = delete;

  // Before the loop waits: watch these descriptors (the radio's port may
  // have been opened again under another number since).
  void rearm(const std::vector<int>& fds);

 private:
  void run();

  uint32_t eventType_;
  int stopFd_ = -1;
  int kickFd_ = -1;  // tells the thread its list has changed
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> fds_;
  bool armed_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace keldar
