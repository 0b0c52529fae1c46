// The network server on POSIX sockets: one listening TCP socket, many
// non-blocking clients, all watched by one epoll descriptor that the
// front-end's wait includes, so a client's line wakes the panel at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>

#include "base/platform.h"
#include "platform/net_address.h"

namespace keldar {

class PosixNetworkServer : public ListeningServer {
 public:
  // Output a client may leave unread before it is closed.
  static constexpr std::size_t kMaxUnsent = 256 * 1024;

  PosixNetworkServer() = default;
  ~PosixNetworkServer() override;
  PosixNetworkServer(const PosixNetworkServer&) = delete;
  PosixNetworkServer& operator=(const PosixNetworkServer&) = delete;

  bool listen(const std::string& address, int port, std::string& error) override;
  std::string boundAddress() const override;
  bool loopbackOnly() const override;
  // Readable when a client or the listening socket needs service; -1 before listen.
  int waitFd() const { return epoll_; }

  void poll(std::vector<NetworkActivity>& activity) override;
  void send(int client, std::string_view bytes) override;
  void drop(int client) override;

 private:
  struct Connection : ClientQueue {
    int fd = -1;
  };

  void acceptAll(std::vector<NetworkActivity>& activity);
  void pauseAccepting();
  void resumeAcceptingWhenDue();
  void readFrom(int id, Connection& c, std::vector<NetworkActivity>& activity);
  void flush(int id, Connection& c);
  void watch(int id, const Connection& c);

  int listen_ = -1;
  int epoll_ = -1;
  int nextId_ = 1;
  // Out of descriptors: the listening socket is left out of the wait until
  // then, instead of waking the loop again and again.
  bool acceptPaused_ = false;
  std::chrono::steady_clock::time_point acceptAgainAt_{};
  std::map<int, Connection> connections_;
};

}  // namespace keldar
