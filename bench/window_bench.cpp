// What the open window costs while the panel idles: CPU over a run with the
// radio polled every tick (the built-in simulated radio answers), and how
// late each 50 ms tick reaches the handler after its point. Prints figures;
// needs a display (run it under Xvfb on a server).
//
//   window_bench [seconds]      default 10
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/events.h"
#include "app/startup.h"
#include "core/panel.h"
#include "core/window.h"
#include "display/display.h"
#include "platform/clock_posix.h"
#include "platform/files_posix.h"
#include "platform/serial_posix.h"
#include "platform/window_sdl.h"
#include "radio/apply_mode.h"

namespace {

using Clock = std::chrono::steady_clock;

// Phrases return at once: the figures are the window's and the polling's.
class SilentSound : public keldar::Sound {
 public:
  void queueFile(const std::string&) override { queued += 1; }
  void stop() override {}
  uint64_t startedCount() override { return queued; }
  int unfinishedCount() override { return 0; }
  uint64_t queued = 0;
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Measures each tick against the timer's 50 ms grid, then hands every event
// to the panel as the real loop does.
class MeasuringSink : public keldar::EventSink {
 public:
  MeasuringSink(keldar::Panel& panel, Clock::time_point start) : panel_(panel), start_(start) {}
  void onEvent(int32_t message, int32_t wparam) override {
    if (message == keldar::kTimerEvent) {
      const auto since =
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
      lateness.push_back(static_cast<double>(since.count() % 50000) / 1000.0);
      ++ticks;
    }
    keldar::deliverEvent(panel_, message, wparam);
  }
  std::vector<double> lateness;
  long ticks = 0;

 private:
  keldar::Panel& panel_;
  Clock::time_point start_;
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  keldar::SdlWindow window;
  if (!window.openWindow(keldar::windowTitle(), 250, 100, 950, 500)) {
    std::fprintf(stderr, "window_bench: no display (run under Xvfb)\n");
    return 1;
  }
  keldar::PosixSerialPorts serial;
  SilentSound sound;
  keldar::SystemClock clock;
  keldar::PosixFileSystem files;
  keldar::Panel panel(serial, sound, window, clock, files);
  keldar::PanelState& s = panel.state;
  s.simulationMode = 1;
  s.running = 1;
  keldar::moveTextPosition(panel, keldar::kBannerField.x, keldar::kBannerField.y);
  keldar::printText(panel, s.bannerText.str());
  keldar::drawHelpLines(panel);
  keldar::drawFrequencyPanel(panel);

  const Clock::time_point start = Clock::now();
  window.startTimer(50, 1);
  MeasuringSink sink(panel, start);
  const double cpuStart = cpuSeconds();
  while (Clock::now() - start < std::chrono::seconds(seconds) && s.running == 1) {
    window.waitForEvents(sink, false);
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = cpuSeconds() - cpuStart;
  window.stopTimer(1);
  window.closeWindow();

  std::vector<double> late = sink.lateness;
  std::sort(late.begin(), late.end());
  const double worst = late.empty() ? 0.0 : late.back();
  const double median = late.empty() ? 0.0 : late[late.size() / 2];
  const double p99 = late.empty() ? 0.0 : late[late.size() * 99 / 100];
  std::printf("run                 %.2f s, %ld ticks of %ld points\n", wall, sink.ticks,
              static_cast<long>(wall * 20));
  std::printf("radio               %s\n", s.connected == 1
                                              ? "connected (simulated), polled"
                                              : "never answered (polling placeholder?)");
  std::printf("CPU                 %.3f s = %.2f %% of a core (goal <= 1 %%)\n", cpu,
              100.0 * cpu / wall);
  std::printf("tick after point    median %.2f ms, 99th %.2f ms, worst %.2f ms (goal <= 5 ms)\n",
              median, p99, worst);
  return 0;
}
