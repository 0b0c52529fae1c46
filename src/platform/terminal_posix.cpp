#include "platform/terminal_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace keldar {

namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// An ESC with nothing after it within this time is a lone ESC.
constexpr milliseconds kEscapeWait{50};

// What the end of the run may spend on giving the terminal back its screen
// when it is not reading: the shutdown never waits longer.
constexpr milliseconds kRestoreWait{200};

const char* const kAlternateScreenOn = "\x1b[?1049h\x1b[?25l";
const char* const kAlternateScreenOff = "\x1b[?25h\x1b[?1049l";

// The longest single wait; the loop simply waits again.
constexpr int kLongestWaitMs = 60'000;

int remainingMs(SteadyClock::time_point deadline, SteadyClock::time_point now) {
  if (deadline <= now) return 0;
  // Round up, so the wait does not end just before the deadline.
  const auto left = std::chrono::ceil<milliseconds>(deadline - now);
  return static_cast<int>(std::min<milliseconds::rep>(left.count(), kLongestWaitMs));
}

// A descriptor of its own, non-blocking, for a screen that can stop
// reading (a terminal, a pipe): setting O_NONBLOCK on the shared one would
// change stdout for the shell too. A regular file never blocks and is used
// as it is (reopening it would write from its start).
int nonBlockingScreen(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))) return -1;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  return ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

}  // namespace

CloseSignals::CloseSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  blocked_ = pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0;
  if (blocked_) fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

CloseSignals::~CloseSignals() {
  release();
}

void CloseSignals::release() {
  if (fd_ >= 0) {
    signalfd_siginfo info;
    while (::read(fd_, &info, sizeof info) > 0) {
    }
    ::close(fd_);
    fd_ = -1;
  }
  if (blocked_) {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    blocked_ = false;
  }
}

void CloseSignals::releaseAllButHangup() {
  release();
  sigset_t hangup;
  sigemptyset(&hangup);
  sigaddset(&hangup, SIGHUP);
  blocked_ = pthread_sigmask(SIG_BLOCK, &hangup, &previous_) == 0;
  if (blocked_) fd_ = signalfd(-1, &hangup, SFD_NONBLOCK | SFD_CLOEXEC);
}

bool CloseSignals::takePending() {
  if (fd_ < 0) return false;
  signalfd_siginfo info;
  bool any = false;
  while (::read(fd_, &info, sizeof info) > 0) any = true;
  return any;
}

TerminalPanel::TerminalPanel(int keysFd, int screenFd, int closeFd)
    : keysFd_(keysFd), screenFd_(screenFd), closeFd_(closeFd) {}

TerminalPanel::~TerminalPanel() {
  restore();
  if (ownOut_ >= 0) ::close(ownOut_);
}

bool TerminalPanel::openWindow(const std::string&, int, int, int, int) {
  if (open_) return true;
  enterRawMode();
  screenIsTerminal_ = ::isatty(screenFd_) == 1;
  if (ownOut_ < 0) ownOut_ = nonBlockingScreen(screenFd_);
  outFd_ = ownOut_ >= 0 ? ownOut_ : screenFd_;
  open_ = true;
  if (screenIsTerminal_) write(kAlternateScreenOn);
  write("\x1b[H\x1b[2J");
  shownRows_.clear();
  std::vector<int> all(TerminalScreen::kRows);
  for (int r = 0; r < TerminalScreen::kRows; ++r) all[static_cast<std::size_t>(r)] = r + 1;
  drawRows(all);
  return true;
}

void TerminalPanel::closeWindow() {
  restore();
}

void TerminalPanel::enterRawMode() {
  if (::isatty(keysFd_) != 1 || ::tcgetattr(keysFd_, &savedTerminal_) != 0) return;
  termios raw = savedTerminal_;
  // Keys one by one, no echo, Ctrl-C as a byte; output handling is kept so
  // that a message on stderr still starts at the left margin.
  raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  raw_ = ::tcsetattr(keysFd_, TCSAFLUSH, &raw) == 0;
}

// Safe to call more than once: every exit path comes through here.
void TerminalPanel::restore() {
  if (open_) {
    open_ = false;
    // Screens not yet shown no longer matter; what is half written is
    // finished, then the terminal's own screen comes back.
    dirtyRows_.clear();
    if (screenIsTerminal_) {
      write(kAlternateScreenOff);
    } else {
      write("\x1b[" + std::to_string(TerminalScreen::kRows) + ";1H\n");
    }
    drainForAtMost(kRestoreWait);
  }
  if (raw_) {
    ::tcsetattr(keysFd_, TCSANOW, &savedTerminal_);
    raw_ = false;
  }
}

void TerminalPanel::drainForAtMost(milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  while (!unsent_.empty() && !screenBroken_) {
    const int left = remainingMs(deadline, SteadyClock::now());
    if (left == 0) break;
    pollfd p{outFd_, POLLOUT, 0};
    if (::poll(&p, 1, left) <= 0) break;
    flushScreen();
  }
  unsent_.clear();
}

void TerminalPanel::moveTextPosition(int x, int y) {
  screen_.moveTo(x, y);
}

void TerminalPanel::printText(std::string_view text) {
  drawRows(screen_.print(text));
}

void TerminalPanel::setFont(const FontSpec&) {}

// Every print goes to the screen at once when the terminal reads.
void TerminalPanel::flushDrawing() {}

void TerminalPanel::startTimer(int periodMs, int id) {
  timers_[id].start(std::max(periodMs, 1), id, steadyMicros());
}

