// The loop bench's soak: Up, S and F in turn every 300 ms while a logger asks
// FA; and IF; through the relay ten times a second. A key has acted when
// its work begins (the trace's ACT line); beside it, Up's CAT command and
// when the S and F readouts begin to sound (a newer readout may take the
// place of one still waiting).
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "loop_rig.h"

namespace loop {

namespace {

using bench::millisBetween;
using bench::Steady;
using bench::TraceFeed;
using e2e::Millis;

struct LoggerTally {
  int asked = 0, answered = 0, wrong = 0;
};

void pollLogger(e2e::LoggerPort& logger, const std::atomic<bool>& stop, LoggerTally& tally) {
  auto next = Steady::now();
  while (!stop) {
    for (const std::string query : {"FA;", "IF;"}) {
      logger.drain();
      logger.send(query);
      tally.asked += 1;
      const std::string answer = logger.answer(Millis(45));
      if (answer.empty()) continue;
      const bool own = answer.rfind(query.substr(0, 2), 0) == 0 && answer.size() > query.size();
      (own ? tally.answered : tally.wrong) += 1;
    }
    next += Millis(100);
    std::this_thread::sleep_until(next);
  }
}

struct Press {
  char kind;  // 'U', 'S' or 'F'
  Steady::time_point at;
};

// Where each readout begins among the lines: "s" and its reading (and
// "plus") are an S-meter readout; any other run of phrases, up to the one
// after "mhz", is a frequency readout.
std::vector<std::pair<size_t, char>> readoutStarts(const std::vector<TraceFeed::Line>& lines) {
  enum class In { kNothing, kMeterRow, kMeterDone, kFrequency, kModeNext } in = In::kNothing;
  std::vector<std::pair<size_t, char>> starts;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!isSay(lines[i].text)) continue;
    const std::string phrase = lines[i].text.substr(9);
    if (in == In::kMeterRow || (in == In::kMeterDone && phrase == "plus.wav")) {
      in = in == In::kMeterRow ? In::kMeterDone : In::kNothing;
    } else if (in == In::kModeNext) {
      in = In::kNothing;
    } else if (in == In::kFrequency) {
      if (phrase == "mhz.wav") in = In::kModeNext;
    } else {
      const bool meter = phrase == "s.wav";
      starts.emplace_back(i, meter ? 'S' : 'F');
      in = meter ? In::kMeterRow : phrase == "mhz.wav" ? In::kModeNext : In::kFrequency;
    }
  }
  return starts;
}

// When the key at lines[key] acted; nothing if it never did.
std::optional<Steady::time_point> actedAt(const std::vector<TraceFeed::Line>& lines, size_t key,
                                          char kind,
                                          const std::vector<std::pair<size_t, char>>& starts) {
  if (kind == 'U') {
    for (size_t i = key + 1; i < lines.size(); ++i) {
      if (isFrequencySet(lines[i].text)) return lines[i].at;
    }
    return std::nullopt;
  }
  for (const auto& [at, of] : starts) {
    if (at > key && of == kind) return lines[at].at;
  }
  return std::nullopt;
}

// The ACT lines in order: the n-th says when the n-th key's work began.
std::vector<Steady::time_point> workBegun(const std::vector<TraceFeed::Line>& lines) {
  std::vector<Steady::time_point> begun;
  for (const TraceFeed::Line& line : lines) {
    if (line.text.rfind("ACT ", 0) == 0) begun.push_back(line.at);
  }
  return begun;
}

void printLatencies(const std::vector<TraceFeed::Line>& lines, const std::vector<Press>& presses) {
  const auto starts = readoutStarts(lines);
  const auto begun = workBegun(lines);
  std::vector<double> all, up, meter, frequency;
  size_t next = 0;
  for (size_t i = 0; i < lines.size() && next < presses.size(); ++i) {
    if (lines[i].text.rfind("KEY ", 0) != 0) continue;
    const Press& press = presses[next];
    all.push_back(next < begun.size() ? millisBetween(press.at, begun[next]) : -1);
    next += 1;
    const auto acted = actedAt(lines, i, press.kind, starts);
    const double ms = acted ? millisBetween(press.at, *acted) : -1;
    (press.kind == 'U' ? up : press.kind == 'S' ? meter : frequency).push_back(ms);
  }
  for (; next < presses.size(); ++next) all.push_back(-1);
  printBeside("key to its work begun (ACT), every key", all, "every key <= 50 ms",
              "median 88 s, worst 180 s");
  printBeside("  Up, to its FA command written", up, "<= 50 ms", "-");
  // A readout joins the speech queue at once and sounds after the one
  // before it: these follow the speech, not the keys.
  printBeside("  S, to its S-meter readout beginning to sound", meter, "none, speech in order",
              "-");
  printBeside("  F, to its frequency readout beginning to sound", frequency,
              "none, speech in order", "-");
}

std::vector<Press> pressKeys(Rig& rig, int seconds) {
  std::vector<Press> presses;
  const auto begun = Steady::now();
  for (int i = 0; i < seconds * 1000 / 300; ++i) {
    std::this_thread::sleep_until(begun + Millis(300) * i);
    const char kind = "USF"[i % 3];
    presses.push_back({kind, Steady::now()});
    rig.station->press(kind == 'U' ? kUpKey : kind == 'S' ? "s" : "f");
  }
  return presses;
}

}  // namespace

void soak(Rig& rig, int seconds) {
  rig.tune();
  rig.waitQuiet();
  e2e::LoggerPort logger(rig.station->loggerDevice());
  LoggerTally tally;
  std::atomic<bool> stop{false};
  const size_t from = rig.feed->count();
  std::thread poller([&] { pollLogger(logger, stop, tally); });
  const std::vector<Press> presses = pressKeys(rig, seconds);
  rig.waitQuiet();
  stop = true;
  poller.join();
  const auto lines = rig.feed->since(from);
  std::printf(
      "the soak (%d s: Up, S and F in turn every 300 ms, %zu keys; a logger asking FA; "
      "and IF; ten times a second):\n",
      seconds, presses.size());
  printLatencies(lines, presses);
  std::optional<Steady::time_point> lastSay;
  for (const auto& line : lines) {
    if (isSay(line.text)) lastSay = line.at;
  }
  const double done = lastSay ? millisBetween(presses.back().at, *lastSay) + kPhraseMs : -1;
  std::printf("  speech done %.1f s after the last key (goal <= 5 s)\n", done / 1000);
  std::printf(
      "  logger queries answered: %d of %d, %d with another's answer (goal all; %s: 10 "
      "of 70)\n",
      tally.answered, tally.asked, tally.wrong, kBefore);
  std::printf("  largest gap between ticks: %.1f ms (%s: 172 s)\n",
              largestGap(*rig.feed, from, isTick), kBefore);
}

}  // namespace loop
