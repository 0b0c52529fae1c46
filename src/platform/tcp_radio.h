// The radio's port carried over raw TCP, as a serial-over-network server
// (ser2net, a remote-station box) serves it: the radio's slot of the serial
// ports goes to a TCP connection, every other slot to the serial ports. A
// connection that fails or ends is a lost port, opened again as a serial
// port would be. The sockets are the platform's (platform/tcp_link.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/platform.h"

namespace keldar {

class TcpRadioPorts : public SerialPorts {
 public:
  // radioPort: the radio's slot; where: "tcp:HOST:PORT", empty for none
  // (both asked at each open, as the configuration sets them).
  TcpRadioPorts(SerialPorts& serial, std::function<int()> radioPort,
                std::function<std::string()> where)
      : serial_(serial), radioPort_(std::move(radioPort)), where_(std::move(where)) {}
  // The same, both asked of place, which outlives the ports.
  TcpRadioPorts(SerialPorts& serial, const RadioPlace& place)
      : TcpRadioPorts(
            serial, [&place] { return place.radioPort(); },
            [&place] { return place.radioAddress(); }) {}
  ~TcpRadioPorts() override;
  TcpRadioPorts(const TcpRadioPorts&) = delete;
  TcpRadioPorts& operator=(const TcpRadioPorts&) = delete;

  int openPort(int port, int baud) override;
  void setReadTimeouts(int port, int multiplier) override;
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override;
  int bytesWaiting(int port) override;
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override;
  bool portLost(int port) override;
  // The connection while it is up, for the loop to wake on the radio's
  // answers; -1 otherwise (a failed one would wake it without end).
  std::intptr_t readableSocket() const { return connected_ && !lost_ ? socket_ : -1; }

 private:
  bool routed(int port) const { return port == routedPort_ && routedPort_ != 0; }
  void checkConnected();

  SerialPorts& serial_;
  std::function<int()> radioPort_;
  std::function<std::string()> where_;
  int routedPort_ = 0;
  std::intptr_t socket_ = -1;  // a tcp_link socket
  bool connected_ = false;
  bool lost_ = false;
};

// "tcp:HOST:PORT" as host and port; false when it is not that form.
bool splitTcpAddress(const std::string& where, std::string& host, std::string& port);

}  // namespace keldar
