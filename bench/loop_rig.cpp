#include "loop_rig.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <thread>

namespace loop {

using bench::millisBetween;
using bench::Steady;
using e2e::Millis;

bool Rig::start(std::string& error) {
  e2e::StationOptions options;
  options.phraseMs = kPhraseMs;
  options.logger = true;
  options.traceFifo = true;
  port = e2e::freeLoopbackPort();
  options.panelArgs = {"--rigctld", std::to_string(port)};
  station = std::make_unique<e2e::Station>(options);
  if (!station->start()) {
    error = station->error();
    return false;
  }
  feed = std::make_unique<bench::TraceFeed>(station->tracePath());
  const auto connected = [](const std::string& l) { return l == "SAY wave/connected.wav"; };
  if (!feed->waitFor(0, connected, e2e::kHangGuard)) {
    error = "the panel never connected";
    return false;
  }
  client = std::make_unique<bench::LineClient>(port);
  if (!client->ok() || !tune()) {
    error = "the panel's network port did not tune the radio";
    return false;
  }
  waitQuiet();
  return true;
}

bool Rig::tune() {
  std::string answer;
  client->time("F 14074250\n", 1, &answer);
  client->time("M USB 0\n", 1, &answer);
  return answer == "RPRT 0\nRPRT 0\n";
}

void Rig::waitQuiet() {
  const auto quietFor = Millis(2 * kPhraseMs + 100);
  const auto limit = Steady::now() + Millis(300000);
  while (Steady::now() < limit) {
    std::optional<Steady::time_point> lastSay;
    for (const auto& line : feed->since(0)) {
      if (isSay(line.text)) lastSay = line.at;
    }
    if (!lastSay || Steady::now() - *lastSay >= quietFor) return;
    std::this_thread::sleep_for(Millis(50));
  }
}

bool isPoll(const std::string& line) {
  // The mode read is a poll too where the panel reads the radio's mode.
  for (const char* poll : {"WRITE 3 FA;", "WRITE 3 FB;", "WRITE 3 SM0;", "WRITE 3 RM4;",
                           "WRITE 3 RM6;", "WRITE 3 MD0;"}) {
    if (line == poll) return true;
  }
  return false;
}

bool isTick(const std::string& line) {
  return line == "TICK";
}

bool isSay(const std::string& line) {
  return line.rfind("SAY wave/", 0) == 0;
}

bool isFrequencySet(const std::string& line) {
  return line.rfind("WRITE 3 FA", 0) == 0 && line.size() == 20;
}

double largestGap(bench::TraceFeed& feed, size_t from, bool (*match)(const std::string&),
                  size_t to) {
  double worst = 0;
  std::optional<Steady::time_point> last;
  size_t at = from;
  for (const auto& line : feed.since(from)) {
    if (at++ >= to) break;
    if (!match(line.text)) continue;
    if (last) worst = std::max(worst, millisBetween(*last, line.at));
    last = line.at;
  }
  return worst;
}

void printBeside(const char* what, const std::vector<double>& ms, const char* goal,
                 const char* before) {
  std::vector<double> seen;
  std::copy_if(ms.begin(), ms.end(), std::back_inserter(seen), [](double v) { return v >= 0; });
  const bench::Spread s = bench::spreadOf(seen);
  std::printf("  %s: %zu samples, median %.1f ms, worst %.1f ms", what, s.count, s.median, s.worst);
  if (seen.size() < ms.size()) std::printf(", %zu NEVER SEEN", ms.size() - seen.size());
  std::printf(" (goal %s; %s: %s)\n", goal, kBefore, before);
}

}  // namespace loop
