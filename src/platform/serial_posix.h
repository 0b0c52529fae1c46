// Serial ports 1..256 on Linux terminal devices.
#pragma once

#include "runtime/platform.h"

namespace keldar {

class PosixSerialPorts : public SerialPorts {
 public:
  int openPort(int port, int baud) override;
  void setReadTimeouts(int port, int multiplier) override;
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override;
  int bytesWaiting(int port) override;
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override;
};

}  // namespace keldar
