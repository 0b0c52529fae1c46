// In-memory platform parts for tests: they record what the panel did and
// replay what the test scripted. No panel logic lives here.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/platform.h"

namespace keldar::testing {

class FakeSerialPorts : public SerialPorts {
 public:
  struct Port {
    bool open = false;
    int baud = 0;
    int dataBits = 0, parity = -1, stopBits = 0;
    bool neverWait = false;
    std::string written;   // every byte written since the test last took them
    std::string incoming;  // bytes waiting to be read
    int opens = 0;
    int openTries = 0;  // successful or not
    bool lost = false;  // the device went away while open
  };
  // Answers each write on a port, like a radio; the answer is queued to read.
  using Responder = std::function<std::string(int port, const std::string& written)>;

  int openPort(int port, int baud) override;
  void setReadTimeouts(int port, int multiplier) override;
  int setLineFormat(int port, int dataBits, int parity, int stopBits) override;
  int bytesWaiting(int port) override;
  int readPort(int port, char* buffer, int maxCount) override;
  int writePort(int port, const char* buffer, int count) override;
  void closePort(int port) override;
  bool portLost(int port) override;

  // The device behind an open port goes away (unplugged): the slot reads and
  // writes nothing and reports it lost. failOpen keeps it from coming back.
  void loseDevice(int n);
  void restoreOpen(int n) { failing_.erase(n); }
  Port& port(int n) { return ports_[n]; }
  void feed(int n, const std::string& bytes) { ports_[n].incoming += bytes; }
  std::string take(int n);
  void failOpen(int n) { failing_.insert(n); }
  void setResponder(Responder responder) { responder_ = std::move(responder); }
  const Responder& responder() const { return responder_; }
  // The responder's answers arrive `ticks` ticks late: an answer to a query
  // written on one tick is there only after the next tick's read.
  void setAnswerLag(int ticks) { lagged_.assign(static_cast<std::size_t>(ticks) + 1, {}); }
  // A tick begins: the answers whose time has come can be read.
  void advanceTick();

 private:
  static bool valid(int n) { return n >= 1 && n <= 256; }
  std::map<int, Port> ports_;
  std::set<int> failing_;
  Responder responder_;
  // Answers on their way, oldest first, by port; written ones join the last.
  std::deque<std::map<int, std::string>> lagged_;
};

// Plays instantly unless the test holds it: then each queued file has begun
// only once the ones before it have been let finish (`finish`).
class FakeSound : public Sound {
 public:
  struct Play {
    std::string path;
  };
  void queueFile(const std::string& path) override { plays.push_back({path}); }
  void stop() override {
    stops += 1;
    finished = plays.size();
  }
  uint64_t startedCount() override {
    return holding ? std::min(plays.size(), finished + 1) : plays.size();
  }
  int unfinishedCount() override {
    return holding ? static_cast<int>(plays.size() - std::min(finished, plays.size())) : 0;
  }
  // Lets the device finish n more of what it was given.
  void finish(std::size_t n = 1) { finished = std::min(plays.size(), finished + n); }

  std::vector<Play> plays;
  bool holding = false;
  std::size_t finished = 0;
  int stops = 0;
};

class FakeFrontEnd : public FrontEnd {
 public:
  struct Print {
    int x, y;
    FontSpec font;
    std::string text;
  };
  struct Event {
    int32_t message, wparam;
  };

  bool openWindow(const std::string& title, int x, int y, int width, int height) override;
  void closeWindow() override { windowOpen = false; }
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override { font_ = font; }
  void flushDrawing() override { flushes.push_back(prints.size()); }
  void startTimer(int periodMs, int id) override { timers[id] = periodMs; }
  void stopTimer(int id) override { timers.erase(id); }
  // Delivers the queued events; with none left, a close request, so a loop
  // driven by a script always ends.
  void waitForEvents(EventSink& sink, bool noWait) override;

  // The screen model: the text each field holds, later prints overwriting.
  std::string field(int x, int y) const;
  void queue(int32_t message, int32_t wparam) { events.push_back({message, wparam}); }
  // Runs before each queued timer event is delivered (a test's clock moves on).
  std::function<void()> beforeTick;

  bool windowOpen = false;
  std::string title;
  std::vector<Print> prints;
  // The number of prints made by each flushDrawing.
  std::vector<std::size_t> flushes;
  std::map<int, int> timers;
  std::deque<Event> events;

 private:
  FontSpec font_;
  int x_ = 0, y_ = 0;
  std::size_t column_ = 0;
  std::map<std::pair<int, int>, std::string> fields_;
};

class FakeClock : public Clock {
 public:
  LocalTime localTime() override { return now; }
  uint32_t tickMs() override { return ms; }
  void waitMs(uint32_t wait) override {
    ms += wait;
    waited += wait;
  }
  uint32_t waited = 0;
  LocalTime now{2026, 12, 8, 14, 5, 9};
  uint32_t ms = 1000;
};

class FakeFileSystem : public FileSystem {
 public:
  bool replaceFileDurably(const std::string& tempPath, const std::string& finalPath) override;
  bool fail = false;
  int replaces = 0;
};

// The network server as the test scripts it: clients connect, send and end
// when the test says; what the panel sends each is kept.
class FakeNetworkServer : public NetworkServer {
 public:
  void poll(std::vector<NetworkActivity>& activity) override {
    activity.insert(activity.end(), pending_.begin(), pending_.end());
    pending_.clear();
  }
  void send(int client, std::string_view bytes) override {
    if (dropped.count(client) == 0) sent[client] += bytes;
  }
  void drop(int client) override { dropped.insert(client); }

  int connect() {
    const int id = nextId_++;
    pending_.push_back(
        {NetworkActivity::Kind::kConnected, id, "127.0.0.1:" + std::to_string(40000 + id)});
    return id;
  }
  void receive(int client, std::string bytes) {
    pending_.push_back({NetworkActivity::Kind::kReceived, client, std::move(bytes)});
  }
  void end(int client) { pending_.push_back({NetworkActivity::Kind::kClosed, client, {}}); }
  std::string take(int client) {
    std::string bytes = std::move(sent[client]);
    sent[client].clear();
    return bytes;
  }

  std::map<int, std::string> sent;
  std::set<int> dropped;

 private:
  std::vector<NetworkActivity> pending_;
  int nextId_ = 1;
};

}  // namespace keldar::testing
