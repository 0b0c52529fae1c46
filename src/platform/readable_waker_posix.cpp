#include "platform/readable_waker.h"

#include <SDL.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace keldar {

namespace {

void signal(int fd) {
  const uint64_t one = 1;
  if (fd >= 0 && ::write(fd, &one, sizeof one) < 0) {
    // The thread also looks again at its next wake-up; nothing more to do.
  }
}

void drain(int fd) {
  uint64_t count = 0;
  if (::read(fd, &count, sizeof count) < 0) {
    // Nothing was there: the kick was already taken.
  }
}

}  // namespace

SdlReadableWaker::SdlReadableWaker(uint32_t eventType)
    : eventType_(eventType),
      stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      kickFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  thread_ = std::thread([this] { run(); });
}

SdlReadableWaker::~SdlReadableWaker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  signal(stopFd_);
  thread_.join();
  if (stopFd_ >= 0) ::close(stopFd_);
  if (kickFd_ >= 0) ::close(kickFd_);
}

void SdlReadableWaker::rearm(const std::vector<int>& fds) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (armed_ && fds == fds_) return;
    fds_ = fds;
    armed_ = true;
  }
  changed_.notify_all();
  signal(kickFd_);
}

void SdlReadableWaker::run() {
  std::vector<pollfd> watched;
  while (true) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return armed_ || stopping_; });
      if (stopping_) return;
      watched.clear();
      for (int fd : fds_) watched.push_back({fd, POLLIN, 0});
    }
    watched.push_back({stopFd_, POLLIN, 0});
    watched.push_back({kickFd_, POLLIN, 0});
    if (::poll(watched.data(), watched.size(), -1) <= 0) continue;
    if (watched[watched.size() - 2].revents != 0) return;
    if (watched.back().revents != 0) {
      drain(kickFd_);
      continue;  // a new list: watch that instead
    }
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
