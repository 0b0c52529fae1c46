// The terminal panel: the panel's fields on an 80 x 24 screen redrawn with
// ANSI sequences, keys from stdin, ticks from a deadline loop.
#pragma once

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/platform.h"
#include "platform/terminal_keys.h"
#include "platform/terminal_screen.h"
#include "platform/tick_schedule.h"

namespace keldar {

// SIGINT, SIGTERM and SIGHUP as something to read: they are blocked in the
// calling thread and every thread it starts later, so create this before
// any other thread exists. The front-end turns them into close requests.
class CloseSignals {
 public:
  CloseSignals();
  ~CloseSignals();
  CloseSignals(const CloseSignals&) = delete;
  CloseSignals& operator=(const CloseSignals&) = delete;
  // Readable when one of the signals has come; -1 when unavailable.
  int fd() const { return fd_; }
  // Gives the signals back to their handlers (for a front-end that handles
  // them itself); pending ones are dropped.
  void release();
  // For the window, which turns SIGINT and SIGTERM into close requests
  // itself: those two go back to their handlers while SIGHUP stays readable,
  // so hanging up the launching terminal still ends the panel cleanly.
  void releaseAllButHangup();
  // True once when a signal still held here has come.
  bool takePending();

 private:
  int fd_ = -1;
  bool blocked_ = false;
  sigset_t previous_{};
};

class TerminalPanel : public FrontEnd {
 public:
  // keysFd: where keys come from; screenFd: where the screen is drawn;
  // closeFd: readable means a close request (see CloseSignals), -1 for none.
  explicit TerminalPanel(int keysFd = STDIN_FILENO, int screenFd = STDOUT_FILENO, int closeFd = -1);
  ~TerminalPanel() override;
  TerminalPanel(const TerminalPanel&) = delete;
  TerminalPanel& operator=(const TerminalPanel&) = delete;

  bool openWindow(const std::string& title, int x, int y, int width, int height) override;
  void closeWindow() override;
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override;
  void flushDrawing() override;
  void startTimer(int periodMs, int id) override;
  void stopTimer(int id) override;
  void waitForEvents(EventSink& sink, bool noWait) override;

  // Descriptors whose input ends the wait, delivered as kNetworkEvent (the
  // network server's, the radio's and the relay's ports): asked anew before
  // each wait, since a port may be opened again under another number.
  void watchReadable(std::function<std::vector<int>()> list) { watch_ = std::move(list); }

  const TerminalScreen& screen() const { return screen_; }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  struct Event {
    int32_t message, wparam;
  };

  void collect(std::vector<Event>& events, bool noWait);
  int pollTimeoutMs(bool noWait) const;
  void readKeys(std::vector<Event>& events);
  void readCloseRequest(std::vector<Event>& events);
  void dueTicks(std::vector<Event>& events);
  void enterRawMode();
  void restore();
  void drawRows(const std::vector<int>& rows);
  void write(const std::string& bytes);
  void flushScreen();
  bool outputWaiting() const;
  void drainForAtMost(std::chrono::milliseconds limit);

  int keysFd_;
  int screenFd_;
  int closeFd_;
  std::function<std::vector<int>()> watch_;
  // Where the screen is written: a non-blocking descriptor of its own when
  // the screen is a terminal or a pipe, else screenFd_.
  int ownOut_ = -1;
  int outFd_ = -1;
  // Bytes the terminal has not taken yet (they finish a sequence begun), and
  // rows changed since: a terminal that stops reading never holds the panel.
  std::string unsent_;
  std::set<int> dirtyRows_;
  // Each row as last handed to the terminal: a print that leaves a row as it
  // was (the status line redrawn with every poll's answer) writes nothing.
  std::map<int, std::string> shownRows_;
  bool open_ = false;
  bool keysEnded_ = false;
  bool raw_ = false;
  bool screenIsTerminal_ = false;
  bool screenBroken_ = false;
  termios savedTerminal_{};
  TerminalScreen screen_;
  KeyDecoder decoder_;
  TimePoint escapeDeadline_{};
  std::map<int, TickSchedule> timers_;
};

}  // namespace keldar
