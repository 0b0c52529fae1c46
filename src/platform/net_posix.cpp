#include "platform/net_posix.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace keldar {

namespace {

constexpr int kBacklog = 64;
constexpr std::size_t kReadChunk = 4096;
// Bytes taken from one client per poll, so one cannot starve the others.
constexpr std::size_t kReadPerPoll = 64 * 1024;
// The epoll key of the listening socket; clients have keys from 1.
constexpr uint64_t kListenKey = 0;
// How long the listener rests when the process has no descriptor to spare.
constexpr std::chrono::milliseconds kAcceptRest{1000};

}  // namespace

PosixNetworkServer::~PosixNetworkServer() {
  for (auto& [id, c] : connections_) ::close(c.fd);
  if (listen_ >= 0) ::close(listen_);
  if (epoll_ >= 0) ::close(epoll_);
}

bool PosixNetworkServer::listen(const std::string& address, int port, std::string& error) {
  addrinfo* found = nullptr;
  if (const int rc = findListenAddresses(address, port, found); rc != 0) {
    error = std::string("unknown address: ") + ::gai_strerror(rc);
    return false;
  }
  error = "no address to listen on";
  for (addrinfo* a = found; a != nullptr && listen_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, kBacklog) == 0) {
      listen_ = fd;
    } else {
      error = std::strerror(errno);
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (listen_ < 0) return false;
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) {
    error = std::strerror(errno);
    return false;
  }
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = kListenKey;
  ::epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &event);
  error.clear();
  return true;
}

std::string PosixNetworkServer::boundAddress() const {
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  if (listen_ < 0 || ::getsockname(listen_, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
    return {};
  }
  return addressText(bound);
}

bool PosixNetworkServer::loopbackOnly() const {
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  if (listen_ < 0 || ::getsockname(listen_, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
    return false;
  }
  return isLoopback(bound);
}

void PosixNetworkServer::pauseAccepting() {
  acceptPaused_ = true;
  acceptAgainAt_ = std::chrono::steady_clock::now() + kAcceptRest;
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, listen_, nullptr);
}

void PosixNetworkServer::resumeAcceptingWhenDue() {
  if (!acceptPaused_ || std::chrono::steady_clock::now() < acceptAgainAt_) return;
  acceptPaused_ = false;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = kListenKey;
  ::epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &event);
}

// Input until the client has ended it; output while some waits.
void PosixNetworkServer::watch(int id, const Connection& c) {
  epoll_event event{};
  event.events = (c.ended ? 0u : EPOLLIN | EPOLLRDHUP) | (c.unsent.empty() ? 0u : EPOLLOUT);
  event.data.u64 = static_cast<uint64_t>(id);
  if (event.events == 0) {
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, c.fd, nullptr);
  } else if (::epoll_ctl(epoll_, EPOLL_CTL_MOD, c.fd, &event) != 0) {
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, c.fd, &event);
  }
}

void PosixNetworkServer::poll(std::vector<NetworkActivity>& activity) {
  if (epoll_ < 0) return;
  resumeAcceptingWhenDue();
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!it->second.broken) {
      ++it;
      continue;
    }
    activity.push_back({NetworkActivity::Kind::kClosed, it->first, {}});
    ::close(it->second.fd);
    it = connections_.erase(it);
  }
  std::array<epoll_event, 32> events{};
  const int count = ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), 0);
  for (int i = 0; i < count; ++i) {
    const epoll_event& e = events[static_cast<std::size_t>(i)];
    if (e.data.u64 == kListenKey) {
      acceptAll(activity);
      continue;
    }
    const int id = static_cast<int>(e.data.u64);
    auto found = connections_.find(id);
    if (found == connections_.end()) continue;
    if ((e.events & EPOLLOUT) != 0) flush(id, found->second);
    if (!found->second.ended && (e.events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0) {
      readFrom(id, found->second, activity);
    }
    if (found->second.broken) {
      activity.push_back({NetworkActivity::Kind::kClosed, id, {}});
      ::close(found->second.fd);
      connections_.erase(found);
    }
  }
}

void PosixNetworkServer::acceptAll(std::vector<NetworkActivity>& activity) {
  while (true) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int fd =
        ::accept4(listen_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      // The waiting client stays in the backlog; the socket would stay
      // readable and wake the loop at once, so it rests a while.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        pauseAccepting();
      }
      return;  // none left (EAGAIN), or out of descriptors for now
    }
    // Answers are a few bytes each and wanted at once.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const int id = nextId_++;
    connections_[id].fd = fd;
    watch(id, connections_[id]);
    activity.push_back({NetworkActivity::Kind::kConnected, id, addressText(peer)});
  }
}

void PosixNetworkServer::readFrom(int id, Connection& c, std::vector<NetworkActivity>& activity) {
  std::string bytes;
  std::array<char, kReadChunk> buffer{};
  while (bytes.size() < kReadPerPoll) {
    const ssize_t n = ::read(c.fd, buffer.data(), buffer.size());
    if (n > 0) {
      bytes.append(buffer.data(), static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) c.ended = true;
    if (n < 0 && errno != EAGAIN) c.broken = true;
    break;
  }
  if (!bytes.empty()) {
    activity.push_back({NetworkActivity::Kind::kReceived, id, std::move(bytes)});
  }
  if (c.ended && !c.broken) {
    // What it sent before ending is still answered, until the drop.
    activity.push_back({NetworkActivity::Kind::kClosed, id, {}});
    watch(id, c);
  }
}

void PosixNetworkServer::flush(int id, Connection& c) {
  while (!c.unsent.empty() && !c.broken) {
    const ssize_t n = ::send(c.fd, c.unsent.data(), c.unsent.size(), MSG_NOSIGNAL);
    if (n > 0) {
      c.unsent.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      break;
    } else {
      c.broken = true;
    }
  }
  if (!c.broken) watch(id, c);
}

void PosixNetworkServer::send(int client, std::string_view bytes) {
  auto found = connections_.find(client);
  if (found == connections_.end() || found->second.broken) return;
  if (found->second.queue(bytes, kMaxUnsent)) flush(client, found->second);
}

void PosixNetworkServer::drop(int client) {
  auto found = connections_.find(client);
  if (found == connections_.end()) return;
  // What is still queued goes if the socket takes it now; no waiting.
  if (!found->second.broken) flush(client, found->second);
  ::close(found->second.fd);
  connections_.erase(found);
}

}  // namespace keldar
