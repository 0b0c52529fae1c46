// keldar_radio_emulator: a transceiver on a pseudo-terminal for end-to-end tests.
//
//   keldar_radio_emulator (--link PATH | --device PATH) [--model 0670|0241|0681|0362]
//       [--id NNNN] [--digits 8|9] [--suffix crlf|cr|lf|nul] [--echo] [--no-meter]
//       [--log FILE] [--control FIFO] [--delay MS] [--pieces N] [--gap MS]
//       [--front CMD]... [--off] [--verbose]
//
// --no-meter: the radio never answers a meter query ("SM0;", "RM6;"), as
// some radios and simulators do not.
// --id answers "ID;" with another number than the model's, --digits gives its
// frequencies another width; --suffix adds bytes after each answer, as some
// links do; --echo repeats every command back before its answer, as some
// interfaces do.
// --link makes a new pty and links its slave device at PATH (the panel opens it
// as COM<n>); --device talks on an existing device instead. --log receives every
// command as received, one per line with its ";". Lines written to the --control
// FIFO change the radio from its own front panel: CAT settings ("FA007074000;"),
// meter readings ("SM0120", "RM6045"), or "delay MS", "pieces N", "gap MS",
// "hold", "release [N]", "mute", "unmute" (the radio falls silent and speaks
// again), "vanish" (the device goes away, as a USB cable pulled: the pty is
// closed and the --link left dangling), "return" (a new pty under the same
// link), "PS0", "PS1", "report" (the state as a log line). Each front-panel
// line is acknowledged in the log as "# " + line.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "radio.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t stopRequested = 0;
void onStopSignal(int) {
  stopRequested = 1;
}

struct Options {
  std::string link;
  std::string device;
  std::string model = "0670";
  std::string log;
  std::string control;
  std::vector<std::string> front;
  std::string id;
  int digits = 0;
  std::string suffix;
  bool echo = false;
  bool noMeter = false;
  int delayMs = 0;
  int pieces = 1;
  int gapMs = 20;
  bool off = false;
  bool verbose = false;
};

void usage() {
  std::fprintf(stderr,
               "usage: keldar_radio_emulator (--link PATH | --device PATH)\n"
               "       [--model 0670|0241|0681|0362] [--id NNNN] [--digits 8|9]\n"
               "       [--suffix crlf|cr|lf|nul] [--echo] [--no-meter]\n"
               "       [--log FILE] [--control FIFO] [--delay MS] [--pieces N] [--gap MS]\n"
               "       [--front CMD]... [--off] [--verbose]\n");
}

bool parseNumber(const char* text, int& out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 600000) return false;
  out = static_cast<int>(value);
  return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--off") {
      options.off = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--no-meter") {
      options.noMeter = true;
    } else if (arg == "--echo") {
      options.echo = true;
    } else if (!hasValue) {
      return false;
    } else if (arg == "--link") {
      options.link = argv[++i];
    } else if (arg == "--device") {
      options.device = argv[++i];
    } else if (arg == "--model") {
      options.model = argv[++i];
    } else if (arg == "--log") {
      options.log = argv[++i];
    } else if (arg == "--control") {
      options.control = argv[++i];
    } else if (arg == "--id") {
      options.id = argv[++i];
      if (options.id.size() != 4) return false;
    } else if (arg == "--digits") {
      if (!parseNumber(argv[++i], options.digits) || options.digits < 8 || options.digits > 9)
        return false;
    } else if (arg == "--suffix") {
      std::string word = argv[++i];
      if (word == "crlf") {
        options.suffix = "\r\n";
      } else if (word == "cr") {
        options.suffix = "\r";
      } else if (word == "lf") {
        options.suffix = "\n";
      } else if (word == "nul") {
        options.suffix = std::string(1, '\0');
      } else {
        return false;
      }
    } else if (arg == "--front") {
      options.front.push_back(argv[++i]);
    } else if (arg == "--delay") {
      if (!parseNumber(argv[++i], options.delayMs)) return false;
    } else if (arg == "--pieces") {
      if (!parseNumber(argv[++i], options.pieces) || options.pieces < 1) return false;
    } else if (arg == "--gap") {
      if (!parseNumber(argv[++i], options.gapMs)) return false;
    } else {
      return false;
    }
  }
  return options.link.empty() != options.device.empty();
}

std::string escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

void makeRaw(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&tio, B38400);
  cfsetospeed(&tio, B38400);
  tcsetattr(fd, TCSANOW, &tio);
}

class Emulator {
 public:
  Emulator(const Options& options, const emu::Model& model) : options_(options), radio_(model) {
    radio_.setPowered(!options.off);
    delayMs_ = options.delayMs;
    pieces_ = options.pieces;
    gapMs_ = options.gapMs;
  }
  ~Emulator();

  bool open();
  int run();

 private:
  bool openPty();
  void vanish();
  bool openControl();
  void readRadio();
  void readControl();
  void handleCommand(const std::string& text);
  void frontPanelLine(const std::string& line);
  void queueAnswer(const std::string& answer);
  void writeDue();
  int timeoutMs() const;
  void logLine(const std::string& line);

