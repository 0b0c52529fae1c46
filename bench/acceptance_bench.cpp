// keldar_acceptance_bench: figures of the built panel in its terminal mode
// against the radio emulator, from one run. Not a test: it prints and always
// exits 0 unless it cannot set up its station at all.
//
//   key-to-bytes latency of J (re-sends "FA..." before speaking), goal <= 1 ms
//   the tick period's mean and worst deviation from 50 ms
//   idle CPU over 10 s with the radio answering every poll: terminal panel,
//   goal <= 0.3 %; window on Xvfb when Xvfb is installed, goal <= 1 %
//   resident memory (VmHWM), goal <= 40 MB
//   rigctl's open and per-command times through the relay
//
// Run 1 traces into a FIFO read here, so every trace line gets a microsecond
// arrival time; run 2 has no trace, for the CPU figure a user sees.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "process.h"
#include "station.h"

namespace {

namespace fs = std::filesystem;
using bench::millisBetween;
using bench::Steady;
using bench::TraceFeed;
using e2e::Millis;

struct CpuSample {
  double cpuSeconds = 0;
  bool precise = false;  // from schedstat; else whole clock ticks
  Steady::time_point at;
};

CpuSample cpuOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  CpuSample sample{0, false, Steady::now()};
  // Fields after the command name (which may hold spaces) start at field 3.
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return sample;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) {
      stime = std::stod(field);
      break;
    }
  }
  sample.cpuSeconds = (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  // The scheduler's own account, in nanoseconds, where the kernel keeps it:
  // clock ticks are too coarse for a tenth of a percent over ten seconds.
  std::ifstream sched("/proc/" + std::to_string(pid) + "/schedstat");
  double nanoseconds = 0;
  if (sched >> nanoseconds && nanoseconds > 0) {
    sample.cpuSeconds = nanoseconds / 1e9;
    sample.precise = true;
  }
  return sample;
}

double percentOfCore(const CpuSample& a, const CpuSample& b) {
  return 100.0 * (b.cpuSeconds - a.cpuSeconds) / (millisBetween(a.at, b.at) / 1e3);
}

// "VmHWM" or "VmRSS" of /proc/PID/status in MB.
double memoryMb(pid_t pid, const std::string& key) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
  }
  return -1;
}

class Bench {
 public:
  // traced: --trace into a FIFO; display: an X display for the window, else the
  // terminal panel.
  bool start(bool traced, const std::string& display = "") {
    if (dir_.path().empty()) return fail("no temporary directory");
    fs::create_directories(work() / "wave");
    e2e::writeSilentWav(work() / "wave" / "delay.wav", 100);
    writeConfig();
    if (!startEmulator() || !startLoggerPair()) return false;
    e2e::ProcessOptions run;
    run.argv = {KELDAR_PANEL, "-C", work().string()};
    if (display.empty()) run.argv.insert(run.argv.begin() + 1, "--terminal");
    if (traced) {
      const fs::path fifo = dir_.path() / "trace.fifo";
      if (mkfifo(fifo.c_str(), 0600) != 0) return fail("mkfifo failed");
      trace_ = std::make_unique<TraceFeed>(fifo);
      run.argv.insert(run.argv.end(), {"--trace", fifo.string()});
    }
    run.cwd = dir_.path().string();
    run.terminal = true;
    run.env = {{"SDL_AUDIODRIVER", "dummy"}, {"TERM", "xterm"}, {"DISPLAY", display}};
    panel_ = e2e::Process::start(run, error_);
    if (!panel_) return false;
    // Connected: the set-up has polled the radio and the poll loop runs.
    const bool up = e2e::waitUntil([&] {
      const auto log = e2e::readLines(dir_.path() / "emulator.log");
      return std::count(log.begin(), log.end(), "SM0;") >= 3 || !panel_->running();
    });
    if (!up || !panel_->running()) return fail("the panel did not connect");
    return true;
  }

