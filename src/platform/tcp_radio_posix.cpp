#include "platform/tcp_radio_posix.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace keldar {

bool splitTcpAddress(const std::string& where, std::string& host, std::string& port) {
  if (!where.starts_with("tcp:")) return false;
  const std::size_t colon = where.rfind(':');
  if (colon <= 4) return false;
  host = where.substr(4, colon - 4);
  port = where.substr(colon + 1);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  return !host.empty() && !port.empty() &&
         port.find_first_not_of("0123456789") == std::string::npos;
}

TcpRadioPorts::~TcpRadioPorts() {
  if (fd_ >= 0) ::close(fd_);
}

// The connection is started without waiting; until it is made nothing is
// read and what is written is dropped, as on a radio that does not answer.
int TcpRadioPorts::openPort(int port, int baud) {
  std::string host;
  std::string service;
  if (port != radioPort_() || !splitTcpAddress(where_(), host, service)) {
    if (routed(port)) closePort(port);
    return serial_.openPort(port, baud);
  }
  closePort(port);
  routedPort_ = port;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return 0;
  for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0 || errno == EINPROGRESS) {
      fd_ = fd;
    } else {
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (fd_ < 0) return 0;
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  connected_ = false;
  lost_ = false;
  return 1;
}

void TcpRadioPorts::checkConnected() {
  if (fd_ < 0 || connected_ || lost_) return;
  pollfd watch{fd_, POLLOUT, 0};
  if (::poll(&watch, 1, 0) <= 0) return;
  int error = 0;
  socklen_t size = sizeof error;
  ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
  connected_ = error == 0;
  lost_ = error != 0;
}

void TcpRadioPorts::setReadTimeouts(int port, int multiplier) {
  if (!routed(port)) serial_.setReadTimeouts(port, multiplier);
}

int TcpRadioPorts::setLineFormat(int port, int dataBits, int parity, int stopBits) {
  if (!routed(port)) return serial_.setLineFormat(port, dataBits, parity, stopBits);
  return fd_ >= 0 ? 1 : 0;  // the server sets the line itself
}

int TcpRadioPorts::bytesWaiting(int port) {
  if (!routed(port)) return serial_.bytesWaiting(port);
  checkConnected();
  if (!connected_) return 0;
  pollfd watch{fd_, POLLIN, 0};
  if (::poll(&watch, 1, 0) <= 0) return 0;
  int count = 0;
  if (::ioctl(fd_, FIONREAD, &count) != 0 || count == 0) {
    lost_ = true;  // readable with nothing to read: the server has ended
    return 0;
  }
  return count;
}

int TcpRadioPorts::readPort(int port, char* buffer, int maxCount) {
  if (!routed(port)) return serial_.readPort(port, buffer, maxCount);
  checkConnected();
  if (!connected_ || maxCount <= 0) return 0;
  const ssize_t n = ::recv(fd_, buffer, static_cast<std::size_t>(maxCount), 0);
  if (n > 0) return static_cast<int>(n);
  if (n == 0 || (errno != EAGAIN && errno != EINTR)) lost_ = true;
  return 0;
}

int TcpRadioPorts::writePort(int port, const char* buffer, int count) {
  if (!routed(port)) return serial_.writePort(port, buffer, count);
  checkConnected();
  if (!connected_ || count <= 0) return 0;
  const ssize_t n = ::send(fd_, buffer, static_cast<std::size_t>(count), MSG_NOSIGNAL);
  if (n >= 0) return static_cast<int>(n);
  if (errno != EAGAIN && errno != EINTR) lost_ = true;
  return 0;
}

void TcpRadioPorts::closePort(int port) {
  if (!routed(port)) {
    serial_.closePort(port);
    return;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  connected_ = false;
  lost_ = false;
}

bool TcpRadioPorts::portLost(int port) {
  if (!routed(port)) return serial_.portLost(port);
  checkConnected();
  return fd_ >= 0 && lost_;
}

}  // namespace keldar