void TerminalPanel::stopTimer(int id) {
  timers_.erase(id);
}

// The rows are marked and drawn from the screen as it is when the terminal
// takes them: while it reads nothing, later prints replace earlier ones and
// only the latest screen is written when it reads again.
void TerminalPanel::drawRows(const std::vector<int>& rows) {
  if (!open_) return;
  dirtyRows_.insert(rows.begin(), rows.end());
  flushScreen();
}

void TerminalPanel::write(const std::string& bytes) {
  if (screenBroken_) return;
  unsent_ += bytes;
  flushScreen();
}

bool TerminalPanel::outputWaiting() const {
  return !screenBroken_ && (!unsent_.empty() || !dirtyRows_.empty());
}

// Writes what the terminal takes now, never waiting for it.
void TerminalPanel::flushScreen() {
  while (!screenBroken_) {
    if (unsent_.empty()) {
      if (dirtyRows_.empty()) return;
      for (int r : dirtyRows_) {
        std::string row = screen_.row(r);
        std::string& shown = shownRows_[r];
        if (shown == row) continue;
        unsent_ += "\x1b[" + std::to_string(r) + ";1H" + row;
        shown = std::move(row);
      }
      dirtyRows_.clear();
      if (unsent_.empty()) return;
    }
    const ssize_t n = ::write(outFd_, unsent_.data(), unsent_.size());
    if (n > 0) {
      unsent_.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      return;  // written when the terminal reads again
    } else {
      // A screen that went away must not stop the panel.
      screenBroken_ = true;
      unsent_.clear();
      dirtyRows_.clear();
    }
  }
}

void TerminalPanel::waitForEvents(EventSink& sink, bool noWait) {
  std::vector<Event> events;
  do {
    collect(events, noWait);
  } while (events.empty() && !noWait);
  for (const Event& e : events) sink.onEvent(e.message, e.wparam);
}

int TerminalPanel::pollTimeoutMs(bool noWait) const {
  if (noWait) return 0;
  int timeout = -1;
  const auto consider = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
  const uint64_t micros = steadyMicros();
  for (const auto& [id, timer] : timers_) {
    consider(static_cast<int>(std::min<int64_t>(timer.waitMs(micros), kLongestWaitMs)));
  }
  if (decoder_.holding()) consider(remainingMs(escapeDeadline_, SteadyClock::now()));
  return timeout;
}

void TerminalPanel::collect(std::vector<Event>& events, bool noWait) {
  std::vector<pollfd> fds;
  int keysAt = -1, closeAt = -1, screenAt = -1;
  if (!keysEnded_) {
    keysAt = static_cast<int>(fds.size());
    fds.push_back({keysFd_, POLLIN, 0});
  }
  if (closeFd_ >= 0) {
    closeAt = static_cast<int>(fds.size());
    fds.push_back({closeFd_, POLLIN, 0});
  }
  if (outputWaiting()) {
    screenAt = static_cast<int>(fds.size());
    fds.push_back({outFd_, POLLOUT, 0});
  }
  const std::size_t wakeFrom = fds.size();
  if (watch_) {
    for (int fd : watch_()) fds.push_back({fd, POLLIN, 0});
  }
  if (::poll(fds.data(), fds.size(), pollTimeoutMs(noWait)) > 0) {
    if (screenAt >= 0 && fds[screenAt].revents != 0) flushScreen();
    bool woken = false;
    for (std::size_t i = wakeFrom; i < fds.size(); ++i) woken = woken || fds[i].revents != 0;
    if (woken) events.push_back({kNetworkEvent, 0});
    if (closeAt >= 0 && fds[closeAt].revents != 0) readCloseRequest(events);
    if (keysAt >= 0 && fds[keysAt].revents != 0) readKeys(events);
  }
  if (decoder_.holding() && SteadyClock::now() >= escapeDeadline_) decoder_.dropHeld();
  dueTicks(events);
}

void TerminalPanel::readKeys(std::vector<Event>& events) {
  char buffer[256];
  const ssize_t n = ::read(keysFd_, buffer, sizeof buffer);
  if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
    // The end of the keys is no close request: a script may close its input
    // and still end the panel with Q or a signal.
    keysEnded_ = true;
    return;
  }
  if (n < 0) return;
  std::vector<int32_t> keys;
  decoder_.feed(std::string_view(buffer, static_cast<std::size_t>(n)), keys);
  // An unfinished sequence gets kEscapeWait from its latest byte.
  if (decoder_.holding()) escapeDeadline_ = SteadyClock::now() + kEscapeWait;
  for (int32_t key : keys) {
    if (key == KeyDecoder::kClose) {
      events.push_back({kCloseRequestEvent, 0});
      continue;
    }
    // A terminal reports no key releases: each key goes down and up.
    events.push_back({kKeyDownEvent, key});
    events.push_back({kKeyUpEvent, key});
  }
}

void TerminalPanel::readCloseRequest(std::vector<Event>& events) {
  char buffer[1024];
  const ssize_t n = ::read(closeFd_, buffer, sizeof buffer);
  if (n > 0) {
    events.push_back({kCloseRequestEvent, 0});
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    closeFd_ = -1;  // nothing more can come from it
  }
}

void TerminalPanel::dueTicks(std::vector<Event>& events) {
  const uint64_t now = steadyMicros();
  for (auto& [id, timer] : timers_) {
    if (timer.due(now)) events.push_back({kTimerEvent, id});
  }
}

}  // namespace keldar
