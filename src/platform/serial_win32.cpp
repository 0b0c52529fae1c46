#include "platform/serial_win32.h"

#include <windows.h>

#include <iostream>
#include <utility>

namespace keldar {

namespace {

HANDLE handleOf(void* handle) {
  return static_cast<HANDLE>(handle);
}

// Reads return at once with what is there.
bool neverWait(HANDLE handle) {
  COMMTIMEOUTS t{};
  if (GetCommTimeouts(handle, &t) == 0) return false;
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 0;
  // A line that stopped taking bytes must not hold the panel.
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 500;
  return SetCommTimeouts(handle, &t) != 0;
}

std::string openFailure(DWORD error) {
  std::string text = windowsErrorText(error);
  if (error == ERROR_ACCESS_DENIED) text += " (in use by another program?)";
  if (error == ERROR_FILE_NOT_FOUND) text += " (no such port on this computer)";
  return text;
}

// Raw 8N1 at the speed, reads that never wait; flow control as found. An
// empty result means the port is ready.
std::string prepare(HANDLE handle, int baud) {
  if (GetFileType(handle) != FILE_TYPE_CHAR) return "not a serial device";
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (GetCommState(handle, &dcb) == 0) return windowsErrorText(GetLastError());
  if (baud <= 0) return "unsupported speed " + std::to_string(baud);
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  if (SetCommState(handle, &dcb) == 0) {
    return "unsupported speed " + std::to_string(baud) + ": " + windowsErrorText(GetLastError());
  }
  if (!neverWait(handle)) return windowsErrorText(GetLastError());
  PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return {};
}

}  // namespace

std::string windowsErrorText(unsigned long error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                             result.back() == ' ' || result.back() == '.')) {
    result.pop_back();
  }
  if (result.empty()) result = "error " + std::to_string(error);
  return result;
}

Win32SerialPorts::~Win32SerialPorts() {
  for (int port = 1; port <= 256; ++port) closePort(port);
}

std::string Win32SerialPorts::devicePath(int port) {
  return "\\\\.\\COM" + std::to_string(port);
}

bool Win32SerialPorts::isOpen(int port) const {
  return valid(port) && slots_[port].handle != nullptr;
}

void Win32SerialPorts::report(int port, const std::string& what) {
  std::string message = "port " + std::to_string(port);
  if (valid(port)) message += " (COM" + std::to_string(port) + ")";
  message += ": " + what;
  if (valid(port)) {
    if (slots_[port].lastReport == message) return;
    slots_[port].lastReport = message;
  }
  std::cerr << "keldar: " << message << std::endl;
  if (reporter_) reporter_(message);
}

int Win32SerialPorts::openPort(int port, int baud) {
  if (!valid(port)) {
    // 0 is how the configuration says "no port"; anything else is a mistake.
    if (port != 0) report(port, "outside 1..256, nothing opened");
    return 0;
  }
  closePort(port);
  const HANDLE handle = CreateFileA(devicePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    report(port, "cannot open: " + openFailure(GetLastError()));
    return 0;
  }
  const std::string failure = prepare(handle, baud);
  if (!failure.empty()) {
    CloseHandle(handle);
    report(port, "cannot open: " + failure);
    return 0;
  }
  slots_[port] = Slot{handle, false, {}};
  return 1;
}

void* Win32SerialPorts::liveHandle(int port, int* waiting) {
  if (!isOpen(port)) return nullptr;
  DWORD errors = 0;
  COMSTAT status{};
  // Fails once the device is gone (a USB adapter unplugged).
  if (ClearCommError(handleOf(slots_[port].handle), &errors, &status) == 0) {
    dropGone(port, "the device has gone away (" + windowsErrorText(GetLastError()) + ")");
    return nullptr;
  }
  if (waiting != nullptr) *waiting = static_cast<int>(status.cbInQue);
  return slots_[port].handle;
}

