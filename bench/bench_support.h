// What the end-to-end benchmarks share: the panel's trace lines stamped as
// they arrive from a FIFO, a line client of a rigctld port, and the spread of
// a set of samples.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"

namespace bench {

using Steady = std::chrono::steady_clock;

double millisBetween(Steady::time_point a, Steady::time_point b);

// Trace lines as they arrive from a FIFO, each with its arrival time: a
// microsecond clock shared with whatever the bench itself does.
class TraceFeed {
 public:
  struct Line {
    Steady::time_point at;
    std::string text;  // without the panel's millisecond stamp
  };

  explicit TraceFeed(const std::filesystem::path& fifo);
  ~TraceFeed();  // returns once the panel has closed its end
  TraceFeed(const TraceFeed&) = delete;
  TraceFeed& operator=(const TraceFeed&) = delete;

  std::vector<Line> since(size_t from);
  size_t count();
  // The first line from `from` on that `match` takes, waiting up to `limit`.
  std::optional<Line> waitFor(size_t from, const std::function<bool(const std::string&)>& match,
                              e2e::Millis limit);

 private:
  void readAll();

  std::filesystem::path fifo_;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Line> lines_;
};

struct Spread {
  size_t count = 0;
  double median = 0, mean = 0, worst = 0;
};
Spread spreadOf(std::vector<double> values);
double median(const std::vector<double>& values);  // -1 without samples
// "what: N samples, median …, mean …, worst … ms".
void printSpread(const char* what, const std::vector<double>& milliseconds);

// One connection to a rigctld port: a line sent, its answer's lines read.
class LineClient {
 public:
  explicit LineClient(int port);
  ~LineClient();
  LineClient(const LineClient&) = delete;
  LineClient& operator=(const LineClient&) = delete;
  bool ok() const { return ok_; }
  // Seconds from sending the line to the answer's last line; -1 on failure.
  double time(const std::string& line, int answerLines, std::string* answer = nullptr);

 private:
  int fd_;
  bool ok_ = false;
};

}  // namespace bench
