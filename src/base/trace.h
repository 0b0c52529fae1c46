// The --trace log: one flushed line per event, "<ms since start> <KIND> <rest>".
// It never changes behaviour; black-box tests and bug reports read it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/platform.h"

namespace keldar {

class Trace {
 public:
  Trace(std::ostream& out, Clock& clock);
  void line(std::string_view kind, std::string_view rest = {});
  // Printable ASCII as is, a backslash as "\\", any other byte as "\xNN".
  static std::string escape(std::string_view bytes);

 private:
  std::ostream& out_;
  Clock& clock_;
  uint32_t startMs_;
};

// Serial ports that trace every byte actually written or read.
class TracingSerialPorts : public SerialPorts {
 public:
  TracingSerialPorts(SerialPorts& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  int openPort(int port, int baud) override { return inner_.openPort(port, baud); }
  void setReadTimeouts(int port, int multiplier) override {
    inner_.setReadTimeouts(port, multiplier);
  }
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override {
    return inner_.setLineFormat(port, dataBits, parity, stopBits);
  }
  int bytesWaiting(int port) override { return inner_.bytesWaiting(port); }
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override { inner_.closePort(port); }
  bool portLost(int port) override { return inner_.portLost(port); }

 private:
  SerialPorts& inner_;
  Trace& trace_;
};

// Front-end that traces each text drawn at the last moveTextPosition.
class TracingFrontEnd : public FrontEnd {
 public:
  TracingFrontEnd(FrontEnd& inner, Trace& trace) : inner_(inner), trace_(trace) {}
  bool openWindow(const std::string& title, int x, int y, int width, int height) override {
    return inner_.openWindow(title, x, y, width, height);
  }
  void closeWindow() override { inner_.closeWindow(); }
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override { inner_.setFont(font); }
  void flushDrawing() override { inner_.flushDrawing(); }
  void startTimer(int periodMs, int id) override { inner_.startTimer(periodMs, id); }
  void stopTimer(int id) override { inner_.stopTimer(id); }
  void waitForEvents(EventSink& sink, bool noWait) override { inner_.waitForEvents(sink, noWait); }

 private:
  FrontEnd& inner_;
  Trace& trace_;
  int x_ = 0;
  int y_ = 0;
};

// The serial ports and front-end the panel is given: the real ones, or, when
// a trace is asked for (out not null), the same wrapped to trace them.
class TracedParts {
 public:
  TracedParts(SerialPorts& serial, FrontEnd& screen, Clock& clock, std::ostream* out)
      : plainSerial_(serial), plainScreen_(screen) {
    if (out == nullptr) return;
    trace_.emplace(*out, clock);
    serial_.emplace(serial, *trace_);
    screen_.emplace(screen, *trace_);
  }
  TracedParts(const TracedParts&) = delete;
  TracedParts& operator=(const TracedParts&) = delete;
  Trace* trace() { return trace_ ? &*trace_ : nullptr; }
  SerialPorts& serial() { return serial_ ? static_cast<SerialPorts&>(*serial_) : plainSerial_; }
  FrontEnd& screen() { return screen_ ? static_cast<FrontEnd&>(*screen_) : plainScreen_; }

 private:
  SerialPorts& plainSerial_;
  FrontEnd& plainScreen_;
  std::optional<Trace> trace_;
  std::optional<TracingSerialPorts> serial_;
  std::optional<TracingFrontEnd> screen_;
};

}  // namespace keldar