bool Win32SerialPorts::inputWaiting(bool& open) const {
  open = false;
  for (const Slot& slot : slots_) {
    if (slot.handle == nullptr) continue;
    open = true;
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(handleOf(slot.handle), &errors, &status) != 0 && status.cbInQue > 0) {
      return true;
    }
  }
  return false;
}

void Win32SerialPorts::dropGone(int port, const std::string& reason) {
  report(port, reason + "; the port is closed");
  CloseHandle(handleOf(slots_[port].handle));
  slots_[port].handle = nullptr;
  slots_[port].lost = true;
}

bool Win32SerialPorts::portLost(int port) {
  if (!valid(port)) return false;
  liveHandle(port);
  return slots_[port].lost;
}

void Win32SerialPorts::setReadTimeouts(int port, int multiplier) {
  const HANDLE handle = handleOf(liveHandle(port));
  if (handle == nullptr) return;
  if (multiplier == -1) {
    neverWait(handle);
    return;
  }
  // A read then waits up to a second for its first byte.
  COMMTIMEOUTS t{};
  if (GetCommTimeouts(handle, &t) == 0) return;
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = MAXDWORD;
  t.ReadTotalTimeoutConstant = 1000;
  SetCommTimeouts(handle, &t);
}

int Win32SerialPorts::setLineFormat(int port, int dataBits, int parity, int stopBits) {
  const HANDLE handle = handleOf(liveHandle(port));
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (handle == nullptr || GetCommState(handle, &dcb) == 0) return 0;
  // Parity codes 0 none, 1 odd, 2 even, 3 mark, 4 space are Windows' own.
  if (dataBits < 5 || dataBits > 8 || parity < 0 || parity > 4) return 1;
  dcb.ByteSize = static_cast<BYTE>(dataBits);
  dcb.Parity = static_cast<BYTE>(parity);
  dcb.fParity = parity != 0 ? TRUE : FALSE;
  dcb.StopBits = stopBits == 1 ? ONESTOPBIT : TWOSTOPBITS;
  if (SetCommState(handle, &dcb) == 0) return 1;
  DCB actual{};
  actual.DCBlength = sizeof actual;
  if (GetCommState(handle, &actual) == 0) return 1;
  const bool same = actual.ByteSize == dcb.ByteSize && actual.Parity == dcb.Parity &&
                    actual.StopBits == dcb.StopBits;
  return same ? 0 : 1;
}

int Win32SerialPorts::bytesWaiting(int port) {
  int waiting = 0;
  return liveHandle(port, &waiting) != nullptr ? waiting : 0;
}

int Win32SerialPorts::readPort(int port, char* buffer, int maxCount) {
  const HANDLE handle = handleOf(liveHandle(port));
  if (handle == nullptr || maxCount <= 0) return 0;
  DWORD done = 0;
  if (ReadFile(handle, buffer, static_cast<DWORD>(maxCount), &done, nullptr) == 0) {
    dropGone(port, "read failed: " + windowsErrorText(GetLastError()));
    return 0;
  }
  return static_cast<int>(done);
}

int Win32SerialPorts::writePort(int port, const char* buffer, int count) {
  const HANDLE handle = handleOf(liveHandle(port));
  if (handle == nullptr || count <= 0) return 0;
  DWORD done = 0;
  if (WriteFile(handle, buffer, static_cast<DWORD>(count), &done, nullptr) == 0) {
    dropGone(port, "write failed: " + windowsErrorText(GetLastError()));
    return 0;
  }
  // Fewer bytes than asked: the write timed out on a line that stopped.
  return static_cast<int>(done);
}

void Win32SerialPorts::closePort(int port) {
  if (!isOpen(port)) {
    if (valid(port)) slots_[port].lost = false;
    return;
  }
  const HANDLE handle = handleOf(slots_[port].handle);
  // Let the last commands (the transmitter released) reach the radio; the
  // write time-out bounds this on a line that stopped.
  FlushFileBuffers(handle);
  CloseHandle(handle);
  slots_[port] = Slot{};
}

}  // namespace keldar
