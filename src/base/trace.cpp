#include "base/trace.h"

#include <cstdio>

namespace keldar {

Trace::Trace(std::ostream& out, Clock& clock)
    : out_(out), clock_(clock), startMs_(clock.tickMs()) {}

void Trace::line(std::string_view kind, std::string_view rest) {
  const uint32_t elapsed = clock_.tickMs() - startMs_;
  out_ << elapsed << ' ' << kind;
  if (!rest.empty()) out_ << ' ' << rest;
  out_ << '\n';
  out_.flush();
}

std::string Trace::escape(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    }
  }
  return out;
}

int TracingSerialPorts::readPort(int port, char* buffer, int maxCount) {
  const int count = inner_.readPort(port, buffer, maxCount);
  if (count > 0) {
    trace_.line("READ", std::to_string(port) + " " +
                            Trace::escape(std::string_view(buffer, static_cast<size_t>(count))));
  }
  return count;
}

int TracingSerialPorts::writePort(int port, const char* buffer, int count) {
  const int written = inner_.writePort(port, buffer, count);
  if (written > 0) {
    trace_.line("WRITE", std::to_string(port) + " " +
                             Trace::escape(std::string_view(buffer, static_cast<size_t>(written))));
  }
  return written;
}

void TracingFrontEnd::moveTextPosition(int x, int y) {
  x_ = x;
  y_ = y;
  inner_.moveTextPosition(x, y);
}

void TracingFrontEnd::printText(std::string_view text) {
  trace_.line("PRINT", std::to_string(x_) + " " + std::to_string(y_) + " " + std::string(text));
  inner_.printText(text);
}

}  // namespace keldar
