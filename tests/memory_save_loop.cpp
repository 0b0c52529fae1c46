// Support program for the power-cut test: saves the memory banks of working
// directory DIR again and again, numbered from START, through the real file
// layer, and writes each number to stdout once its save has completed. The
// test kills it at random moments.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/panel.h"
#include "memory/bank_file.h"
#include "platform/files_posix.h"
#include "support/bank_generations.h"

namespace {

// The banks need no radio, sound or screen.
class NoSerial : public keldar::SerialPorts {
 public:
  int openPort(int, int) override { return 0; }
  void setReadTimeouts(int, int) override {}
  int setLineFormat(int, int, int, int) override { return 0; }
  int bytesWaiting(int) override { return 0; }
  int readPort(int, char*, int) override { return 0; }
  int writePort(int, const char*, int) override { return 0; }
  void closePort(int) override {}
  bool portLost(int) override { return false; }
};
class NoSound : public keldar::Sound {
 public:
  void queueFile(const std::string&) override { queued += 1; }
  void stop() override {}
  uint64_t startedCount() override { return queued; }
  int unfinishedCount() override { return 0; }
  uint64_t queued = 0;
};
class NoScreen : public keldar::FrontEnd {
 public:
  bool openWindow(const std::string&, int, int, int, int) override { return false; }
  void closeWindow() override {}
  void moveTextPosition(int, int) override {}
  void printText(std::string_view) override {}
  void setFont(const keldar::FontSpec&) override {}
  void flushDrawing() override {}
  void startTimer(int, int) override {}
  void stopTimer(int) override {}
  void waitForEvents(keldar::EventSink&, bool) override {}
};
class NoClock : public keldar::Clock {
 public:
  keldar::LocalTime localTime() override { return {}; }
  uint32_t tickMs() override { return 0; }
  void waitMs(uint32_t) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: memory_save_loop DIR START\n");
    return 2;
  }
  NoSerial serial;
  NoSound sound;
  NoScreen screen;
  NoClock clock;
  keldar::PosixFileSystem files;
  keldar::Panel panel(serial, sound, screen, clock, files);
  panel.workDir = argv[1];
  const int start = std::atoi(argv[2]);
  const pid_t parent = ::getppid();
  // Ends by itself if the test that started it has gone.
  for (int n = start; n < start + 100000 && ::getppid() == parent; ++n) {
    keldar::testing::fillGeneration(panel.state, n);
    if (!keldar::saveMemoryBanks(panel)) return 1;
    const std::string line = std::to_string(n) + "\n";
    if (::write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      return 1;
    }
  }
  return 0;
}
