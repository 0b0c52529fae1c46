#include "platform/readable_waker.h"

#include <SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace keldar {

SdlReadableWaker::SdlReadableWaker(int fd, uint32_t eventType)
    : fd_(fd), eventType_(eventType), stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  thread_ = std::thread([this] { run(); });
}

SdlReadableWaker::~SdlReadableWaker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  const uint64_t one = 1;
  if (stopFd_ >= 0 && ::write(stopFd_, &one, sizeof one) < 0) {
    // The thread also ends at its next wake-up; nothing more to do.
  }
  thread_.join();
  if (stopFd_ >= 0) ::close(stopFd_);
}

void SdlReadableWaker::rearm() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (armed_) return;
    armed_ = true;
  }
  changed_.notify_all();
}

void SdlReadableWaker::run() {
  while (true) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return armed_ || stopping_; });
      if (stopping_) return;
    }
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (::poll(fds, stopFd_ >= 0 ? 2 : 1, -1) <= 0) continue;
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      armed_ = false;
    }
    SDL_Event event{};
    event.type = eventType_;
    SDL_PushEvent(&event);
  }
}

}  // namespace keldar
