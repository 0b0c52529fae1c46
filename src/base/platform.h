// The platform seen from the panel: serial ports, sound, the front-end
// (window or terminal), the clock and durable file replacement. Each has one
// real implementation per platform and an in-memory fake for tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/key_codes.h"
#include "base/text.h"

namespace keldar {

// Event codes delivered to the panel's handler.
constexpr int32_t kKeyDownEvent = 0x100;
constexpr int32_t kKeyUpEvent = 0x101;
constexpr int32_t kTimerEvent = 0x113;
constexpr int32_t kCloseRequestEvent = 0x8002;
// A client of the network server has sent something or gone.
constexpr int32_t kNetworkEvent = 0x8003;

// Shift, Ctrl, Alt (AltGr comes as Ctrl and Alt), Caps Lock, the Windows
// keys and the left/right forms of the first three: they only change other
// keys, so no front end delivers them as keys of their own.
constexpr bool isModifierKey(int32_t code) {
  return code == vk::kShift || code == vk::kCtrl || code == vk::kAlt || code == vk::kCapsLock ||
         code == vk::kLeftWindows || code == vk::kRightWindows ||
         (code >= vk::kLeftShift && code <= vk::kRightAlt);
}

// The handle table of serial ports 1..256. Invalid or empty slots do nothing
// and report 0.
class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  virtual int openPort(int port, int baud) = 0;                // 1 on success
  virtual void setReadTimeouts(int port, int multiplier) = 0;  // -1: never wait
  virtual int setLineFormat(int port, int dataBits, int parity, int stopBits) = 0;
  virtual int bytesWaiting(int port) = 0;
  virtual int readPort(int port, char* buffer, int maxCount) = 0;
  virtual int writePort(int port, const char* buffer, int count) = 0;
  virtual void closePort(int port) = 0;
  // True when the slot was open and its device has gone (hung up, unplugged);
  // the panel then closes the port and opens it again about once a second.
  virtual bool portLost(int port) = 0;
};

// Plays WAV files one after another, without a gap and without ever
// waiting: queueFile puts a file behind the ones queued before it and
// returns at once. A missing or unplayable file is skipped silently (it
// counts as started and finished at once).
class Sound {
 public:
  virtual ~Sound() = default;
  virtual void queueFile(const std::string& path) = 0;
  // Cuts what is playing short and drops what is queued.
  virtual void stop() = 0;
  // How many of the files queued so far have begun to sound.
  virtual uint64_t startedCount() = 0;
  // How many of the files queued so far have not yet played to their end.
  virtual int unfinishedCount() = 0;
};

// Receives the events of the front-end's loop.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void onEvent(int32_t message, int32_t wparam) = 0;
};

struct FontSpec {
  std::string face;
  int pointSize = 0;
  int weight = 0;
  // 0x1 italic, 0x10 underline, 0x20 strike-through, 0x100 inverse (white on
  // black, for the transmit marker); bits 16..23 a character set.
  int style = 0;
  bool operator==(const FontSpec&) const = default;
};

// The window or terminal the panel draws into and takes events from.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual bool openWindow(const std::string& title, int x, int y, int width, int height) = 0;
  virtual void closeWindow() = 0;
  virtual void moveTextPosition(int x, int y) = 0;
  // Draws text at the text position, which then moves on past it.
  virtual void printText(std::string_view text) = 0;
  virtual void setFont(const FontSpec& font) = 0;
  // Puts everything drawn so far on the screen at once; the loop calls it
  // after each piece of work, so what is said is also what is shown.
  virtual void flushDrawing() = 0;
  virtual void startTimer(int periodMs, int id) = 0;
  virtual void stopTimer(int id) = 0;
  // Blocks until at least one event is queued (unless noWait), then delivers
  // every queued event to the sink.
  virtual void waitForEvents(EventSink& sink, bool noWait) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime localTime() = 0;
  virtual uint32_t tickMs() = 0;
  // Blocks the calling thread for about ms milliseconds; only for the end
  // of the run, when the loop has stopped (the radio's power-off command).
  virtual void waitMs(uint32_t ms) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Puts tempPath in place of finalPath so that a crash or power cut leaves
  // either the old or the new content. False (and tempPath removed) on error.
  virtual bool replaceFileDurably(const std::string& tempPath, const std::string& finalPath) = 0;
};

// What a network server saw since it was last asked.
struct NetworkActivity {
  enum class Kind { kConnected, kReceived, kClosed };
  Kind kind = Kind::kReceived;
  int client = 0;     // a number of its own per connection, never reused
  std::string bytes;  // kReceived: what arrived; kConnected: its address
};

// A listening TCP server with many clients, serviced from the panel's loop:
// nothing here ever waits. Platforms without one simply have no server.
class NetworkServer {
 public:
  virtual ~NetworkServer() = default;
  // New clients, what they sent, and which have ended, in order. A client
  // that ended may still take answers until it is dropped; one whose
  // connection broke is gone at once.
  virtual void poll(std::vector<NetworkActivity>& activity) = 0;
  // Queues bytes for the client. One that does not take what it is sent is
  // closed (and reported as gone) rather than held in memory.
  virtual void send(int client, std::string_view bytes) = 0;
  // Closes the connection (after what it was sent, if that can go at once);
  // nothing more is reported for it. Every client is dropped in the end.
  virtual void drop(int client) = 0;
};

// Where the radio is, as a TCP radio port asks at each open: its slot of
// the serial ports and "tcp:HOST:PORT" (empty when it is on that port).
class RadioPlace {
 public:
  virtual ~RadioPlace() = default;
  virtual int radioPort() const = 0;
  virtual std::string radioAddress() const = 0;
};

// A network server on a TCP port of its own: the platform's, which the
// shared run sets listening before the panel starts.
class ListeningServer : public NetworkServer {
 public:
  // Listens on address ("127.0.0.1", "0.0.0.0", "::1", a host name) and
  // port (0: any free one). False with the reason in error.
  virtual bool listen(const std::string& address, int port, std::string& error) = 0;
  // Where it listens, as the socket says: "127.0.0.1:4532", "[::1]:4532".
  virtual std::string boundAddress() const = 0;
  // Whether only this machine can reach the socket (127.0.0.0/8, ::1).
  virtual bool loopbackOnly() const = 0;
};

}  // namespace keldar
