#include "platform/tcp_radio.h"

#include "platform/tcp_link.h"

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
  if (socket_ != tcp_link::kNone) tcp_link::close(socket_);
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
  socket_ = tcp_link::start(host, service);
  if (socket_ == tcp_link::kNone) return 0;
  connected_ = false;
  lost_ = false;
  return 1;
}

void TcpRadioPorts::checkConnected() {
  if (socket_ == tcp_link::kNone || connected_ || lost_) return;
  const int state = tcp_link::connectState(socket_);
  connected_ = state > 0;
  lost_ = state < 0;
}

void TcpRadioPorts::setReadTimeouts(int port, int multiplier) {
  if (!routed(port)) serial_.setReadTimeouts(port, multiplier);
}

int TcpRadioPorts::setLineFormat(int port, int dataBits, int parity, int stopBits) {
  if (!routed(port)) return serial_.setLineFormat(port, dataBits, parity, stopBits);
  return socket_ != tcp_link::kNone ? 1 : 0;  // the server sets the line itself
}

int TcpRadioPorts::bytesWaiting(int port) {
  if (!routed(port)) return serial_.bytesWaiting(port);
  checkConnected();
  if (!connected_) return 0;
  const int count = tcp_link::readyBytes(socket_);
  if (count < 0) lost_ = true;
  return count > 0 ? count : 0;
}

int TcpRadioPorts::readPort(int port, char* buffer, int maxCount) {
  if (!routed(port)) return serial_.readPort(port, buffer, maxCount);
  checkConnected();
  if (!connected_ || maxCount <= 0) return 0;
  const int n = tcp_link::receive(socket_, buffer, maxCount);
  if (n < 0) lost_ = true;
  return n > 0 ? n : 0;
}

int TcpRadioPorts::writePort(int port, const char* buffer, int count) {
  if (!routed(port)) return serial_.writePort(port, buffer, count);
  checkConnected();
  if (!connected_ || count <= 0) return 0;
  const int n = tcp_link::transmit(socket_, buffer, count);
  if (n < 0) lost_ = true;
  return n > 0 ? n : 0;
}

void TcpRadioPorts::closePort(int port) {
  if (!routed(port)) {
    serial_.closePort(port);
    return;
  }
  if (socket_ != tcp_link::kNone) tcp_link::close(socket_);
  socket_ = tcp_link::kNone;
  connected_ = false;
  lost_ = false;
}

bool TcpRadioPorts::portLost(int port) {
  if (!routed(port)) return serial_.portLost(port);
  checkConnected();
  return socket_ != tcp_link::kNone && lost_;
}

}  // namespace keldar