  // J typed at the terminal until its "FA" + nine digits comes back traced.
  void keyLatency(int rounds) {
    std::vector<double> endToEnd, inPanel;
    for (int i = 0; i < rounds; ++i) {
      std::this_thread::sleep_for(Millis(120));
      const size_t from = trace_->count();
      const auto typed = Steady::now();
      panel_->type("j");
      TraceFeed::Line key{}, write{};
      e2e::waitUntil(
          [&] {
            for (const auto& line : trace_->since(from)) {
              if (line.text.rfind("KEY ", 0) == 0 && key.text.empty()) key = line;
              if (line.text.rfind("WRITE 3 FA", 0) == 0 && line.text.size() >= 20) {
                write = line;
                return true;
              }
            }
            return false;
          },
          Millis(2000));
      if (write.text.empty()) continue;
      endToEnd.push_back(millisBetween(typed, write.at));
      if (!key.text.empty()) inPanel.push_back(millisBetween(key.at, write.at));
    }
    bench::printSpread("key J to \"FA...\" written, from the pty write (goal <= 1 ms)", endToEnd);
    bench::printSpread("key J: KEY trace line to WRITE trace line", inPanel);
  }

  // Tick periods from the arrival of TICK lines while idle.
  void tickPeriod(Millis span) {
    const size_t from = trace_->count();
    std::this_thread::sleep_for(span);
    std::vector<Steady::time_point> ticks;
    for (const auto& line : trace_->since(from)) {
      if (line.text == "TICK") ticks.push_back(line.at);
    }
    if (ticks.size() < 2) {
      std::printf("tick period: too few TICK lines (%zu)\n", ticks.size());
      return;
    }
    double sum = 0, worst = 0;
    for (size_t i = 1; i < ticks.size(); ++i) {
      const double period = millisBetween(ticks[i - 1], ticks[i]);
      sum += period;
      worst = std::max(worst, std::fabs(period - 50.0));
    }
    const double mean = sum / static_cast<double>(ticks.size() - 1);
    std::printf(
        "tick period over %zu ticks: mean %.3f ms (%+.3f from 50), worst deviation %.3f ms\n",
        ticks.size() - 1, mean, mean - 50.0, worst);
  }

  void idleCpu(const char* what, Millis span, const char* goal = "0.3") {
    const CpuSample before = cpuOf(panel_->pid());
    std::this_thread::sleep_for(span);
    const CpuSample after = cpuOf(panel_->pid());
    const double seconds = std::chrono::duration<double>(span).count();
    std::printf("idle CPU over %.0f s, %s: %.3f %% of a core (goal <= %s %%)%s\n", seconds, what,
                percentOfCore(before, after), goal,
                after.precise ? "" : ", counted in whole clock ticks");
    if (!after.precise) {
      std::printf("  (one clock tick over this span is %.2f %% of a core)\n",
                  100.0 / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds);
    }
    std::printf("resident memory, %s: VmHWM %.1f MB, VmRSS %.1f MB (goal <= 40 MB)\n", what,
                memoryMb(panel_->pid(), "VmHWM"), memoryMb(panel_->pid(), "VmRSS"));
  }

  void rigctlTimes() {
    const std::string rigctl = e2e::findTool("rigctl");
    if (rigctl.empty()) {
      std::printf("rigctl: not installed, not measured\n");
      return;
    }
    const auto rig = [&](std::vector<std::string> commands) {
      std::vector<std::string> argv = {
          rigctl, "-m", "1035", "-r", (dir_.path() / "logger").string(), "-s", "38400"};
      argv.insert(argv.end(), commands.begin(), commands.end());
      return e2e::runToEnd(argv, e2e::kHangGuard);
    };
    const e2e::RunResult open = rig({});
    const e2e::RunResult read = rig({"f"});
    const e2e::RunResult tune = rig({"F", "14250000", "f"});
    const e2e::RunResult mode = rig({"M", "USB", "0", "m"});
    const bool ok =
        open.exitCode == 0 && read.exitCode == 0 && tune.exitCode == 0 && mode.exitCode == 0;
    std::printf(
        "rigctl through the relay%s: open %.3f s; per command beyond the open: f %.3f s, "
        "F+f %.3f s, M+m %.3f s\n",
        ok ? "" : " (a run FAILED)", open.seconds, read.seconds - open.seconds,
        tune.seconds - open.seconds, mode.seconds - open.seconds);
  }

  // Q at the terminal; the window reads no keys from it, so it gets a signal.
  void quit(bool byKey = true) {
    if (!panel_) return;
    if (byKey) panel_->type("q");
    int code = -1;
    if (!byKey || !panel_->waitExit(Millis(10000), code)) panel_->signal(SIGTERM);
    panel_->waitExit(Millis(5000), code);
    panel_.reset();
    pair_.reset();
    emulator_.reset();
    trace_.reset();
  }

