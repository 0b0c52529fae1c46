#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

extern char** environ;

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// argv and envp as exec wants them, built before fork: the child of a threaded
// test may only make async-signal-safe calls.
struct ExecImage {
  std::vector<std::string> args;
  std::vector<std::string> envText;
  std::vector<char*> argv;
  std::vector<char*> envp;

  ExecImage(const std::vector<std::string>& arguments,
            const std::vector<std::pair<std::string, std::string>>& extra)
      : args(arguments) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      std::string entry = *e;
      size_t eq = entry.find('=');
      if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [key, value] : extra) env[key] = value;
    for (const auto& [key, value] : env) envText.push_back(key + "=" + value);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
};

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

[[noreturn]] void execChild(const ExecImage& image, const std::string& cwd, int fileLimit) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that crashed
  if (fileLimit > 0) {
    const rlimit limit{static_cast<rlim_t>(fileLimit), static_cast<rlim_t>(fileLimit)};
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
  execve(image.argv[0], image.argv.data(), image.envp.data());
  _exit(127);
}

void redirect(const std::string& path, int target) {
  int fd = open(path.empty() ? "/dev/null" : path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    dup2(fd, target);
    close(fd);
  }
}

}  // namespace

std::unique_ptr<Process> Process::start(const ProcessOptions& options, std::string& error) {
  if (options.argv.empty() || access(options.argv[0].c_str(), X_OK) != 0) {
    error = "not an executable: " + (options.argv.empty() ? std::string() : options.argv[0]);
    return nullptr;
  }
  ExecImage image(options.argv, options.env);
  std::unique_ptr<Process> process(new Process());
  int slave = -1;
  if (options.terminal) {
    winsize size{24, 80, 0, 0};
    if (openpty(&process->master_, &slave, nullptr, nullptr, &size) != 0) {
      error = std::string("openpty: ") + std::strerror(errno);
      return nullptr;
    }
    fcntl(process->master_, F_SETFD, FD_CLOEXEC);
  }
  pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    if (slave >= 0) close(slave);
    return nullptr;
  }
  if (pid == 0) {
    if (options.terminal) {
      setsid();
      ioctl(slave, TIOCSCTTY, 0);
      for (int fd : {0, 1, 2}) dup2(slave, fd);
      if (slave > 2) close(slave);
    } else {
      int in = open("/dev/null", O_RDONLY);
      dup2(in, 0);
      redirect(options.stdoutPath, 1);
      redirect(options.stderrPath, 2);
    }
    execChild(image, options.cwd, options.fileLimit);
  }
  process->pid_ = pid;
  if (slave >= 0) close(slave);
  if (options.terminal) process->drainer_ = std::thread([p = process.get()] { p->drain(); });
  return process;
}

bool Process::holdOutput(bool hold) {
  if (master_ < 0) return false;
  const char* name = ptsname(master_);
  const int fd = name == nullptr ? -1 : open(name, O_RDWR | O_NOCTTY);
  if (fd < 0) return false;
  const bool done = tcflow(fd, hold ? TCOOFF : TCOON) == 0;
  close(fd);
  return done;
}

Process::~Process() {
  if (!reaped_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  stopDrain_ = true;
  if (drainer_.joinable()) drainer_.join();
  if (master_ >= 0) close(master_);
}

// The child's terminal output is read all the time: a terminal nobody reads
// fills up and blocks the program writing to it.
void Process::drain() {
  char buffer[4096];
  while (!stopDrain_) {
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, 50) <= 0) continue;
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;  // EIO: the child has closed its terminal
    }
    std::lock_guard<std::mutex> lock(screenMutex_);
    screen_.append(buffer, static_cast<size_t>(n));
  }
}

bool Process::running() {
  if (reaped_) return false;
  int status = 0;
  pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    reaped_ = true;
    exitCode_ = decodeStatus(status);
  }
  return !reaped_;
}

bool Process::waitExit(Millis limit, int& exitCode) {
  auto deadline = Clock::now() + limit;
  while (running()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(Millis(10));
  }
  exitCode = exitCode_;
  return true;
}

void Process::signal(int sig) {
  if (running()) kill(pid_, sig);
}

bool Process::type(std::string_view keys) {
  if (master_ < 0) return false;
  while (!keys.empty()) {
    ssize_t n = write(master_, keys.data(), keys.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    keys.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string Process::screen() {
  std::lock_guard<std::mutex> lock(screenMutex_);
  return screen_;
}

RunResult runToEnd(const std::vector<std::string>& argv, Millis limit) {
  RunResult result;
  ExecImage image(argv, {});
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  auto started = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    execChild(image, "", 0);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  auto deadline = started + limit;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = pid > 0 ? 2 : 0;
  while (open > 0) {
    auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
    if (left <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left)) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  result.exitCode = pid > 0 ? decodeStatus(status) : -1;
  close(outPipe[0]);
  close(errPipe[0]);
  return result;
}

}  // namespace e2e
