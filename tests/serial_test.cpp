// The serial ports on real terminal devices: a pty pair stands in for the
// radio's cable, linked as COM<n> in a temporary working directory.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/serial_posix.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::TempDir;

// A pty pair; the slave's name is what COM<n> links to.
struct Pty {
  int master = -1;
  int slave = -1;
  std::string name;
  Pty() {
    char path[256];
    if (::openpty(&master, &slave, path, nullptr, nullptr) == 0) name = path;
  }
  ~Pty() {
    closeMaster();
    if (slave >= 0) ::close(slave);
  }
  void closeMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  termios settings() const {
    termios t{};
    ::tcgetattr(slave, &t);
    return t;
  }
  // Reads from the master until count bytes came (hang guard: 2 s).
  std::string readMaster(std::size_t count) const {
    std::string got;
    for (int i = 0; i < 200 && got.size() < count; ++i) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      char buffer[512];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }
};

struct Linked {
  TempDir dir;
  Pty pty;
  std::vector<std::string> messages;
  PosixSerialPorts ports{dir.path()};
  explicit Linked(int port) {
    std::filesystem::create_symlink(pty.name, dir.path() + "/COM" + std::to_string(port));
    ports.setReporter([this](const std::string& m) { messages.push_back(m); });
  }
};

bool contains(const std::vector<std::string>& messages, const std::string& part) {
  for (const std::string& m : messages) {
    if (m.find(part) != std::string::npos) return true;
  }
  return false;
}

std::string allBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