  struct Chunk {
    Clock::time_point due;
    std::string bytes;
  };

  const Options& options_;
  emu::Radio radio_;
  int radioFd_ = -1;
  int slaveFd_ = -1;  // held open so the pty survives the panel closing and reopening it
  int controlFd_ = -1;
  int logFd_ = -1;
  std::string received_;
  std::string controlText_;
  std::deque<Chunk> output_;
  int delayMs_ = 0;
  int pieces_ = 1;
  int gapMs_ = 20;
  bool hold_ = false;
  int releaseBudget_ = 0;
  bool mute_ = false;
  bool linked_ = false;
};

Emulator::~Emulator() {
  if (linked_) unlink(options_.link.c_str());
  for (int fd : {radioFd_, slaveFd_, controlFd_, logFd_}) {
    if (fd >= 0) close(fd);
  }
}

bool Emulator::openPty() {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::fprintf(stderr, "emulator: openpty: %s\n", std::strerror(errno));
    return false;
  }
  radioFd_ = master;
  slaveFd_ = slave;
  makeRaw(slave);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  struct stat existing {};
  if (lstat(options_.link.c_str(), &existing) == 0) {
    if (!S_ISLNK(existing.st_mode)) {
      std::fprintf(stderr, "emulator: %s exists and is not a link\n", options_.link.c_str());
      return false;
    }
    unlink(options_.link.c_str());
  }
  if (symlink(name, options_.link.c_str()) != 0) {
    std::fprintf(stderr, "emulator: link %s: %s\n", options_.link.c_str(), std::strerror(errno));
    return false;
  }
  linked_ = true;
  std::printf("PTY %s\n", name);
  std::fflush(stdout);
  return true;
}

