// The keldar program itself: its command line, a run without keldar.cfg,
// and a run on a pty radio with a pty terminal, ended by SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "keldar/version.h"
#include "support/scenario.h"

#ifndef KELDAR_BINARY_DIR
#define KELDAR_BINARY_DIR "."
#endif

namespace keldar {
namespace {

using testing::TempDir;
using Lines = std::vector<std::string>;

extern "C" char** environ;

// The test's own environment with the variables named in drop left out and
// those of add ("NAME=value") put in; built before fork, since the child may
// only exec.
Lines environmentWith(const Lines& drop, const Lines& add) {
  Lines env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (std::find(drop.begin(), drop.end(), name) == drop.end()) env.push_back(entry);
  }
  env.insert(env.end(), add.begin(), add.end());
  return env;
}

pid_t spawn(const Lines& args, int in, int out, int err, const Lines* env = nullptr) {
  std::vector<char*> envp;
  if (env != nullptr) {
    for (const std::string& e : *env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
  }
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  std::vector<char*> argv;
  const std::string program = std::string(KELDAR_BINARY_DIR) + "/keldar";
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execve(program.c_str(), argv.data(), env != nullptr ? envp.data() : environ);
  ::_exit(127);
}

// The exit status, or -1 (and the child killed) when it has not ended in time.
int waitExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Bytes from fd until the text contains want (hang guard: limit).
std::string readUntil(int fd, const std::string& want, std::chrono::milliseconds limit) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (got.find(want) == std::string::npos && std::chrono::steady_clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

// A text of the shape, where each '#' stands for a digit.
bool hasShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '#' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

Lines traceLines(const std::string& text, const std::string& kind) {
  Lines lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::string rest = line.substr(line.find(' ') + 1);
    if (rest.rfind(kind, 0) == 0) lines.push_back(rest);
  }
  return lines;
}

TEST(KeldarRun, UnknownOptionsGiveTheUsageAndStatusTwo) {
  TempDir dir;
  const std::string err = dir.path() + "/err";
  const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int nullFd = ::open("/dev/null", O_RDWR);
  EXPECT_EQ(waitExit(spawn({"--frobnicate"}, nullFd, nullFd, errFd), std::chrono::seconds(5)), 2);
  EXPECT_NE(readAll(err).find("usage: keldar [--simulate]"), std::string::npos) << readAll(err);
  EXPECT_EQ(waitExit(spawn({"-C", dir.path() + "/missing", "--terminal"}, nullFd, nullFd, errFd),
                     std::chrono::seconds(5)),
            2);
  ::close(errFd);
  ::close(nullFd);
}

TEST(KeldarRun, WithoutConfigurationItSpeaksAndEndsLeavingTheDirectoryEmpty) {
  TempDir work, elsewhere;
  const int nullFd = ::open("/dev/null", O_RDWR);
  const std::string err = elsewhere.path() + "/err";
  const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t pid = spawn({"-C", work.path(), "--terminal", "--trace", elsewhere.path() + "/t"},
                          nullFd, nullFd, errFd);
  // A run that cannot start says so, where it looked, and fails.
  EXPECT_EQ(waitExit(pid, std::chrono::seconds(5)), 1);
  ::close(errFd);
  ::close(nullFd);
  EXPECT_NE(readAll(err).find("keldar.cfg not found in " +
                              std::filesystem::canonical(work.path()).string()),
            std::string::npos)
      << readAll(err);
  EXPECT_EQ(traceLines(readAll(elsewhere.path() + "/t"), "SAY"),
            (Lines{"SAY wave/keldar.wav", "SAY wave/3.wav", "SAY wave/point.wav", "SAY wave/3.wav",
                   "SAY wave/cfgnf.wav"}));
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

// Without a display the terminal panel starts unasked: a display SDL reaches
// only through its offscreen fallback is none either. A driver the user
// named is taken as chosen.
TEST(KeldarRun, WithoutADisplayTheTerminalPanelStartsUnlessOffscreenWasChosen) {
  struct Case {
    const char* what;
    Lines env;
    bool terminal;
  };
  const Lines noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  const Case cases[] = {{"no DISPLAY", {}, true},
                        {"a DISPLAY nobody answers", {"DISPLAY=:87"}, true},
                        {"offscreen chosen", {"SDL_VIDEODRIVER=offscreen"}, false}};
  for (const Case& c : cases) {
    TempDir work, elsewhere;
    const std::string screen = elsewhere.path() + "/screen";
    const int screenFd = ::open(screen.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int nullFd = ::open("/dev/null", O_RDWR);
    const Lines env = environmentWith(noDisplay, c.env);
    const pid_t pid = spawn({"-C", work.path(), "--trace", elsewhere.path() + "/t"}, nullFd,
                            screenFd, nullFd, &env);
    // No keldar.cfg in the folder: the run ends at once, with status 1.
    EXPECT_EQ(waitExit(pid, std::chrono::seconds(10)), 1) << c.what;
    ::close(screenFd);
    ::close(nullFd);
    const std::string drawn = readAll(screen);
    EXPECT_EQ(drawn.find("\x1b[2J") != std::string::npos, c.terminal) << c.what << ": " << drawn;
    // Either way the panel ran: it spoke its greeting and the missing file.
    EXPECT_EQ(traceLines(readAll(elsewhere.path() + "/t"), "SAY").size(), 5u) << c.what;
  }
}

TEST(KeldarRun, OnAPtyRadioItTunesTheStartBandTicksAndEndsCleanlyOnSigterm) {
  TempDir work, elsewhere;
  int radio = -1, radioSlave = -1, keys = -1, terminal = -1;
  char radioName[256];
  ASSERT_EQ(::openpty(&radio, &radioSlave, radioName, nullptr, nullptr), 0);
  ASSERT_EQ(::openpty(&keys, &terminal, nullptr, nullptr, nullptr), 0);
  ::close(radioSlave);
  std::filesystem::create_symlink(radioName, work.path() + "/COM3");
  std::ofstream(work.path() + "/keldar.cfg")
      << "COM=3\r\nSpeed=38400\r\nPower=100\r\nSwr=1\r\nAtu=0\r\nBands  =7\r\nSwitch=0\r\n"
         "Dcs=1\r\n10m = +100\r\n6m = -500\r\n2m = -600\r\n70cm= -7600\r\nRelay=0\r\n"
         "Debug=1\r\n";
  termios before{};
  ::tcgetattr(terminal, &before);

  const std::string tracePath = elsewhere.path() + "/trace";
  const pid_t pid =
      spawn({"-C", work.path(), "--terminal", "--trace", tracePath}, terminal, terminal, terminal);
  // Asked who it is until it answers; then set up on the start band.
  const std::string asked = readUntil(radio, "ID;", std::chrono::seconds(5));
  EXPECT_EQ(asked, "ID;");
  ::write(radio, "ID0670;", 7);
  const std::string sent = readUntil(radio, "FA007100000;", std::chrono::seconds(5));
  EXPECT_NE(sent.find("VS0;FA007100000;"), std::string::npos) << sent;
  // Let the timer run, keeping the terminal's output flowing.
  readUntil(keys, "never shown", std::chrono::milliseconds(400));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(waitExit(pid, std::chrono::seconds(5)), 0);

  termios after{};
  ::tcgetattr(terminal, &after);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  const std::string drawn = readUntil(keys, "\x1b[?1049l", std::chrono::seconds(1));
  EXPECT_NE(drawn.find("\x1b[?1049l"), std::string::npos) << "screen restored";

  const std::string log = readAll(work.path() + "/debug.dat");
  const std::string head = "KELDAR " + std::string(kVersion) + "  ##-##-####   ##:##:##\r";
  EXPECT_TRUE(hasShape(log.substr(0, head.size()), head)) << log;
  EXPECT_EQ(log.substr(head.size(), 32), "\nComport= 3  Speed= 38400 Baud\r\n");
  const std::string trace = readAll(tracePath);
  const Lines writes = traceLines(trace, "WRITE");
  ASSERT_GE(writes.size(), 2u);
  EXPECT_EQ(writes[0], "WRITE 3 ID;");
  EXPECT_NE(std::find(writes.begin(), writes.end(), "WRITE 3 FA007100000;"), writes.end());
  EXPECT_GE(traceLines(trace, "TICK").size(), 3u) << trace;
  EXPECT_EQ(traceLines(trace, "CLOSE").size(), 1u);
  ::close(radio);
  ::close(keys);
  ::close(terminal);
}

}  // namespace
}  // namespace keldar
