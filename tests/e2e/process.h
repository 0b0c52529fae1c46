// Child processes for the end-to-end tests: started with fork and exec, killed
// with the test when it dies, optionally on a terminal of their own.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace e2e {

using Millis = std::chrono::milliseconds;

struct ProcessOptions {
  std::vector<std::string> argv;
  std::string cwd;                                       // empty: the test's own
  bool terminal = false;                                 // stdin/stdout/stderr on a new pty
  std::string stdoutPath;                                // without a terminal: file or /dev/null
  std::string stderrPath;                                // without a terminal: file or /dev/null
  std::vector<std::pair<std::string, std::string>> env;  // added to the test's environment
  int fileLimit = 0;                                     // above 0: its RLIMIT_NOFILE
};

class Process {
 public:
  // Starts the program; on failure returns null and says why in `error`.
  static std::unique_ptr<Process> start(const ProcessOptions& options, std::string& error);
  ~Process();  // a child still running is killed and reaped

  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // Waits up to `limit` for the child to end; its exit code, or 128 + signal.
  bool waitExit(Millis limit, int& exitCode);
  void signal(int sig);
  // Bytes typed at the child's terminal.
  bool type(std::string_view keys);
  // Stops (or lets go on) the output of the child's terminal, as Ctrl-S
  // with flow control would: its writes then wait.
  bool holdOutput(bool hold);
  // Everything the child has written to its terminal so far.
  std::string screen();

 private:
  Process() = default;
  void drain();

  pid_t pid_ = -1;
  bool reaped_ = false;
  int exitCode_ = -1;
  int master_ = -1;
  std::thread drainer_;
  std::atomic<bool> stopDrain_{false};
  std::mutex screenMutex_;
  std::string screen_;
};

struct RunResult {
  int exitCode = -1;  // 128 + signal when killed
  bool timedOut = false;
  std::string out;
  std::string err;
  double seconds = 0;
};

// Runs a program to its end with its output captured, killing it after `limit`.
RunResult runToEnd(const std::vector<std::string>& argv, Millis limit);

}  // namespace e2e
