#include "platform/serial_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <thread>
#include <utility>

namespace keldar {

namespace {

struct SpeedCode {
  int baud;
  speed_t code;
};

constexpr SpeedCode kSpeeds[] = {
    {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},
    {38400, B38400},     {57600, B57600},     {115200, B115200},   {230400, B230400},
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

bool speedCodeOf(int baud, speed_t& code) {
  for (const SpeedCode& s : kSpeeds) {
    if (s.baud == baud) {
      code = s.code;
      return true;
    }
  }
  return false;
}

std::string errorText(int error) {
  std::string text = std::strerror(error);
  if (error == EACCES || error == EPERM) text += "; add yourself to the dialout group";
  return text;
}

// The device as the user named it, with the target of a COM<n> link.
std::string describe(const std::string& device) {
  struct stat st {};
  if (::lstat(device.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return device;
  char target[4096];
  const ssize_t length = ::readlink(device.c_str(), target, sizeof target - 1);
  if (length <= 0) return device;
  return device + " -> " + std::string(target, static_cast<std::size_t>(length));
}

// Exclusive, raw 8N1 at the speed, reads that never wait; flow control as
// found. An empty result means the port is ready.
std::string prepare(int fd, int baud) {
  if (!::isatty(fd)) return "not a serial device";
  if (::ioctl(fd, TIOCEXCL) != 0) return std::string("cannot take it: ") + errorText(errno);
  // TIOCEXCL alone does not keep out root, so take the advisory lock too.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return errno == EWOULDBLOCK ? "in use by another program" : errorText(errno);
  }
  speed_t code = B0;
  if (!speedCodeOf(baud, code)) return "unsupported speed " + std::to_string(baud);
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return errorText(errno);
  cfmakeraw(&t);
  cfsetispeed(&t, code);
  cfsetospeed(&t, code);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return errorText(errno);
  return {};
}

bool setDataBits(termios& t, int dataBits) {
  tcflag_t size = 0;
  switch (dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return false;
  }
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | size;
  return true;
}

// Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
bool setParity(termios& t, int parity) {
  constexpr tcflag_t kAll = PARENB | PARODD | CMSPAR;
  constexpr tcflag_t kByCode[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                  PARENB | CMSPAR};
  if (parity < 0 || parity > 4) return false;
  t.c_cflag = (t.c_cflag & ~kAll) | kByCode[parity];
  return true;
}

void waitForOutputToDrain(int fd) {
  // Bounded: a device that stopped taking bytes must not hang the shutdown.
  for (int i = 0; i < 50; ++i) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

PosixSerialPorts::PosixSerialPorts(std::string dir) : dir_(std::move(dir)) {}

PosixSerialPorts::~PosixSerialPorts() {
  for (int port = 1; port <= 256; ++port) closePort(port);
}

std::string PosixSerialPorts::devicePath(int port) const {
  const std::string link =
      (dir_.empty() ? std::string() : dir_ + "/") + "COM" + std::to_string(port);
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0) return link;
  return "/dev/ttyS" + std::to_string(port - 1);
}

bool PosixSerialPorts::isOpen(int port) const {
  return valid(port) && slots_[port].fd >= 0;
}

void PosixSerialPorts::report(int port, const std::string& what) {
  std::string message = "port " + std::to_string(port);
  if (valid(port)) {
    const std::string& device =
        slots_[port].device.empty() ? devicePath(port) : slots_[port].device;
    message += " (" + describe(device) + ")";
  }
  message += ": " + what;
  if (valid(port)) {
    if (slots_[port].lastReport == message) return;
    slots_[port].lastReport = message;
  }
  std::cerr << "keldar: " << message << std::endl;
  if (reporter_) reporter_(message);
}

int PosixSerialPorts::openPort(int port, int baud) {
  if (!valid(port)) {
    // 0 is how the configuration says "no port"; anything else is a mistake.
    if (port != 0) report(port, "outside 1..256, nothing opened");
    return 0;
  }
  closePort(port);
  const std::string device = devicePath(port);
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    report(port, "cannot open: " + errorText(errno));
    return 0;
  }
  const std::string failure = prepare(fd, baud);
  if (!failure.empty()) {
    ::close(fd);
    report(port, "cannot open: " + failure);
    return 0;
  }
  slots_[port] = {fd, device, false, {}};
  return 1;
}

int PosixSerialPorts::liveFd(int port) {
  if (!isOpen(port)) return -1;
  pollfd p{slots_[port].fd, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    dropGone(port, "the device has gone away");
    return -1;
  }
  return slots_[port].fd;
}

void PosixSerialPorts::dropGone(int port, const std::string& reason) {
  report(port, reason + "; the port is closed");
  ::close(slots_[port].fd);
  slots_[port].fd = -1;
  slots_[port].lost = true;
}

void PosixSerialPorts::setReadTimeouts(int port, int multiplier) {
  const int fd = liveFd(port);
  if (fd < 0) return;
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  const int flags = ::fcntl(fd, F_GETFL);
  t.c_cc[VMIN] = 0;
  if (multiplier == -1) {
    t.c_cc[VTIME] = 0;
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  } else {
    // A read then waits up to a second for its first byte.
    t.c_cc[VTIME] = 10;
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  ::tcsetattr(fd, TCSANOW, &t);
}

int PosixSerialPorts::setLineFormat(int port, int dataBits, int parity, int stopBits) {
  const int fd = liveFd(port);
  termios t{};
  if (fd < 0 || ::tcgetattr(fd, &t) != 0) return 0;
  if (!setDataBits(t, dataBits) || !setParity(t, parity)) return 1;
  if (stopBits == 1) {
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  } else {
    t.c_cflag |= CSTOPB;
  }
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return 1;
  // tcsetattr succeeds when any part was taken; check the parts we asked for.
  termios actual{};
  constexpr tcflag_t kFormat = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;
  if (::tcgetattr(fd, &actual) != 0) return 1;
  return (actual.c_cflag & kFormat) == (t.c_cflag & kFormat) ? 0 : 1;
}

int PosixSerialPorts::bytesWaiting(int port) {
  const int fd = liveFd(port);
  int count = 0;
  if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0) return 0;
  return count;
}

int PosixSerialPorts::readPort(int port, char* buffer, int maxCount) {
  const int fd = liveFd(port);
  if (fd < 0 || maxCount <= 0) return 0;
  const ssize_t n = ::read(fd, buffer, static_cast<std::size_t>(maxCount));
  if (n > 0) return static_cast<int>(n);
  if (n < 0 && errno != EAGAIN && errno != EINTR) {
    dropGone(port, std::string("read failed: ") + std::strerror(errno));
  }
  return 0;
}

int PosixSerialPorts::writePort(int port, const char* buffer, int count) {
  const int fd = liveFd(port);
  if (fd < 0 || count <= 0) return 0;
  int total = 0;
  while (total < count) {
    const ssize_t n = ::write(fd, buffer + total, static_cast<std::size_t>(count - total));
    if (n > 0) {
      total += static_cast<int>(n);
    } else if (n == 0) {
      break;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN) {
      // The output queue is full; give the line a moment, then give up.
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 100) <= 0 || (p.revents & POLLOUT) == 0) break;
    } else {
      dropGone(port, std::string("write failed: ") + std::strerror(errno));
      break;
    }
  }
  return total;
}

std::vector<int> PosixSerialPorts::descriptors() const {
  std::vector<int> fds;
  for (const Slot& slot : slots_) {
    if (slot.fd >= 0) fds.push_back(slot.fd);
  }
  return fds;
}

bool PosixSerialPorts::portLost(int port) {
  if (!valid(port)) return false;
  liveFd(port);  // notices a hang-up that no read or write has met yet
  return slots_[port].lost;
}

void PosixSerialPorts::closePort(int port) {
  if (valid(port)) slots_[port].lost = false;
  if (!isOpen(port)) return;
  const int fd = slots_[port].fd;
  waitForOutputToDrain(fd);
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);
  slots_[port] = Slot{};
}

}  // namespace keldar
