// Serial ports 1..256 on Linux terminal devices. Port n is the file COM<n>
// of the working directory when there is one (normally a symlink to the
// radio's device), otherwise /dev/ttyS<n-1>.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/platform.h"

namespace keldar {

class PosixSerialPorts : public SerialPorts {
 public:
  // Receives each problem with a port (device path and reason) besides stderr.
  using Reporter = std::function<void(const std::string& message)>;

  // dir: where COM<n> links are looked for; empty is the current directory.
  explicit PosixSerialPorts(std::string dir = {});
  ~PosixSerialPorts() override;
  PosixSerialPorts(const PosixSerialPorts&) = delete;
  PosixSerialPorts& operator=(const PosixSerialPorts&) = delete;

  int openPort(int port, int baud) override;
  void setReadTimeouts(int port, int multiplier) override;
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override;
  int bytesWaiting(int port) override;
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override;
  bool portLost(int port) override;

  void setReporter(Reporter reporter) { reporter_ = std::move(reporter); }
  // The device port n maps to.
  std::string devicePath(int port) const;
  bool isOpen(int port) const;
  // The descriptors of the open ports, for the loop to wake on their input.
  std::vector<int> descriptors() const;

 private:
  struct Slot {
    int fd = -1;
    std::string device;
    // The device went away while open; cleared by the next open or close.
    bool lost = false;
    // The last problem reported, so a port retried every second does not
    // repeat the same line every second.
    std::string lastReport;
  };
  static bool valid(int port) { return port >= 1 && port <= 256; }
  // The open descriptor of a port, or -1; a device that has gone away is
  // closed here and reported.
  int liveFd(int port);
  void dropGone(int port, const std::string& reason);
  void report(int port, const std::string& what);

  std::string dir_;
  std::array<Slot, 257> slots_{};
  Reporter reporter_;
};

}  // namespace keldar
