// The network server on Winsock: one listening TCP socket and many
// non-blocking clients, all tied to one auto-reset event (WSAEventSelect)
// that the window's wait includes, so a client's line wakes the panel at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "base/platform.h"
#include "platform/net_address.h"

namespace keldar {

// Winsock 2.2, started once for the process; false (with the reason in
// error) when it cannot be had.
bool winsockReady(std::string& error);

class Win32NetworkServer : public ListeningServer {
 public:
  // Output a client may leave unread before it is closed.
  static constexpr std::size_t kMaxUnsent = 256 * 1024;

  Win32NetworkServer() = default;
  ~Win32NetworkServer() override;
  Win32NetworkServer(const Win32NetworkServer&) = delete;
  Win32NetworkServer& operator=(const Win32NetworkServer&) = delete;

  bool listen(const std::string& address, int port, std::string& error) override;
  std::string boundAddress() const override;
  bool loopbackOnly() const override;
  // A HANDLE, signalled when a client or the listening socket may need
  // service; null before listen.
  void* waitEvent() const { return event_; }

  void poll(std::vector<NetworkActivity>& activity) override;
  void send(int client, std::string_view bytes) override;
  void drop(int client) override;

 private:
  using Socket = std::uintptr_t;                   // a SOCKET
  static constexpr Socket kNoSocket = ~Socket{0};  // INVALID_SOCKET
  struct Connection : ClientQueue {
    Socket socket = 0;
  };

  void acceptAll(std::vector<NetworkActivity>& activity);
  void readFrom(int id, Connection& c, std::vector<NetworkActivity>& activity);
  void flush(Connection& c);
  void reportBroken(std::vector<NetworkActivity>& activity);

  Socket listen_ = kNoSocket;
  void* event_ = nullptr;
  int nextId_ = 1;
  // Out of sockets: accepting rests until then, instead of failing again
  // at every wake.
  bool acceptPaused_ = false;
  std::chrono::steady_clock::time_point acceptAgainAt_{};
  std::map<int, Connection> connections_;
};

}  // namespace keldar
