// A station on the test bench: the radio emulator on a pty linked as COM3 in a
// temporary working directory, optionally a pty pair for a logger (its panel end
// linked as COM4), and the real panel in its terminal mode, keys typed at its
// terminal. Everything lives under one temporary folder removed afterwards.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "process.h"

namespace e2e {

// Generous guard against a hang; never a measure of speed.
constexpr Millis kHangGuard{30000};

std::string readFile(const std::filesystem::path& path);
std::vector<std::string> readLines(const std::filesystem::path& path);  // CR LF or LF
bool waitUntil(const std::function<bool()>& done, Millis limit = kHangGuard);
// A silent 16-bit mono WAV of the given length (the panel's pause between a
// query and its reading is the length of its "delay" recording).
bool writeSilentWav(const std::filesystem::path& path, int milliseconds);
// Where a tool is on PATH; empty when it is not installed.
std::string findTool(const std::string& name);

// The lines "emulator.log" holds for commands, without the "#" lines of the
// emulator's own front panel.
std::vector<std::string> commandsOnly(const std::vector<std::string>& lines);
// Index of `wanted` as a contiguous run within `lines` from `from`; -1 if absent.
int findRun(const std::vector<std::string>& lines, const std::vector<std::string>& wanted,
            size_t from = 0);
int countOf(const std::vector<std::string>& lines, std::string_view line);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct StationOptions {
  std::string model = "0670";
  bool logger = false;                    // relay port COM4 on a pty pair
  std::vector<std::string> emulatorArgs;  // e.g. --delay, --pieces
  // When above 0, every phrase is a silent recording this long, so that the
  // panel speaks at a speaking pace and keys typed meanwhile wait.
  int phraseMs = 0;
  std::vector<std::string> panelArgs;  // e.g. --simulate
  bool delayRecording = true;          // wave/delay.wav of 100 ms
  std::vector<std::string> config;     // keldar.cfg's lines; empty: the bench's own
  // Runs on the working folder before the panel starts (files to find there).
  std::function<void(const std::filesystem::path&)> prepare;
  int fileLimit = 0;  // above 0: the panel's RLIMIT_NOFILE
  // An outside radio instead of the emulator: a program that opens a pty and
  // prints "name=/dev/pts/N" (Hamlib's simulators); it is linked as COM3.
  std::vector<std::string> outsideRadio;
  // Above 0: the panel reaches the radio over TCP (--radio), socat serving
  // the emulator's pty on this loopback port, as ser2net would.
  int radioTcpPort = 0;
  // The trace goes into a FIFO (tracePath()) for a reader that stamps each
  // line as it arrives; the station's own trace readers then see nothing.
  bool traceFifo = false;
};

// A loopback port nothing listens on just now.
int freeLoopbackPort();

// The other program's end of the relay's pty pair, as a logger uses it.
class LoggerPort {
 public:
  explicit LoggerPort(const std::filesystem::path& device);
  ~LoggerPort();
  LoggerPort(const LoggerPort&) = delete;
  LoggerPort& operator=(const LoggerPort&) = delete;
  bool ok() const { return fd_ >= 0; }
  bool send(std::string_view bytes);
  // The next answer, up to and with its ';'; empty when none came within `limit`.
  std::string answer(Millis limit);
  // Whatever has come that nobody asked for, without waiting.
  std::string drain();

 private:
  bool readSome(Millis limit);
  int fd_ = -1;
  std::string pending_;
};

class Station {
 public:
  static constexpr int kRadioPort = 3;
  static constexpr int kRelayPort = 4;

  explicit Station(StationOptions options = {});
  ~Station();

  // Starts the emulator (and the logger's pty pair) and then the panel. False
  // with a reason in error() when a part could not be started.
  bool start();
  const std::string& error() const { return error_; }

  std::filesystem::path work() const { return dir_.path() / "work"; }
  std::filesystem::path loggerDevice() const { return dir_.path() / "logger"; }
  // The pty an outside radio opened; empty with the emulator.
  const std::string& outsideDevice() const { return outsideDevice_; }

  std::filesystem::path tracePath() const;
  std::vector<std::string> radioLog() const;  // commands the radio received, in order
  std::vector<std::string> debugLines() const;
  std::vector<std::string> traceLines() const;  // without their time stamps
  bool traceHas(std::string_view line) const;
  bool waitForTrace(std::string_view line, Millis limit = kHangGuard) const;
  // Waits until the emulator's log shows this front-panel line applied.
  bool frontPanel(const std::string& line);
  // The radio's own account of its state: "FA014250000 FB007074000 MD02 FT0 PS1 TX0".
  std::string radioState();
  bool press(std::string_view keys) { return panel_ && panel_->type(keys); }
  // Q, then the panel's own end; its exit code, or -1 when it did not end.
  int quit();
  // A signal to the panel (0: none), then its end; its exit code, or -1 when it
  // did not end.
  int stopPanel(int sig);
  // The panel once more in the same folder, after it has ended; the radio
  // keeps running and keeps its state.
  bool restartPanel();

  // The panel's terminal (stdout and stderr) as written so far.
  std::string terminalText() const { return panel_ ? panel_->screen() : std::string(); }
  Process* panel() { return panel_.get(); }
  // Waits for the panel's end without pressing anything; its exit code or -1.
  int waitForEnd(Millis limit = kHangGuard);
  // The TCP server in front of the radio going away and coming back.
  bool startRadioServer();
  void stopRadioServer();

  // All the station's logs, for a failing test's report.
  std::string report() const;

 private:
  bool startEmulator();
  bool startOutsideRadio();
  bool startLoggerPair();
  bool startPanel();
  void writeConfig() const;

  StationOptions options_;
  TempDir dir_;
  std::string error_;
  std::string outsideDevice_;
  std::unique_ptr<Process> emulator_;
  std::unique_ptr<Process> pair_;
  std::unique_ptr<Process> radioServer_;
  std::unique_ptr<Process> panel_;
};

}  // namespace e2e