  const std::string& error() const { return error_; }

 private:
  fs::path work() const { return dir_.path() / "work"; }

  bool fail(const std::string& why) {
    error_ = why;
    return false;
  }

  void writeConfig() const {
    std::ofstream cfg(work() / "keldar.cfg", std::ios::binary);
    for (const char* line :
         {"COM=3", "Speed=38400", "Power=100", "Swr=1", "Atu=1", "Bands  =7", "Switch=0", "Dcs=1",
          "10m = +100", "6m = -500", "2m = -600", "70cm= -7600", "Relay=4", "Debug=0"}) {
      cfg << line << "\r\n";
    }
  }

  bool startEmulator() {
    e2e::ProcessOptions run;
    run.argv = {KELDAR_EMULATOR, "--link", (work() / "COM3").string(), "--log",
                (dir_.path() / "emulator.log").string()};
    run.stdoutPath = "/dev/null";
    run.stderrPath = (dir_.path() / "emulator.err").string();
    emulator_ = e2e::Process::start(run, error_);
    if (!emulator_) return false;
    if (!e2e::waitUntil([&] { return fs::is_symlink(work() / "COM3"); })) {
      return fail("the emulator did not come up");
    }
    return true;
  }

  bool startLoggerPair() {
    const std::string socat = e2e::findTool("socat");
    if (socat.empty()) return fail("socat is not installed (scripts/setup installs it)");
    e2e::ProcessOptions run;
    run.argv = {socat, "pty,raw,echo=0,link=" + (dir_.path() / "logger").string(),
                "pty,raw,echo=0,link=" + (work() / "COM4").string()};
    run.stderrPath = "/dev/null";
    pair_ = e2e::Process::start(run, error_);
    if (!pair_) return false;
    if (!e2e::waitUntil([&] { return fs::is_symlink(work() / "COM4"); })) {
      return fail("socat did not make its pty pair");
    }
    return true;
  }

  e2e::TempDir dir_;
  std::string error_;
  std::unique_ptr<e2e::Process> emulator_, pair_, panel_;
  std::unique_ptr<TraceFeed> trace_;
};

// The same idle figures with the window, on an Xvfb display of its own.
void windowRun(Millis span) {
  const std::string xvfb = e2e::findTool("Xvfb");
  if (xvfb.empty()) {
    std::printf("idle CPU with the window: not measured (Xvfb is not installed)\n");
    return;
  }
  const std::string display = ":" + std::to_string(90 + getpid() % 50);
  e2e::ProcessOptions run;
  run.argv = {xvfb, display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"};
  run.stdoutPath = "/dev/null";
  run.stderrPath = "/dev/null";
  std::string error;
  auto server = e2e::Process::start(run, error);
  const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
  if (!server || !e2e::waitUntil([&] { return fs::exists(socket) || !server->running(); }) ||
      !server->running()) {
    std::printf("idle CPU with the window: not measured (Xvfb did not start)\n");
    return;
  }
  Bench windowed;
  if (!windowed.start(false, display)) {
    std::printf("idle CPU with the window: not measured (%s)\n", windowed.error().c_str());
    return;
  }
  std::this_thread::sleep_for(Millis(1000));
  windowed.idleCpu("window on Xvfb", span, "1");
  windowed.quit(false);
}

}  // namespace

int main() {
  constexpr Millis kIdleSpan{10000};
  std::printf("keldar acceptance bench: %s against %s\n", KELDAR_PANEL, KELDAR_EMULATOR);
  {
    Bench traced;
    if (!traced.start(true)) {
      std::printf("could not start the traced run: %s\n", traced.error().c_str());
      return 1;
    }
    traced.keyLatency(30);
    traced.tickPeriod(kIdleSpan);
    traced.idleCpu("terminal panel with --trace", kIdleSpan);
    traced.quit();
  }
  {
    Bench plain;
    if (!plain.start(false)) {
      std::printf("could not start the plain run: %s\n", plain.error().c_str());
      return 1;
    }
    std::this_thread::sleep_for(Millis(1000));
    plain.idleCpu("terminal panel", kIdleSpan);
    plain.rigctlTimes();
    plain.quit();
  }
  windowRun(kIdleSpan);
  std::printf("phrase gap (goal <= 2 ms) and readout ratio (goal <= 1.01): run %s\n",
              KELDAR_PHRASE_BENCH);
  return 0;
}
