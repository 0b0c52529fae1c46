#include "support/fakes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace keldar::testing {

int FakeSerialPorts::openPort(int n, int baud) {
  if (!valid(n)) return 0;
  ++ports_[n].openTries;
  if (failing_.count(n) != 0) return 0;
  Port& p = ports_[n];
  p.open = true;
  p.lost = false;
  p.baud = baud;
  ++p.opens;
  return 1;
}

void FakeSerialPorts::setReadTimeouts(int n, int multiplier) {
  if (valid(n) && ports_[n].open) ports_[n].neverWait = multiplier == -1;
}

int FakeSerialPorts::setLineFormat(int n, int dataBits, int parity, int stopBits) {
  if (!valid(n) || !ports_[n].open) return 0;
  Port& p = ports_[n];
  p.dataBits = dataBits;
  p.parity = parity;
  p.stopBits = stopBits;
  return 0;
}

int FakeSerialPorts::bytesWaiting(int n) {
  if (!valid(n) || !ports_[n].open) return 0;
  return static_cast<int>(ports_[n].incoming.size());
}

int FakeSerialPorts::readPort(int n, char* buffer, int maxCount) {
  if (!valid(n) || !ports_[n].open || maxCount <= 0) return 0;
  Port& p = ports_[n];
  const int count = std::min<int>(maxCount, static_cast<int>(p.incoming.size()));
  std::memcpy(buffer, p.incoming.data(), static_cast<std::size_t>(count));
  p.incoming.erase(0, static_cast<std::size_t>(count));
  return count;
}

int FakeSerialPorts::writePort(int n, const char* buffer, int count) {
  if (!valid(n) || !ports_[n].open || count <= 0) return 0;
  const std::string bytes(buffer, static_cast<std::size_t>(count));
  ports_[n].written += bytes;
  if (!responder_) return count;
  std::string& to = lagged_.empty() ? ports_[n].incoming : lagged_.back()[n];
  to += responder_(n, bytes);
  return count;
}

void FakeSerialPorts::advanceTick() {
  if (lagged_.empty()) return;
  for (const auto& [n, bytes] : lagged_.front()) ports_[n].incoming += bytes;
  lagged_.pop_front();
  lagged_.emplace_back();
}

void FakeSerialPorts::closePort(int n) {
  if (valid(n) && ports_.count(n) != 0) {
    ports_[n].open = false;
    ports_[n].lost = false;
  }
}

bool FakeSerialPorts::portLost(int n) {
  return valid(n) && ports_.count(n) != 0 && ports_[n].lost;
}

void FakeSerialPorts::loseDevice(int n) {
  if (!valid(n) || !ports_[n].open) return;
  ports_[n].open = false;
  ports_[n].lost = true;
  ports_[n].incoming.clear();
}

std::string FakeSerialPorts::take(int n) {
  std::string bytes;
  bytes.swap(ports_[n].written);
  return bytes;
}

bool FakeFrontEnd::openWindow(const std::string& windowTitle, int, int, int, int) {
  windowOpen = true;
  title = windowTitle;
  return true;
}

void FakeFrontEnd::moveTextPosition(int x, int y) {
  x_ = x;
  y_ = y;
  column_ = 0;
}

void FakeFrontEnd::printText(std::string_view text) {
  prints.push_back({x_, y_, font_, std::string(text)});
  std::string& line = fields_[{x_, y_}];
  if (line.size() < column_ + text.size()) line.resize(column_ + text.size(), ' ');
  line.replace(column_, text.size(), text);
  column_ += text.size();
}

void FakeFrontEnd::waitForEvents(EventSink& sink, bool) {
  if (events.empty()) {
    sink.onEvent(kCloseRequestEvent, 0);
    return;
  }
  while (!events.empty()) {
    const Event e = events.front();
    events.pop_front();
    if (e.message == kTimerEvent && beforeTick) beforeTick();
    sink.onEvent(e.message, e.wparam);
  }
}

std::string FakeFrontEnd::field(int x, int y) const {
  const auto it = fields_.find({x, y});
  return it == fields_.end() ? std::string() : it->second;
}

bool FakeFileSystem::replaceFileDurably(const std::string& tempPath, const std::string& finalPath) {
  std::error_code ec;
  if (fail) {
    std::filesystem::remove(tempPath, ec);
    return false;
  }
  std::filesystem::rename(tempPath, finalPath, ec);
  if (ec) {
    std::filesystem::remove(tempPath, ec);
    return false;
  }
  ++replaces;
  return true;
}

}  // namespace keldar::testing
