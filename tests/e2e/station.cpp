#include "station.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {
namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> readLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::istringstream in(readFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool waitUntil(const std::function<bool()>& done, Millis limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(Millis(20));
  }
  return true;
}

bool writeSilentWav(const fs::path& path, int milliseconds) {
  const uint32_t rate = 22050;
  const uint32_t dataBytes = rate * static_cast<uint32_t>(milliseconds) / 1000 * 2;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&out](uint16_t v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
  };
  out << "RIFF";
  u32(36 + dataBytes);
  out << "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out << "data";
  u32(dataBytes);
  out << std::string(dataBytes, '\0');
  return static_cast<bool>(out);
}

std::string findTool(const std::string& name) {
  const char* path = getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    fs::path candidate = fs::path(dir) / name;
    if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

std::vector<std::string> commandsOnly(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    if (line.empty() || line[0] != '#') out.push_back(line);
  }
  return out;
}

int findRun(const std::vector<std::string>& lines, const std::vector<std::string>& wanted,
            size_t from) {
  if (wanted.empty() || lines.size() < wanted.size()) return -1;
  for (size_t i = from; i + wanted.size() <= lines.size(); ++i) {
    if (std::equal(wanted.begin(), wanted.end(), lines.begin() + static_cast<long>(i))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int countOf(const std::vector<std::string>& lines, std::string_view line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "keldar-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  // KELDAR_E2E_KEEP=1 keeps every log of a run for a closer look.
  const char* keep = getenv("KELDAR_E2E_KEEP");
  if (keep != nullptr && std::string_view(keep) == "1") {
    std::fprintf(stderr, "kept %s\n", path_.c_str());
    return;
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

Station::Station(StationOptions options) : options_(std::move(options)) {}

Station::~Station() {
  // The panel first, so it never sees its radio vanish; then the rest.
  int code = 0;
  if (panel_) {
    panel_->signal(SIGTERM);
    panel_->waitExit(Millis(5000), code);
  }
  panel_.reset();
  pair_.reset();
  emulator_.reset();
}

void Station::writeConfig() const {
  std::ofstream cfg(work() / "keldar.cfg", std::ios::binary);
  const char* lines[] = {"COM=3",
                         "Speed=38400",
                         "Power=100",
                         "Swr=1",
                         "Atu=1",
                         "Bands  =7",
                         "Switch=0",
                         "Dcs=1",
                         "10m = +100",
                         "6m = -500",
                         "2m = -600",
                         "70cm= -7600",
                         options_.logger ? "Relay=4" : "Relay=0",
                         "Debug=1"};
  if (!options_.config.empty()) {
    for (const std::string& line : options_.config) cfg << line << "\r\n";
    return;
  }
  for (const char* line : lines) cfg << line << "\r\n";
}

bool Station::startEmulator() {
  ProcessOptions run;
  run.argv = {KELDAR_EMULATOR,
              "--link",
              (work() / "COM3").string(),
              "--model",
              options_.model,
              "--log",
              (dir_.path() / "emulator.log").string(),
              "--control",
              (dir_.path() / "radio.ctl").string()};
  run.argv.insert(run.argv.end(), options_.emulatorArgs.begin(), options_.emulatorArgs.end());
  run.stdoutPath = (dir_.path() / "emulator.out").string();
  run.stderrPath = (dir_.path() / "emulator.err").string();
  emulator_ = Process::start(run, error_);
  if (!emulator_) return false;
  if (!waitUntil([&] { return fs::is_symlink(work() / "COM3") || !emulator_->running(); }) ||
      !emulator_->running()) {
    error_ = "the emulator did not come up: " + readFile(dir_.path() / "emulator.err");
    return false;
  }
  return true;
}

bool Station::startOutsideRadio() {
  ProcessOptions run;
  run.argv = options_.outsideRadio;
  run.stdoutPath = (dir_.path() / "emulator.out").string();
  run.stderrPath = (dir_.path() / "emulator.err").string();
  emulator_ = Process::start(run, error_);
  if (!emulator_) return false;
  auto named = [&] {
    const std::string out = readFile(dir_.path() / "emulator.out");
    const size_t at = out.find("name=");
    const size_t end = out.find('\n', at);
    if (at == std::string::npos || end == std::string::npos) return false;
    outsideDevice_ = out.substr(at + 5, end - at - 5);
    return true;
  };
  if (!waitUntil([&] { return named() || !emulator_->running(); }) || outsideDevice_.empty()) {
    error_ = "the outside radio named no device: " + readFile(dir_.path() / "emulator.err");
    return false;
  }
  std::error_code failed;
  fs::create_symlink(outsideDevice_, work() / "COM3", failed);
  if (failed) error_ = "cannot link COM3: " + failed.message();
  return !failed;
}

bool Station::startLoggerPair() {
  std::string socat = findTool("socat");
  if (socat.empty()) {
    error_ = "socat is not installed (scripts/setup installs it)";
    return false;
  }
  ProcessOptions run;
  run.argv = {socat, "pty,raw,echo=0,link=" + loggerDevice().string(),
              "pty,raw,echo=0,link=" + (work() / "COM4").string()};
  run.stderrPath = (dir_.path() / "socat.err").string();
  pair_ = Process::start(run, error_);
  if (!pair_) return false;
  auto linked = [&] { return fs::is_symlink(loggerDevice()) && fs::is_symlink(work() / "COM4"); };
  if (!waitUntil([&] { return linked() || !pair_->running(); }) || !pair_->running()) {
    error_ = "socat did not make its pty pair: " + readFile(dir_.path() / "socat.err");
    return false;
  }
  return true;
}

int freeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof at;
  ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
  ::close(fd);
  return ntohs(at.sin_port);
}

LoggerPort::LoggerPort(const fs::path& device)
    : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}

LoggerPort::~LoggerPort() {
  if (fd_ >= 0) ::close(fd_);
}

bool LoggerPort::send(std::string_view bytes) {
  return fd_ >= 0 && ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

bool LoggerPort::readSome(Millis limit) {
  pollfd ready{fd_, POLLIN, 0};
  if (::poll(&ready, 1, static_cast<int>(limit.count())) <= 0) return false;
  char buffer[512];
  const ssize_t n = ::read(fd_, buffer, sizeof buffer);
  if (n <= 0) return false;
  pending_.append(buffer, static_cast<size_t>(n));
  return true;
}

std::string LoggerPort::answer(Millis limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  size_t end;
  while ((end = pending_.find(';')) == std::string::npos) {
    const auto left = std::chrono::ceil<Millis>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    readSome(left);
  }
  std::string one = pending_.substr(0, end + 1);
  pending_.erase(0, end + 1);
  return one;
}

std::string LoggerPort::drain() {
  while (readSome(Millis(0))) {
  }
  return std::exchange(pending_, {});
}

// One connection at a time, each opening the radio's device anew.
bool Station::startRadioServer() {
  const std::string socat = findTool("socat");
  if (socat.empty()) {
    error_ = "socat is not installed (scripts/setup installs it)";
    return false;
  }
  const std::string port = std::to_string(options_.radioTcpPort);
  ProcessOptions run;
  run.argv = {socat, "TCP-LISTEN:" + port + ",bind=127.0.0.1,reuseaddr,fork",
              "FILE:" + (work() / "COM3").string() + ",raw,echo=0"};
  // A session of its own, so that the server and the child serving the
  // connection go together.
  run.terminal = true;
  radioServer_ = Process::start(run, error_);
  if (!radioServer_) return false;
  // Listening once the port cannot be bound. A probing connection would not
  // do: socat's child serving it puts the pty back into cooked mode as it
  // ends, under the panel's own connection.
  const auto listening = [&] {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<uint16_t>(options_.radioTcpPort));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool taken =
        ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 && errno == EADDRINUSE;
    ::close(fd);
    return taken;
  };
  if (!waitUntil(listening)) {
    error_ = "socat did not listen: " + radioServer_->screen();
    return false;
  }
  return true;
}

void Station::stopRadioServer() {
  if (!radioServer_) return;
  ::kill(-radioServer_->pid(), SIGTERM);
  radioServer_.reset();
}

bool Station::startPanel() {
  fs::create_directories(work() / "wave");
  // Only the pause needs a recording; every other phrase shows in the trace
  // whether or not its file exists.
  if (options_.phraseMs > 0) {
    for (const auto& line : readLines(fs::path(KELDAR_SOURCE_DIR) / "data" / "phrases.tsv")) {
      if (line.empty() || line[0] == '#') continue;
      std::string name = line.substr(0, line.find('\t'));
      if (!name.ends_with(".wav")) name += ".wav";
      writeSilentWav(work() / "wave" / name, options_.phraseMs);
    }
  }
  if (options_.delayRecording) writeSilentWav(work() / "wave" / "delay.wav", 100);
  writeConfig();
  if (options_.prepare) options_.prepare(work());
  ProcessOptions run;
  run.fileLimit = options_.fileLimit;
  if (options_.traceFifo && !fs::exists(tracePath()) && ::mkfifo(tracePath().c_str(), 0600) != 0) {
    error_ = "cannot make the trace's FIFO";
    return false;
  }
  run.argv = {KELDAR_PANEL, "--terminal", "-C", work().string(), "--trace", tracePath().string()};
  run.argv.insert(run.argv.end(), options_.panelArgs.begin(), options_.panelArgs.end());
  if (options_.radioTcpPort > 0) {
    run.argv.push_back("--radio");
    run.argv.push_back("tcp:127.0.0.1:" + std::to_string(options_.radioTcpPort));
  }
  run.cwd = dir_.path().string();
  run.terminal = true;
  run.env = {{"SDL_AUDIODRIVER", "dummy"}, {"TERM", "xterm"}, {"DISPLAY", ""}};
  panel_ = Process::start(run, error_);
  return panel_ != nullptr;
}

bool Station::start() {
  if (dir_.path().empty()) {
    error_ = "no temporary directory";
    return false;
  }
  fs::create_directories(work());
  if (!(options_.outsideRadio.empty() ? startEmulator() : startOutsideRadio())) return false;
  if (options_.logger && !startLoggerPair()) return false;
  if (options_.radioTcpPort > 0 && !startRadioServer()) return false;
  return startPanel();
}

fs::path Station::tracePath() const {
  return dir_.path() / (options_.traceFifo ? "trace.fifo" : "trace.txt");
}

std::vector<std::string> Station::radioLog() const {
  return commandsOnly(readLines(dir_.path() / "emulator.log"));
}

std::vector<std::string> Station::debugLines() const {
  return readLines(work() / "debug.dat");
}

std::vector<std::string> Station::traceLines() const {
  std::vector<std::string> lines;
  // Reading the FIFO would take the lines from the reader they are for.
  if (options_.traceFifo) return lines;
  for (const auto& line : readLines(tracePath())) {
    size_t space = line.find(' ');
    lines.push_back(space == std::string::npos ? line : line.substr(space + 1));
  }
  return lines;
}

bool Station::traceHas(std::string_view line) const {
  auto lines = traceLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Station::waitForTrace(std::string_view line, Millis limit) const {
  // A panel that has ended will never write the line: stop waiting at once.
  waitUntil([&] { return traceHas(line) || !panel_ || !panel_->running(); }, limit);
  return traceHas(line);
}

bool Station::frontPanel(const std::string& line) {
  // The same line may have been given before: wait for one more acknowledgement.
  auto acknowledged = [&] { return countOf(readLines(dir_.path() / "emulator.log"), "# " + line); };
  int before = acknowledged();
  {
    std::ofstream control(dir_.path() / "radio.ctl");
    control << line << "\n";
    if (!control) return false;
  }
  return waitUntil([&] { return acknowledged() > before; });
}

std::string Station::radioState() {
  if (!frontPanel("report")) return {};
  auto lines = readLines(dir_.path() / "emulator.log");
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    if (line->rfind("# state ", 0) == 0) return line->substr(8);
  }
  return {};
}

int Station::quit() {
  if (!press("q")) return -1;
  int code = -1;
  if (!panel_->waitExit(kHangGuard, code)) return -1;
  return code;
}

int Station::waitForEnd(Millis limit) {
  int code = -1;
  if (!panel_ || !panel_->waitExit(limit, code)) return -1;
  return code;
}

int Station::stopPanel(int sig) {
  if (!panel_) return -1;
  panel_->signal(sig);
  int code = -1;
  if (!panel_->waitExit(kHangGuard, code)) return -1;
  return code;
}

bool Station::restartPanel() {
  if (panel_ && panel_->running()) {
    error_ = "the panel is still running";
    return false;
  }
  panel_.reset();
  // The new run's trace only: nothing of the last run is read as its own.
  std::error_code ignored;
  fs::remove(dir_.path() / "trace.txt", ignored);
  return startPanel();
}

std::string Station::report() const {
  std::ostringstream out;
  auto tail = [&out](const std::string& title, const std::vector<std::string>& lines) {
    out << "--- " << title << " (last 60 of " << lines.size() << ")\n";
    size_t from = lines.size() > 60 ? lines.size() - 60 : 0;
    for (size_t i = from; i < lines.size(); ++i) out << lines[i] << "\n";
  };
  tail("radio received", readLines(dir_.path() / "emulator.log"));
  tail("debug.dat", debugLines());
  tail("trace", readLines(dir_.path() / "trace.txt"));
  out << "--- emulator stderr\n" << readFile(dir_.path() / "emulator.err");
  if (panel_)
    out << "--- panel terminal (last 2000 bytes)\n"
        << panel_->screen().substr(panel_->screen().size() > 2000 ? panel_->screen().size() - 2000
                                                                  : 0);
  return out.str();
}

}  // namespace e2e
