// Serial ports 1..256 on Windows: port n is the device COM<n> as Windows
// numbers it, opened as "\\.\COM<n>" so that ports above 9 work too.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "base/platform.h"

namespace keldar {

class Win32SerialPorts : public SerialPorts {
 public:
  // Receives each problem with a port (device and reason) besides stderr.
  using Reporter = std::function<void(const std::string& message)>;

  Win32SerialPorts() = default;
  ~Win32SerialPorts() override;
  Win32SerialPorts(const Win32SerialPorts&) = delete;
  Win32SerialPorts& operator=(const Win32SerialPorts&) = delete;

  int openPort(int port, int baud) override;
  void setReadTimeouts(int port, int multiplier) override;
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override;
  int bytesWaiting(int port) override;
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override;
  bool portLost(int port) override;

  // Whether an open port has bytes to read; open tells whether any port is
  // open at all. Only looks: a device that has gone is left for the next
  // read or write to find and report.
  bool inputWaiting(bool& open) const;

  void setReporter(Reporter reporter) { reporter_ = std::move(reporter); }
  static std::string devicePath(int port);
  bool isOpen(int port) const;

 private:
  struct Slot {
    void* handle = nullptr;  // a HANDLE; null when the slot is empty
    bool lost = false;       // was open, and its device went away
    // The last problem reported, so a port retried every second does not
    // repeat the same line every second; a new reason is reported.
    std::string lastReport;
  };
  static bool valid(int port) { return port >= 1 && port <= 256; }
  // The handle of an open port whose device is still there, else null; a
  // device that has gone is closed here and reported. waiting receives the
  // bytes ready to read.
  void* liveHandle(int port, int* waiting = nullptr);
  void dropGone(int port, const std::string& reason);
  void report(int port, const std::string& what);

  std::array<Slot, 257> slots_{};
  Reporter reporter_;
};

// The system's text for a Windows error code, without the line end.
std::string windowsErrorText(unsigned long error);

}  // namespace keldar
