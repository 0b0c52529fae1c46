#include "platform/serial_posix.h"

namespace keldar {

// Placeholder until its issue lands: no port ever opens.
int PosixSerialPorts::openPort(int, int) {
  return 0;
}
void PosixSerialPorts::setReadTimeouts(int, int) {}
int PosixSerialPorts::setLineFormat(int, int, int, int) {
  return 0;
}
int PosixSerialPorts::bytesWaiting(int) {
  return 0;
}
int PosixSerialPorts::readPort(int, char*, int) {
  return 0;
}
int PosixSerialPorts::writePort(int, const char*, int) {
  return 0;
}
void PosixSerialPorts::closePort(int) {}

}  // namespace keldar
