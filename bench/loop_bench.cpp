// keldar_loop_bench: figures of the loop that keeps listening while the panel
// speaks, from the built panel in its terminal mode against the radio
// emulator, each printed beside what the earlier blocking loop measured and
// the goal. Not a test: it prints and exits 0 unless it cannot set up its
// station. Idle CPU is not repeated here: keldar_acceptance_bench prints it.
//
//   during F readouts of ten phrases of 300 ms: the largest gap between polls
//   written to the radio, a network "f" answered, a network "T 1" written to
//   the radio as TX1 (and "T 0" as TX0), Up's and J's CAT command after the key
//   the relay (loop_relay.cpp): a logger's FA; every 60 ms, idle and during
//   readouts; rigctl through it and direct; sets in a row and the gap they
//   leave between ticks
//   the soak (loop_soak.cpp): Up, S and F in turn every 300 ms while a logger
//   asks FA; and IF; ten times a second
//
// The trace goes into a FIFO, so every line has its arrival time on the
// bench's own clock.
//
//   keldar_loop_bench [--soak SECONDS]   (60 by default)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "loop_rig.h"

namespace loop {

namespace {

using bench::millisBetween;
using bench::Steady;
using e2e::Millis;

struct ReadoutSamples {
  std::vector<double> f, tx1, tx0, up, j;
};

// From sending the network line to `written` in the trace; -1 if never.
double networkToRadio(Rig& rig, const std::string& line, const std::string& written) {
  const size_t from = rig.feed->count();
  const auto sent = Steady::now();
  rig.client->time(line, 1);
  const auto seen = rig.feed->waitFor(
      from, [&](const std::string& l) { return l == written; }, Millis(5000));
  return seen ? millisBetween(sent, seen->at) : -1;
}

// From typing the key to its frequency command written to the radio.
double keyToWrite(Rig& rig, std::string_view key) {
  const size_t from = rig.feed->count();
  const auto typed = Steady::now();
  rig.station->press(key);
  const auto seen = rig.feed->waitFor(from, isFrequencySet, Millis(5000));
  return seen ? millisBetween(typed, seen->at) : -1;
}

// One F readout, and while it is said: "f" every 100 ms, T 1, T 0, Up and J.
void readoutRound(Rig& rig, ReadoutSamples& samples) {
  rig.waitQuiet();
  const size_t from = rig.feed->count();
  rig.station->press("f");
  rig.feed->waitFor(from, isSay, Millis(5000));
  const auto begun = Steady::now();
  for (int slot = 0; slot < 20; ++slot) {
    std::this_thread::sleep_until(begun + Millis(100) * slot);
    samples.f.push_back(rig.client->time("f\n", 1) * 1000);
    if (slot == 2) samples.tx1.push_back(networkToRadio(rig, "T 1\n", "WRITE 3 TX1;"));
    if (slot == 5) samples.tx0.push_back(networkToRadio(rig, "T 0\n", "WRITE 3 TX0;"));
    if (slot == 9) samples.up.push_back(keyToWrite(rig, kUpKey));
    if (slot == 13) samples.j.push_back(keyToWrite(rig, "j"));
  }
}

}  // namespace

void readouts(Rig& rig, int rounds) {
  const size_t from = rig.feed->count();
  ReadoutSamples samples;
  for (int i = 0; i < rounds; ++i) readoutRound(rig, samples);
  rig.waitQuiet();
  std::printf("during F readouts (%d readouts of ten phrases of %d ms):\n", rounds, kPhraseMs);
  std::printf(
      "  largest gap between polls written to the radio: %.1f ms (goal <= 150 ms; %s: no poll "
      "for 3.3 s)\n",
      largestGap(*rig.feed, from, isPoll), kBefore);
  printBeside("network f answered", samples.f, "<= 60 ms worst", "up to 3.3 s");
  printBeside("network T 1 to TX1 written", samples.tx1, "<= 60 ms", "3.26 s");
  printBeside("network T 0 to TX0 written", samples.tx0, "<= 60 ms", "not measured");
  printBeside("key Up to its FA command written", samples.up, "<= 10 ms", "not measured");
  printBeside("key J to its FA command written", samples.j, "<= 10 ms", "not measured");
}

}  // namespace loop

int main(int argc, char** argv) {
  int soakSeconds = 60;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--soak") == 0 && i + 1 < argc) {
      soakSeconds = std::atoi(argv[++i]);
    } else {
      std::printf("usage: %s [--soak SECONDS]\n", argv[0]);
      return 2;
    }
  }
  std::printf("keldar loop bench: %s against %s\n", KELDAR_PANEL, KELDAR_EMULATOR);
  loop::Rig rig;
  std::string error;
  if (!rig.start(error)) {
    std::printf("could not set up the station: %s\n", error.c_str());
    return 1;
  }
  loop::readouts(rig, 6);
  loop::relay(rig);
  loop::soak(rig, soakSeconds);
  rig.client.reset();
  rig.station->quit();
  return 0;
}
