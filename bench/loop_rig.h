// The station keldar_loop_bench measures, and what its parts share: the
// panel with speaking-length phrases, a logger on the relay, the network
// port, and the trace read from a FIFO as it arrives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "station.h"

namespace loop {

constexpr int kPhraseMs = 300;
constexpr std::string_view kUpKey = "\x1b[A";
// The figures printed beside each of this bench's own.
inline constexpr const char* kBefore = "earlier blocking loop";

struct Rig {
  bool start(std::string& error);
  // 14.074250 MHz USB: an F readout of ten phrases, three seconds.
  bool tune();
  // Until nothing has been said for a while (two phrases' time).
  void waitQuiet();

  int port = 0;
  // The feed goes last: it ends once the station has ended the panel.
  std::unique_ptr<bench::TraceFeed> feed;
  std::unique_ptr<e2e::Station> station;
  std::unique_ptr<bench::LineClient> client;
};

bool isPoll(const std::string& line);
bool isTick(const std::string& line);
bool isSay(const std::string& line);
// "FA" and nine digits written to the radio: a frequency set, not a poll.
bool isFrequencySet(const std::string& line);
// The largest gap between two lines `match` takes, from `from` up to `to`.
double largestGap(bench::TraceFeed& feed, size_t from, bool (*match)(const std::string&),
                  size_t to = SIZE_MAX);
// "  what: N samples, median, worst (goal …; earlier blocking loop: …)";
// a negative sample is one never seen.
void printBeside(const char* what, const std::vector<double>& ms, const char* goal,
                 const char* before);

void readouts(Rig& rig, int rounds);
void relay(Rig& rig);
void soak(Rig& rig, int seconds);

}  // namespace loop
