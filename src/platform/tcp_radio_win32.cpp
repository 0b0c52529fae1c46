// Before windows.h, which would otherwise bring the old Winsock.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/net_win32.h"
#include "platform/tcp_link.h"

namespace keldar::tcp_link {

namespace {

SOCKET socketOf(Socket socket) {
  return static_cast<SOCKET>(socket);
}

enum class Watch { kRead, kWrite, kFailure };

// Whether the socket is ready for that, now.
bool ready(Socket socket, Watch watch) {
  fd_set set{};
  FD_SET(socketOf(socket), &set);
  timeval now{0, 0};
  return select(0, watch == Watch::kRead ? &set : nullptr, watch == Watch::kWrite ? &set : nullptr,
                watch == Watch::kFailure ? &set : nullptr, &now) > 0;
}

bool wouldBlock() {
  return WSAGetLastError() == WSAEWOULDBLOCK;
}

}  // namespace

Socket start(const std::string& host, const std::string& port) {
  std::string error;
  if (!winsockReady(error)) return kNone;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return kNone;
  SOCKET chosen = INVALID_SOCKET;
  for (addrinfo* a = found; a != nullptr && chosen == INVALID_SOCKET; a = a->ai_next) {
    const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
        (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 || wouldBlock())) {
      chosen = s;
    } else {
      closesocket(s);
    }
  }
  freeaddrinfo(found);
  if (chosen == INVALID_SOCKET) return kNone;
  const BOOL on = TRUE;
  setsockopt(chosen, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return static_cast<Socket>(chosen);
}

// Winsock tells a refused connection by the failure set, not as writable.
int connectState(Socket socket) {
  if (ready(socket, Watch::kFailure)) return -1;
  return ready(socket, Watch::kWrite) ? 1 : 0;
}

int readyBytes(Socket socket) {
  if (!ready(socket, Watch::kRead)) return 0;
  u_long count = 0;
  if (ioctlsocket(socketOf(socket), FIONREAD, &count) != 0 || count == 0) {
    return -1;  // readable with nothing to read: the server has ended
  }
  return static_cast<int>(count);
}

int receive(Socket socket, char* buffer, int maxCount) {
  const int n = recv(socketOf(socket), buffer, maxCount, 0);
  if (n > 0) return n;
  return n == 0 || !wouldBlock() ? -1 : 0;
}

int transmit(Socket socket, const char* buffer, int count) {
  const int n = send(socketOf(socket), buffer, count, 0);
  if (n >= 0) return n;
  return wouldBlock() ? 0 : -1;
}

void close(Socket socket) {
  closesocket(socketOf(socket));
}

}  // namespace keldar::tcp_link
