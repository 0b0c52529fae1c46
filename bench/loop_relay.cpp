// The loop bench's relay figures: a logger's queries through the panel's
// relay port, idle and while the panel speaks; rigctl through it and
// direct; settings in a row and the ticks around them.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "loop_rig.h"

namespace loop {

namespace {

using bench::millisBetween;
using bench::Steady;
using e2e::Millis;

struct Tally {
  int asked = 0, wrong = 0, missing = 0, late = 0;
  std::vector<double> roundTrips;
};

// One query, its answer awaited for `wait`. Bytes still on their way from an
// earlier query are late, and are not this one's.
void askOnce(e2e::LoggerPort& logger, const std::string& query, Millis wait, Tally& tally) {
  if (!logger.drain().empty()) tally.late += 1;
  const auto sent = Steady::now();
  logger.send(query);
  tally.asked += 1;
  const std::string answer = logger.answer(wait);
  if (answer.empty()) {
    tally.missing += 1;
  } else if (answer.rfind(query.substr(0, 2), 0) != 0 || answer.size() <= query.size()) {
    tally.wrong += 1;
  } else {
    tally.roundTrips.push_back(millisBetween(sent, Steady::now()));
  }
}

// A thousand FA; every 60 ms, each waited for 50 ms; speaking: an F readout
// pressed every 3.3 s, so the panel is speaking nearly all the while.
void relayRun(Rig& rig, e2e::LoggerPort& logger, const char* what, bool speaking) {
  Tally tally;
  const auto begun = Steady::now();
  for (int i = 0; i < 1000; ++i) {
    std::this_thread::sleep_until(begun + Millis(60) * i);
    if (speaking && i % 55 == 0) rig.station->press("f");
    askOnce(logger, "FA;", Millis(50), tally);
  }
  const bench::Spread rtt = bench::spreadOf(tally.roundTrips);
  std::printf(
      "  %s: %d FA; queries: %d wrong, %d missing (%.1f %%), %d late; round trip median %.1f ms, "
      "worst %.1f ms\n",
      what, tally.asked, tally.wrong, tally.missing, 100.0 * tally.missing / tally.asked,
      tally.late, rtt.median, rtt.worst);
}

double rigctlSeconds(const std::string& rigctl, const std::string& device) {
  std::vector<double> runs;
  for (int i = 0; i < 3; ++i) {
    const e2e::RunResult r =
        e2e::runToEnd({rigctl, "-m", "1035", "-r", device, "-s", "38400", "f"}, e2e::kHangGuard);
    if (r.exitCode == 0) runs.push_back(r.seconds);
  }
  return bench::median(runs);
}

// rigctl's whole run through the relay, and on a radio of its own.
void rigctlTimes(Rig& rig) {
  const std::string rigctl = e2e::findTool("rigctl");
  if (rigctl.empty()) {
    std::printf("  rigctl: not installed, not measured\n");
    return;
  }
  const double relayed = rigctlSeconds(rigctl, rig.station->loggerDevice().string());
  e2e::TempDir dir;
  const std::string link = (dir.path() / "radio").string();
  std::string error;
  auto radio = e2e::Process::start({{KELDAR_EMULATOR, "--link", link, "--model", "0670"},
                                    {},
                                    false,
                                    "/dev/null",
                                    "/dev/null",
                                    {}},
                                   error);
  double direct = -1;
  if (radio && e2e::waitUntil([&] { return std::filesystem::is_symlink(link); })) {
    direct = rigctlSeconds(rigctl, link);
  }
  std::printf(
      "  rigctl -m 1035 f, whole run (median of 3): through the relay %.2f s, direct %.2f s "
      "(%s: 1.5-1.9 s through the relay against 0.13-0.19 s direct)\n",
      relayed, direct, kBefore);
}

bool written(Rig& rig, size_t from, const std::string& line) {
  for (const auto& l : rig.feed->since(from)) {
    if (l.text == line) return true;
  }
  return false;
}

// The largest gap between ticks over two seconds with the settings sent
// half way, against the second before them alone.
void setsGap(Rig& rig, e2e::LoggerPort& logger, const char* what, const std::string& sets,
             const std::string& last) {
  std::vector<double> with, without;
  int arrived = 0;
  for (int i = 0; i < 5; ++i) {
    const size_t before = rig.feed->count();
    std::this_thread::sleep_for(Millis(1000));
    const size_t sent = rig.feed->count();
    logger.send(sets);
    std::this_thread::sleep_for(Millis(1000));
    without.push_back(largestGap(*rig.feed, before, isTick, sent));
    with.push_back(largestGap(*rig.feed, before, isTick));
    if (written(rig, sent, "WRITE 3 " + last)) arrived += 1;
    logger.drain();
  }
  const bench::Spread a = bench::spreadOf(with), b = bench::spreadOf(without);
  std::printf(
      "  %s (%d of 5 reached the radio): largest tick gap median %.1f ms, worst %.1f ms; the "
      "second before them: median %.1f ms, worst %.1f ms\n",
      what, arrived, a.median, a.worst, b.median, b.worst);
}

}  // namespace

void relay(Rig& rig) {
  e2e::LoggerPort logger(rig.station->loggerDevice());
  if (!logger.ok()) {
    std::printf("relay: the logger's end of the pty pair did not open\n");
    return;
  }
  std::printf("the relay (a logger's FA; every 60 ms, each waited for 50 ms):\n");
  relayRun(rig, logger, "idle", false);
  relayRun(rig, logger, "during F readouts", true);
  std::printf(
      "  (goal: 0 wrong, <= 1 %% missing, median <= 20 ms; %s: another program got another "
      "command's answer to 10 of 785 queries)\n",
      kBefore);
  rig.waitQuiet();
  rigctlTimes(rig);
  setsGap(rig, logger, "one set, FA014200000;", "FA014200000;", "FA014200000;");
  setsGap(rig, logger, "four sets in a row, FA014200000;MD02;FA014201000;MD01;",
          "FA014200000;MD02;FA014201000;MD01;", "MD01;");
  std::printf(
      "  (ticks every 50 ms; goal: no gap beyond the second before; %s: 100 ms per set, "
      "300 ms for four)\n",
      kBefore);
}

}  // namespace loop
