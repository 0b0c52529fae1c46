#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/tcp_link.h"

namespace keldar::tcp_link {

namespace {

int fdOf(Socket socket) {
  return static_cast<int>(socket);
}

bool readyFor(Socket socket, short events) {
  pollfd watch{fdOf(socket), events, 0};
  return ::poll(&watch, 1, 0) > 0;
}

}  // namespace

Socket start(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return kNone;
  int chosen = -1;
  for (addrinfo* a = found; a != nullptr && chosen < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0 || errno == EINPROGRESS) {
      chosen = fd;
    } else {
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (chosen < 0) return kNone;
  const int on = 1;
  ::setsockopt(chosen, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return chosen;
}

int connectState(Socket socket) {
  if (!readyFor(socket, POLLOUT)) return 0;
  int error = 0;
  socklen_t size = sizeof error;
  ::getsockopt(fdOf(socket), SOL_SOCKET, SO_ERROR, &error, &size);
  return error == 0 ? 1 : -1;
}

int readyBytes(Socket socket) {
  if (!readyFor(socket, POLLIN)) return 0;
  int count = 0;
  if (::ioctl(fdOf(socket), FIONREAD, &count) != 0 || count == 0) {
    return -1;  // readable with nothing to read: the server has ended
  }
  return count;
}

int receive(Socket socket, char* buffer, int maxCount) {
  const ssize_t n = ::recv(fdOf(socket), buffer, static_cast<std::size_t>(maxCount), 0);
  if (n > 0) return static_cast<int>(n);
  return n == 0 || (errno != EAGAIN && errno != EINTR) ? -1 : 0;
}

int transmit(Socket socket, const char* buffer, int count) {
  const ssize_t n = ::send(fdOf(socket), buffer, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  if (n >= 0) return static_cast<int>(n);
  return errno != EAGAIN && errno != EINTR ? -1 : 0;
}

void close(Socket socket) {
  ::close(fdOf(socket));
}

}  // namespace keldar::tcp_link