TEST(SerialPort, ALinkedPortOpensRawWithTheLineSettingsAndPassesEveryByte) {
  Linked link(7);
  ASSERT_FALSE(link.pty.name.empty());
  ASSERT_EQ(link.ports.openPort(7, 38400), 1);
  link.ports.setReadTimeouts(7, -1);
  EXPECT_EQ(link.ports.setLineFormat(7, 8, 0, 2), 0);

  const termios t = link.pty.settings();
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(t.c_cflag & PARENB, 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_NE(t.c_cflag & CREAD, 0u);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  // Nothing received: a read returns 0 at once.
  char buffer[512];
  EXPECT_EQ(link.ports.bytesWaiting(7), 0);
  EXPECT_EQ(link.ports.readPort(7, buffer, sizeof buffer), 0);

  const std::string bytes = allBytes();
  EXPECT_EQ(link.ports.writePort(7, bytes.data(), 256), 256);
  EXPECT_EQ(link.pty.readMaster(256), bytes);

  ASSERT_EQ(::write(link.pty.master, bytes.data(), bytes.size()), 256);
  for (int i = 0; i < 200 && link.ports.bytesWaiting(7) < 256; ++i) ::usleep(10000);
  EXPECT_EQ(link.ports.bytesWaiting(7), 256);
  ASSERT_EQ(link.ports.readPort(7, buffer, sizeof buffer), 256);
  EXPECT_EQ(std::string(buffer, 256), bytes);
  EXPECT_EQ(link.ports.readPort(7, buffer, sizeof buffer), 0);
  EXPECT_TRUE(link.messages.empty());
}

TEST(SerialPort, ThePortIsHeldExclusivelyUntilClosed) {
  Linked link(3);
  ASSERT_EQ(link.ports.openPort(3, 4800), 1);

  PosixSerialPorts other(link.dir.path());
  std::vector<std::string> otherMessages;
  other.setReporter([&](const std::string& m) { otherMessages.push_back(m); });
  EXPECT_EQ(other.openPort(3, 4800), 0);
  EXPECT_TRUE(contains(otherMessages, "COM3 -> " + link.pty.name)) << otherMessages.at(0);

  // Reopening in the same table closes the old descriptor first.
  EXPECT_EQ(link.ports.openPort(3, 4800), 1);
  link.ports.closePort(3);
  link.ports.closePort(3);
  EXPECT_FALSE(link.ports.isOpen(3));
  EXPECT_EQ(other.openPort(3, 4800), 1);
}

TEST(SerialPort, ADeviceThatGoesAwayLeavesAnEmptySlotAndIsReported) {
  Linked link(4);
  ASSERT_EQ(link.ports.openPort(4, 9600), 1);
  link.pty.closeMaster();

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(link.ports.bytesWaiting(4), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("gone away"), std::string::npos) << err;
  EXPECT_FALSE(link.ports.isOpen(4));
  char buffer[8] = {};
  EXPECT_EQ(link.ports.writePort(4, "FA;", 3), 0);
  EXPECT_EQ(link.ports.readPort(4, buffer, sizeof buffer), 0);
  EXPECT_EQ(link.messages.size(), 1u) << "reported once";
}

TEST(SerialPort, AFailedOpenLeavesAnEmptySlotAndNamesTheDeviceAndReason) {
  TempDir dir;
  std::filesystem::create_symlink("/nonexistent/ttyUSB9", dir.path() + "/COM5");
  std::ofstream(dir.path() + "/COM6") << "not a device";
  PosixSerialPorts ports(dir.path());
  std::vector<std::string> messages;
  ports.setReporter([&](const std::string& m) { messages.push_back(m); });

  EXPECT_EQ(ports.openPort(5, 38400), 0);
  EXPECT_TRUE(contains(messages, "COM5 -> /nonexistent/ttyUSB9)")) << messages.at(0);
  EXPECT_TRUE(contains(messages, "cannot open: No such file"));
  EXPECT_EQ(ports.openPort(6, 38400), 0);
  EXPECT_TRUE(contains(messages, "not a serial device"));

  char buffer[8];
  EXPECT_EQ(ports.writePort(5, "FA;", 3), 0);
  EXPECT_EQ(ports.readPort(5, buffer, sizeof buffer), 0);
  EXPECT_EQ(ports.bytesWaiting(5), 0);
  EXPECT_EQ(ports.setLineFormat(5, 8, 0, 2), 0);
  ports.setReadTimeouts(5, -1);
  ports.closePort(5);
  ports.closePort(5);
  EXPECT_FALSE(ports.isOpen(5));

  // Without a link the port number names a standard serial device.
  EXPECT_EQ(ports.devicePath(1), "/dev/ttyS0");
  EXPECT_EQ(ports.devicePath(10), "/dev/ttyS9");
  EXPECT_EQ(ports.devicePath(5), dir.path() + "/COM5");
}

TEST(SerialPort, PortNumbersOutsideTheTableOpenNothingAndTouchNoSlot) {
  Linked link(256);
  ASSERT_EQ(link.ports.openPort(256, 38400), 1);
  EXPECT_EQ(link.ports.openPort(0, 38400), 0);
  EXPECT_TRUE(link.messages.empty()) << "port 0 means no port";
  EXPECT_EQ(link.ports.openPort(257, 38400), 0);
  EXPECT_EQ(link.ports.openPort(-1, 38400), 0);
  EXPECT_TRUE(contains(link.messages, "port 257: outside 1..256"));
  char buffer[4];
  EXPECT_EQ(link.ports.writePort(257, "x", 1), 0);
  EXPECT_EQ(link.ports.readPort(0, buffer, 4), 0);
  EXPECT_EQ(link.ports.bytesWaiting(-5), 0);
  link.ports.closePort(257);
  EXPECT_TRUE(link.ports.isOpen(256));
  EXPECT_EQ(link.ports.writePort(256, "FA;", 3), 3);
  EXPECT_EQ(link.pty.readMaster(3), "FA;");
}

TEST(SerialPort, AnUnsupportedSpeedFailsTheOpen) {
  Linked link(2);
  EXPECT_EQ(link.ports.openPort(2, 12345), 0);
  EXPECT_TRUE(contains(link.messages, "unsupported speed 12345"));
  EXPECT_EQ(link.ports.openPort(2, 0), 0);
  EXPECT_EQ(link.ports.openPort(2, 115200), 1);
  const termios t = link.pty.settings();
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(t.c_cflag & CSTOPB, 0u) << "one stop bit until the line format is set";
}

TEST(SerialPort, TheLineFormatSetsStopBitsAndReportsWhatTheDeviceRefuses) {
  Linked link(9);
  ASSERT_EQ(link.ports.openPort(9, 4800), 1);
  EXPECT_EQ(link.ports.setLineFormat(9, 8, 0, 1), 0);
  EXPECT_EQ(link.pty.settings().c_cflag & CSTOPB, 0u);
  EXPECT_EQ(link.ports.setLineFormat(9, 8, 0, 5), 0);
  const termios t = link.pty.settings();
  EXPECT_NE(t.c_cflag & CSTOPB, 0u) << "any code but 1 is two stop bits";
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800)) << "speed unchanged";

  // A pty always carries 8 bits without parity: 7E is refused, as the
  // settings read back show.
  EXPECT_EQ(link.ports.setLineFormat(9, 7, 2, 2), 1);
  EXPECT_EQ(link.ports.setLineFormat(9, 9, 0, 2), 1);
  EXPECT_EQ(link.ports.setLineFormat(9, 8, 7, 2), 1);
}

}  // namespace
}  // namespace keldar
