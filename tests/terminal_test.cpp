// The terminal panel with its keys, screen and close requests on pipes and
// ptys, the front-end choice and the command line.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "display/display.h"
#include "platform/front_end_choice.h"
#include "platform/terminal_keys.h"
#include "platform/terminal_posix.h"
#include "platform/terminal_screen.h"
#include "support/fakes.h"

namespace keldar {
namespace {

using Codes = std::vector<int32_t>;

Codes decode(const std::string& bytes) {
  KeyDecoder decoder;
  Codes keys;
  decoder.feed(bytes, keys);
  return keys;
}

TEST(TerminalKeys, PlainBytesGiveTheirKeyCodes) {
  EXPECT_EQ(decode("aZ09.=+- q"), (Codes{65, 90, 48, 57, 190, 187, 187, 189, 32, 81}));
  EXPECT_EQ(decode("\r\n\n\r\r"), (Codes{13, 13, 13, 13})) << "CR LF is one Enter";
  EXPECT_EQ(decode("\x03"), (Codes{KeyDecoder::kClose}));
  EXPECT_EQ(decode("\t\x7f\x1a\xc3\xa9,/"), Codes{}) << "keys without a code are dropped";
}

TEST(TerminalKeys, EscapeSequencesOfAnXtermGiveTheirKeyCodes) {
  const std::pair<const char*, int32_t> cases[] = {
      {"\x1b[A", 38},    {"\x1b[B", 40},    {"\x1b[C", 39},    {"\x1b[D", 37},    {"\x1b[5~", 33},
      {"\x1b[6~", 34},   {"\x1b[2~", 45},   {"\x1bOP", 112},   {"\x1bOQ", 113},   {"\x1bOR", 114},
      {"\x1bOS", 115},   {"\x1b[15~", 116}, {"\x1b[17~", 117}, {"\x1b[18~", 118}, {"\x1b[19~", 119},
      {"\x1b[20~", 120}, {"\x1b[21~", 121}, {"\x1b[23~", 122}, {"\x1b[24~", 123},
  };
  for (const auto& [bytes, code] : cases) {
    EXPECT_EQ(decode(std::string(bytes) + "x"), (Codes{code, 88})) << bytes + 1;
  }
  // Delete, Ctrl-Up, Home, Alt-x, an over-long sequence: no code, and the
  // key after them is still read.
  for (const char* bytes : {"\x1b[3~", "\x1b[1;5A", "\x1b[H", "\x1bx", "\x1b[1111111111A"}) {
    EXPECT_EQ(decode(std::string(bytes) + "b"), (Codes{66})) << bytes + 1;
  }
  EXPECT_EQ(decode("\x1b\x1b[A"), (Codes{38})) << "an ESC before a sequence stands alone";
}

TEST(TerminalKeys, ASequenceSplitAcrossReadsIsHeldAndALoneEscIsDropped) {
  KeyDecoder decoder;
  Codes keys;
  decoder.feed("\x1b[", keys);
  decoder.feed("1", keys);
  EXPECT_TRUE(decoder.holding());
  decoder.feed("5~", keys);
  EXPECT_EQ(keys, (Codes{116}));
  EXPECT_FALSE(decoder.holding());

  keys.clear();
  decoder.feed("\x1b", keys);
  EXPECT_TRUE(decoder.holding());
  decoder.dropHeld();
  decoder.feed("[A", keys);
  EXPECT_EQ(keys, (Codes{65})) << "after a lone ESC, [ and A are plain bytes";
}

std::string trimmed(const std::string& row) {
  return row.substr(0, row.find_last_not_of(' ') + 1);
}

TEST(TerminalScreen, PrintsFillTheirSlotsAndBlanksEraseExactly) {
  TerminalScreen screen;
  screen.moveTo(50, 45);
  screen.print("FMN     ");
  screen.moveTo(50, 45);
  screen.print("AM     ");
  EXPECT_EQ(screen.row(3).substr(2, 12), "AM          ");

  screen.moveTo(750, 45);
  screen.print("S9");
  screen.print("+");
  EXPECT_EQ(screen.row(3).substr(65, 6), "S9+   ");
  screen.moveTo(750, 45);
  EXPECT_EQ(screen.print("S8  "), (std::vector<int>{3}));
  EXPECT_EQ(screen.row(3).substr(65, 6), "S8    ");

  // Clipped to the slot: the frequency never runs into the next field.
  screen.moveTo(285, 150);
  screen.print(std::string(40, '7'));
  EXPECT_EQ(trimmed(screen.row(6)), std::string(11, ' ') + std::string(26, '7'));

  // A byte that a terminal would take as a command is shown as '?'.
  screen.moveTo(280, 10);
  screen.print("A\x1b[2J\x07");
  EXPECT_EQ(screen.row(1).substr(29, 7), "A?[2J? ");
  for (int r = 1; r <= TerminalScreen::kRows; ++r) EXPECT_EQ(screen.row(r).size(), 80u);
}

TEST(TerminalScreen, TheStatusLineFieldsAndHelpLinesKeepApart) {
  TerminalScreen screen;
  const std::pair<int, const char*> status[] = {
      {40, "preamp "}, {170, "att"}, {240, "nb"},  {310, "nr"},  {360, "notch"},
      {460, "Cont."},  {550, "spc"}, {620, "vox"}, {690, "mon"}, {780, "ctcss=088"},
  };
  for (const auto& [x, text] : status) {
    screen.moveTo(x, 250);
    screen.print(text);
  }
  EXPECT_EQ(trimmed(screen.row(9)),
            "preamp   att  nb  nr  notch  Cont.  spc  vox   mon  ctcss=088");
  for (const auto& [x, text] : status) {
    screen.moveTo(x, 250);
    screen.print(std::string(30, ' '));
  }
  EXPECT_EQ(trimmed(screen.row(9)), "");

  // Each help line has a row of its own, whole.
  for (std::size_t line = 0; line < kHelpLines.size(); ++line) {
    const int y = kHelpLinesTop + static_cast<int>(line) * kHelpLineStep;
    screen.moveTo(kHelpLinesX, y);
    const int row = 13 + static_cast<int>(line);
    EXPECT_EQ(screen.print(kHelpLines[line]), (std::vector<int>{row}));
    EXPECT_EQ(trimmed(screen.row(row)), kHelpLines[line]);
  }

  // While keyed: the marker beside the mode, SWR and power where the
  // S-meter stood; the entry on a row of its own.
  const std::pair<FieldPosition, const char*> keyed[] = {
      {kModeField, "USB    "},  {kTxMarkerField, " TX "},   {kSMeterField, "     "},
      {kSwrField, "SWR 1.4  "}, {kPowerField, "PWR 50 W "}, {kEntryField, "E 14.2"},
  };
  for (const auto& [at, text] : keyed) {
    screen.moveTo(at.x, at.y);
    screen.print(text);
  }
  EXPECT_EQ(trimmed(screen.row(3)),
            "  USB                                   TX                       SWR 1.4");
  EXPECT_EQ(trimmed(screen.row(4)), std::string(65, ' ') + "PWR 50 W");
  EXPECT_EQ(trimmed(screen.row(11)), "  E 14.2");
}

TEST(TerminalScreen, PositionsOutsideTheLayoutGetTheNearestCell) {
  EXPECT_EQ(TerminalScreen::slotAt(500, 300), (TerminalSlot{15, 43, 38, 1}));
  EXPECT_EQ(TerminalScreen::slotAt(5000, -20), (TerminalSlot{1, 80, 1, 1}));
  TerminalScreen screen;
  screen.moveTo(500, 300);
  screen.print("xyz");
  EXPECT_EQ(screen.row(15).substr(42, 4), "xyz ");
}

// A pipe's two ends, closed at the end of the test.
struct Pipe {
  int read = -1, write = -1;
  Pipe() {
    int fds[2];
    if (::pipe(fds) == 0) {
      read = fds[0];
      write = fds[1];
    }
  }
  ~Pipe() {
    closeWrite();
    if (read >= 0) ::close(read);
  }
  void closeWrite() {
    if (write >= 0) ::close(write);
    write = -1;
  }
  void put(const std::string& bytes) const {
    ASSERT_EQ(::write(write, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string drain() const {
    std::string got;
    pollfd p{read, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0) {
      char buffer[4096];
      const ssize_t n = ::read(read, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }
};

struct Recorder : EventSink {
  std::vector<std::pair<int32_t, int32_t>> events;
  void onEvent(int32_t message, int32_t wparam) override { events.emplace_back(message, wparam); }
};

using Events = std::vector<std::pair<int32_t, int32_t>>;

struct PipedPanel {
  Pipe keys, screen, close;
  TerminalPanel panel{keys.read, screen.write, close.read};
  Recorder sink;
  Events wait(bool noWait = false) {
    sink.events.clear();
    panel.waitForEvents(sink, noWait);
    return sink.events;
  }
};

TEST(TerminalPanel, KeysGoDownAndUpAndCtrlCOrACloseSignalIsACloseRequest) {
  PipedPanel t;
  ASSERT_TRUE(t.panel.openWindow(windowTitle(), 250, 100, 950, 500));
  t.keys.put("q\x1b[B");
  EXPECT_EQ(
      t.wait(),
      (Events{{kKeyDownEvent, 81}, {kKeyUpEvent, 81}, {kKeyDownEvent, 40}, {kKeyUpEvent, 40}}));
  t.keys.put("\x03");
  EXPECT_EQ(t.wait(), (Events{{kCloseRequestEvent, 0}}));
  t.close.put("signal");
  EXPECT_EQ(t.wait(), (Events{{kCloseRequestEvent, 0}}));
  EXPECT_EQ(t.wait(true), Events{}) << "nothing queued, no wait";
}

TEST(TerminalPanel, TheEndOfInputIsNoCloseRequestAndTicksGoOn) {
  PipedPanel t;
  t.panel.openWindow("", 0, 0, 0, 0);
  t.panel.startTimer(20, 1);
  t.keys.put("a");
  t.keys.closeWrite();
  Events all;
  for (int i = 0; i < 4; ++i) {
    const Events got = t.wait();
    all.insert(all.end(), got.begin(), got.end());
  }
  for (const auto& event : all) EXPECT_NE(event.first, kCloseRequestEvent);
  EXPECT_EQ(all.front(), (std::pair<int32_t, int32_t>{kKeyDownEvent, 65}));
  EXPECT_EQ(all.back(), (std::pair<int32_t, int32_t>{kTimerEvent, 1}));
  t.panel.stopTimer(1);
  EXPECT_EQ(t.wait(true), Events{});
}

TEST(TerminalPanel, TicksMissedWhileBusyMergeIntoOne) {
  PipedPanel t;
  t.panel.startTimer(50, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(230));  // a phrase playing
  EXPECT_EQ(t.wait(), (Events{{kTimerEvent, 1}}));
  EXPECT_EQ(t.wait(true), Events{}) << "the missed points are gone, not queued";
  EXPECT_EQ(t.wait(), (Events{{kTimerEvent, 1}}));
}

TEST(TerminalPanel, ALoneEscIsIgnoredAfterItsWait) {
  PipedPanel t;
  t.panel.startTimer(10, 1);
  t.keys.put("\x1b");
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(120)) {
    for (const auto& event : t.wait()) EXPECT_EQ(event.first, kTimerEvent);
  }
  t.panel.stopTimer(1);
  t.keys.put("[A");
  EXPECT_EQ(t.wait(), (Events{{kKeyDownEvent, 65}, {kKeyUpEvent, 65}}));
}

TEST(TerminalPanel, PrintsAreDrawnInPlace) {
  PipedPanel t;
  t.panel.moveTextPosition(750, 45);
  t.panel.printText("S5  ");
  EXPECT_EQ(t.screen.drain(), "") << "nothing is drawn before the panel opens";
  t.panel.openWindow("", 0, 0, 0, 0);
  const std::string opening = t.screen.drain();
  EXPECT_EQ(opening.rfind("\x1b[H\x1b[2J", 0), 0u);
  EXPECT_NE(opening.find("\x1b[3;1H" + t.panel.screen().row(3)), std::string::npos);
  t.panel.moveTextPosition(50, 45);
  t.panel.printText("USB    ");
  EXPECT_EQ(t.screen.drain(), "\x1b[3;1H" + t.panel.screen().row(3));
  EXPECT_EQ(t.panel.screen().row(3).substr(0, 12), "  USB       ");
}

termios settingsOf(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  return t;
}

bool sameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
         a.c_cflag == b.c_cflag && std::equal(a.c_cc, a.c_cc + NCCS, b.c_cc);
}

TEST(TerminalPanel, ATerminalIsRawWhileOpenAndRestoredOnEveryWayOut) {
  int master = -1, slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const termios before = settingsOf(slave);
  {
    TerminalPanel panel(slave, slave, -1);
    panel.openWindow("", 0, 0, 0, 0);
    const termios raw = settingsOf(slave);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0u);
    ASSERT_EQ(::write(master, "\x03", 1), 1);
    Recorder sink;
    panel.waitForEvents(sink, false);
    EXPECT_EQ(sink.events, (Events{{kCloseRequestEvent, 0}})) << "Ctrl-C is read as a byte";
    panel.closeWindow();
    EXPECT_TRUE(sameSettings(settingsOf(slave), before));
    panel.closeWindow();
    EXPECT_TRUE(sameSettings(settingsOf(slave), before));
  }
  {
    TerminalPanel panel(slave, slave, -1);
    panel.openWindow("", 0, 0, 0, 0);
    EXPECT_FALSE(sameSettings(settingsOf(slave), before));
  }  // no closeWindow: the destructor restores
  EXPECT_TRUE(sameSettings(settingsOf(slave), before));

  std::string drawn;
  pollfd p{master, POLLIN, 0};
  while (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN) != 0) {
    char buffer[4096];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    drawn.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_NE(drawn.find("\x1b[?1049h"), std::string::npos) << "alternate screen on a terminal";
  EXPECT_NE(drawn.find("\x1b[?1049l"), std::string::npos);
  ::close(master);
  ::close(slave);
}

TEST(TerminalPanel, SignalsBecomeCloseRequests) {
  CloseSignals signals;
  ASSERT_GE(signals.fd(), 0);
  Pipe keys, screen;
  TerminalPanel panel(keys.read, screen.write, signals.fd());
  ::raise(SIGTERM);
  Recorder sink;
  panel.waitForEvents(sink, false);
  EXPECT_EQ(sink.events, (Events{{kCloseRequestEvent, 0}}));
  ::raise(SIGHUP);
  sink.events.clear();
  panel.waitForEvents(sink, false);
  EXPECT_EQ(sink.events, (Events{{kCloseRequestEvent, 0}}));
}

// A window that opens or not, as the test says.
class StubWindow : public testing::FakeFrontEnd {
 public:
  explicit StubWindow(bool opens) : opens_(opens) {}
  bool openWindow(const std::string& t, int x, int y, int w, int h) override {
    ++attempts;
    return opens_ && FakeFrontEnd::openWindow(t, x, y, w, h);
  }
  int attempts = 0;

 private:
  bool opens_;
};

TEST(FrontEndChoice, AWindowThatWillNotOpenFallsBackToTheTerminal) {
  struct Case {
    bool windowOpens, tryWindow, expectWindow;
  };
  for (const Case c :
       {Case{false, true, false}, Case{true, true, true}, Case{true, false, false}}) {
    StubWindow window(c.windowOpens);
    testing::FakeFrontEnd terminal;
    int released = 0;
    FrontEndChoice choice(window, terminal, c.tryWindow, [&] { ++released; });
    EXPECT_TRUE(choice.openWindow("title", 250, 100, 950, 500));
    EXPECT_EQ(choice.usingWindow(), c.expectWindow);
    EXPECT_EQ(released, c.expectWindow ? 1 : 0);
    EXPECT_EQ(window.attempts, c.tryWindow ? 1 : 0);
    choice.moveTextPosition(50, 45);
    choice.printText("LSB    ");
    choice.startTimer(50, 1);
    testing::FakeFrontEnd& used = c.expectWindow ? window : terminal;
    testing::FakeFrontEnd& unused = c.expectWindow ? terminal : window;
    EXPECT_EQ(used.field(50, 45), "LSB    ");
    EXPECT_EQ(used.timers.at(1), 50);
    EXPECT_TRUE(unused.prints.empty());
  }
}

TEST(CommandLine, OptionsAndTheirValues) {
  const CommandLine all = parseCommandLine(
      {"--simulate", "--terminal", "-C", "demo", "--trace", "run.trace", "--version", "--help"});
  EXPECT_TRUE(all.simulate && all.terminal && all.version && all.help);
  EXPECT_EQ(all.directory, "demo");
  EXPECT_EQ(all.traceFile, "run.trace");
  EXPECT_EQ(all.error, "");

  const CommandLine joined = parseCommandLine({"-Cdemo", "--trace=t.log"});
  EXPECT_EQ(joined.directory, "demo");
  EXPECT_EQ(joined.traceFile, "t.log");

  const CommandLine none = parseCommandLine({});
  EXPECT_FALSE(none.simulate || none.terminal || none.help || none.version);
  EXPECT_EQ(none.error, "");

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--simulat"},
                                              {"-x"},
                                              {"-C"},
                                              {"--trace"},
                                              {"--trace", ""},
                                              {"extra"},
                                              {"--tracefile"},
                                              {"--radio", "/dev/ttyUSB0"}}) {
    EXPECT_NE(parseCommandLine(bad).error, "") << bad.at(0);
  }
  EXPECT_EQ(usageLine(),
            "usage: keldar [--simulate] [--terminal] [-C DIR] [--trace FILE] "
            "[--rigctld [ADDRESS:]PORT] [--radio tcp:HOST:PORT] [--help] [--version]");
  // Without an option, its line is gone from both and every other
  // description is the same.
  const OfferedOptions windows{false, false, false};
  EXPECT_EQ(usageLine(windows),
            "usage: keldar [--simulate] [-C DIR] [--trace FILE] [--help] [--version]");
  const std::string full = helpText();
  const std::string fewer = helpText(windows);
  EXPECT_EQ(fewer.find("--terminal"), std::string::npos);
  EXPECT_EQ(fewer.find("--rigctld"), std::string::npos);
  std::string kept;
  bool dropping = false;
  for (std::size_t at = full.find("\n\n") + 2; at < full.size();) {
    const std::size_t end = full.find('\n', at) + 1;
    const std::string line = full.substr(at, end - at);
    // A description's continuation lines belong to its option.
    if (line.rfind("  -", 0) == 0) {
      dropping = line.find("--terminal") != std::string::npos ||
                 line.find("--rigctld") != std::string::npos ||
                 line.find("--radio") != std::string::npos;
    }
    if (!dropping) kept += line;
    at = end;
  }
  EXPECT_EQ(fewer.substr(fewer.find("\n\n") + 2), kept);
}

}  // namespace
}  // namespace keldar
