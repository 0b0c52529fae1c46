// keldar_rigctld_bench: the panel's --rigctld port beside Hamlib's own
// rigctld -m 1035, each driving its own copy of the radio emulator, in one
// run; and rigctl through the panel's serial relay. Not a test: it prints
// figures and exits 0 unless it cannot set up at all.
//
//   rigctl -m 2 open + f (whole program run, median of 5), goal within 1.2x Hamlib's
//   f over one connection, median of 200, goal <= 1 ms
//   F over one connection (answered once written to the radio), median of 40,
//   goal <= 60 ms
//   rigctl -m 1035 open + f through the serial relay, goal >= 20x slower than -m 2

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "process.h"
#include "station.h"

namespace {

using bench::LineClient;
using bench::median;

struct Figures {
  double openAndF = -1, f = -1, F = -1;
  int refused = 0;  // F answers other than "RPRT 0"
};

Figures measure(const std::string& rigctl, int port) {
  Figures out;
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) {
    const e2e::RunResult r = e2e::runToEnd(
        {rigctl, "-m", "2", "-r", "127.0.0.1:" + std::to_string(port), "f"}, e2e::kHangGuard);
    if (r.exitCode == 0) runs.push_back(r.seconds);
  }
  out.openAndF = median(runs);
  LineClient client(port);
  if (!client.ok()) return out;
  std::vector<double> reads, sets;
  for (int i = 0; i < 200; ++i) reads.push_back(client.time("f\n", 1));
  // Settings at random moments of the radio's poll cycle, not back to back.
  std::mt19937 dice(18);
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(std::chrono::microseconds(dice() % 200000));
    std::string answer;
    sets.push_back(client.time(i % 2 == 0 ? "F 14251000\n" : "F 14250000\n", 1, &answer));
    if (answer != "RPRT 0\n") ++out.refused;
  }
  out.f = median(reads);
  out.F = median(sets);
  return out;
}

void print(const char* who, const Figures& f) {
  std::printf("%-36s open + f %6.1f ms   f median %6.3f ms   F median %5.1f ms%s\n", who,
              f.openAndF * 1000, f.f * 1000, f.F * 1000, f.refused > 0 ? "  (some F REFUSED)" : "");
}

}  // namespace

int main() {
  const std::string rigctl = e2e::findTool("rigctl");
  const std::string rigctld = e2e::findTool("rigctld");
  if (rigctl.empty() || rigctld.empty()) {
    std::printf("rigctl/rigctld not installed (scripts/setup installs libhamlib-utils)\n");
    return 0;
  }

  // The panel with its network port, on its own emulator.
  const int panelPort = e2e::freeLoopbackPort();
  e2e::StationOptions options;
  options.panelArgs = {"--rigctld", std::to_string(panelPort)};
  e2e::Station panel(options);
  if (!panel.start() || !panel.waitForTrace("SAY wave/connected.wav")) {
    std::printf("the panel's station did not come up: %s\n", panel.error().c_str());
    return 1;
  }

  // Hamlib's rigctld on a second emulator.
  e2e::TempDir dir;
  std::string error;
  e2e::ProcessOptions emu;
  const std::string link = (dir.path() / "radio").string();
  emu.argv = {KELDAR_EMULATOR, "--link", link, "--model", "0670"};
  emu.stdoutPath = emu.stderrPath = "/dev/null";
  auto emulator = e2e::Process::start(emu, error);
  e2e::waitUntil([&] { return std::filesystem::is_symlink(link); });
  const int hamlibPort = e2e::freeLoopbackPort();
  e2e::ProcessOptions daemon;
  daemon.argv = {rigctld,
                 "-m",
                 "1035",
                 "-r",
                 link,
                 "-s",
                 "38400",
                 "-T",
                 "127.0.0.1",
                 "-t",
                 std::to_string(hamlibPort)};
  daemon.stdoutPath = daemon.stderrPath = "/dev/null";
  auto hamlib = emulator ? e2e::Process::start(daemon, error) : nullptr;
  if (!hamlib) {
    std::printf("Hamlib's rigctld did not start: %s\n", error.c_str());
    return 1;
  }
  e2e::waitUntil([&] { return LineClient(hamlibPort).ok(); });

  const Figures ours = measure(rigctl, panelPort);
  const Figures theirs = measure(rigctl, hamlibPort);
  print("keldar --rigctld (rigctl -m 2)", ours);
  print("Hamlib rigctld -m 1035 (rigctl -m 2)", theirs);
  std::printf("open + f: keldar / Hamlib = %.2f (goal <= 1.2)\n", ours.openAndF / theirs.openAndF);

  // The same radio through the panel's serial relay, for comparison.
  e2e::StationOptions relayOptions;
  relayOptions.logger = true;
  e2e::Station relay(relayOptions);
  if (relay.start() && relay.waitForTrace("SAY wave/connected.wav")) {
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
      const e2e::RunResult r = e2e::runToEnd(
          {rigctl, "-m", "1035", "-r", relay.loggerDevice().string(), "-s", "38400", "f"},
          e2e::kHangGuard);
      if (r.exitCode == 0) runs.push_back(r.seconds);
    }
    const double seconds = median(runs);
    std::printf(
        "rigctl -m 1035 through the serial relay: open + f %.1f ms; %.0fx the network "
        "port's (goal >= 20x)\n",
        seconds * 1000, seconds / ours.openAndF);
  } else {
    std::printf("relay station did not come up: %s\n", relay.error().c_str());
  }
  return 0;
}
