// Wakes the window's event wait when a descriptor becomes readable: a small
// thread only poll()s it and posts one SDL user event, then waits to be
// re-armed. Reading and writing the sockets stays in the panel's loop.
// (POSIX: readable_waker_posix.cpp; a platform without a network server
// has no use for it.)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace keldar {

class SdlReadableWaker {
 public:
  // eventType: from SDL_RegisterEvents, after SDL's video has started.
  SdlReadableWaker(int fd, uint32_t eventType);
  ~SdlReadableWaker();
  SdlReadableWaker(const SdlReadableWaker&) = delete;
  SdlReadableWaker& operator=(const SdlReadableWaker&) = delete;

  // After the loop has serviced the descriptor: watch it again.
  void rearm();

 private:
  void run();

  int fd_;
  uint32_t eventType_;
  int stopFd_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool armed_ = true;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace keldar