bool Emulator::openControl() {
  if (options_.control.empty()) return true;
  if (mkfifo(options_.control.c_str(), 0600) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "emulator: mkfifo %s: %s\n", options_.control.c_str(),
                 std::strerror(errno));
    return false;
  }
  // Read and write, so the FIFO never reports end of file between writers.
  controlFd_ = ::open(options_.control.c_str(), O_RDWR | O_NONBLOCK);
  if (controlFd_ < 0) {
    std::fprintf(stderr, "emulator: %s: %s\n", options_.control.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

bool Emulator::open() {
  if (!options_.log.empty()) {
    logFd_ = ::open(options_.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    if (logFd_ < 0) {
      std::fprintf(stderr, "emulator: log %s: %s\n", options_.log.c_str(), std::strerror(errno));
      return false;
    }
  }
  for (const auto& line : options_.front) frontPanelLine(line);
  if (!openControl()) return false;
  if (!options_.device.empty()) {
    radioFd_ = ::open(options_.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (radioFd_ < 0) {
      std::fprintf(stderr, "emulator: %s: %s\n", options_.device.c_str(), std::strerror(errno));
      return false;
    }
    if (isatty(radioFd_)) makeRaw(radioFd_);
    return true;
  }
  return openPty();
}

void Emulator::logLine(const std::string& line) {
  if (logFd_ < 0) return;
  std::string text = line + "\n";
  if (write(logFd_, text.data(), text.size()) < 0) {
    std::fprintf(stderr, "emulator: log write: %s\n", std::strerror(errno));
  }
}

void Emulator::vanish() {
  // The device is gone: both ends closed, nothing waiting is ever delivered.
  for (int* fd : {&radioFd_, &slaveFd_}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  output_.clear();
  received_.clear();
}

void Emulator::queueAnswer(const std::string& answer) {
  Clock::time_point due = Clock::now() + std::chrono::milliseconds(delayMs_);
  if (!output_.empty() && output_.back().due > due) due = output_.back().due;
  size_t count = std::min<size_t>(static_cast<size_t>(pieces_), answer.size());
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t end = answer.size() * (i + 1) / count;
    output_.push_back({due, answer.substr(start, end - start)});
    start = end;
    due += std::chrono::milliseconds(gapMs_);
  }
}

void Emulator::handleCommand(const std::string& text) {
  logLine(escaped(text) + ";");
  if (options_.echo && !mute_) queueAnswer(text + ";");
  auto answer = radio_.command(text);
  const bool meter = text.rfind("SM", 0) == 0 || text.rfind("RM", 0) == 0;
  if (options_.noMeter && meter) answer.reset();
  if (options_.verbose) {
    std::fprintf(stderr, "emulator: %s; -> %s\n", escaped(text).c_str(),
                 answer ? escaped(*answer).c_str() : "(silent)");
  }
  if (answer && !mute_) queueAnswer(*answer + options_.suffix);
}

void Emulator::readRadio() {
  char buffer[512];
  for (;;) {
    ssize_t n = read(radioFd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    if (n <= 0) {
      stopRequested = 1;  // the device went away
      return;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == ';') {
        handleCommand(received_);
        received_.clear();
        continue;
      }
      received_ += buffer[i];
      // Line noise that never ends in ";": the radio gives up on it.
      if (received_.size() > 128) {
        logLine(escaped(received_));
        received_.clear();
        if (!mute_) queueAnswer("?;");
      }
    }
  }
}

void Emulator::frontPanelLine(const std::string& line) {
  std::string word = line.substr(0, line.find(' '));
  int value = 0;
  bool hasValue = line.size() > word.size() && parseNumber(line.c_str() + word.size() + 1, value);
  if (word == "delay" && hasValue) {
    delayMs_ = value;
  } else if (word == "pieces" && hasValue && value > 0) {
    pieces_ = value;
  } else if (word == "gap" && hasValue) {
    gapMs_ = value;
  } else if (word == "hold") {
    hold_ = true;
  } else if (word == "release") {
    if (hasValue) {
      releaseBudget_ += value;
    } else {
      hold_ = false;
    }
  } else if (word == "mute" || word == "unmute") {
    mute_ = word == "mute";
  } else if (word == "vanish") {
    if (!options_.link.empty()) vanish();
  } else if (word == "return") {
    if (!options_.link.empty() && radioFd_ < 0 && !openPty()) stopRequested = 1;
  } else if (word == "report") {
    logLine("# state " + radio_.state());
  } else {
    size_t start = 0;
    while (start < line.size()) {
      size_t end = line.find(';', start);
      if (end == std::string::npos) end = line.size();
      std::string part = line.substr(start, end - start);
      if (!part.empty() && !radio_.frontPanel(part)) {
        std::fprintf(stderr, "emulator: front panel: not understood: %s\n", part.c_str());
      }
      start = end + 1;
    }
  }
  // Acknowledged in the log, so a test knows the change has been made.
  logLine("# " + line);
}

void Emulator::readControl() {
  char buffer[512];
  ssize_t n;
  while ((n = read(controlFd_, buffer, sizeof buffer)) > 0) controlText_.append(buffer, n);
  size_t newline;
  while ((newline = controlText_.find('\n')) != std::string::npos) {
    std::string line = controlText_.substr(0, newline);
    controlText_.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) frontPanelLine(line);
  }
}

void Emulator::writeDue() {
  if (radioFd_ < 0) return;
  Clock::time_point now = Clock::now();
  while (!output_.empty() && output_.front().due <= now) {
    if (hold_ && releaseBudget_ == 0) return;
    Chunk& chunk = output_.front();
    ssize_t n = write(radioFd_, chunk.bytes.data(), chunk.bytes.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      output_.pop_front();  // nobody listening: the bytes are lost, as on a wire
      continue;
    }
    chunk.bytes.erase(0, static_cast<size_t>(n));
    if (!chunk.bytes.empty()) return;
    output_.pop_front();
    if (hold_ && releaseBudget_ > 0) --releaseBudget_;
  }
}

int Emulator::timeoutMs() const {
  if (output_.empty() || (hold_ && releaseBudget_ == 0)) return -1;
  auto wait =
      std::chrono::duration_cast<std::chrono::milliseconds>(output_.front().due - Clock::now());
  return wait.count() < 0 ? 0 : static_cast<int>(wait.count()) + 1;
}

int Emulator::run() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&blocked, sig);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &blocked, &waitMask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, onStopSignal);
  signal(SIGPIPE, SIG_IGN);

  while (!stopRequested) {
    pollfd fds[2] = {{radioFd_, POLLIN, 0}, {controlFd_, POLLIN, 0}};
    bool waitingToWrite = timeoutMs() == 0;
    if (waitingToWrite) fds[0].events |= POLLOUT;
    int timeout = waitingToWrite ? 50 : timeoutMs();
    timespec ts{timeout / 1000, (timeout % 1000) * 1000000L};
    int ready = ppoll(fds, controlFd_ >= 0 ? 2 : 1, timeout < 0 ? nullptr : &ts, &waitMask);
    if (ready < 0 && errno != EINTR) {
      std::fprintf(stderr, "emulator: poll: %s\n", std::strerror(errno));
      return 1;
    }
    if (ready > 0 && radioFd_ >= 0 && (fds[0].revents & POLLIN)) readRadio();
    if (ready > 0 && !options_.device.empty() && (fds[0].revents & (POLLHUP | POLLERR))) {
      if (!(fds[0].revents & POLLIN)) break;  // the other end is gone
    }
    if (ready > 0 && controlFd_ >= 0 && (fds[1].revents & POLLIN)) readControl();
    writeDue();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    usage();
    return 2;
  }
  const emu::Model* model = emu::findModel(options.model);
  if (model == nullptr) {
    std::fprintf(stderr, "emulator: unknown model %s (0670, 0241 or 0681)\n",
                 options.model.c_str());
    return 2;
  }
  // Another identity or frequency width, the rest of the model kept.
  emu::Model custom = *model;
  if (!options.id.empty()) custom.id = options.id.c_str();
  if (options.digits != 0) custom.frequencyDigits = options.digits;
  Emulator emulator(options, custom);
  if (!emulator.open()) return 1;
  return emulator.run();
}
