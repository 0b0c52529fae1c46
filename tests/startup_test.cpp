#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/config.h"
#include "app/startup.h"
#include "base/trace.h"
#include "display/display.h"
#include "keldar/version.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;
using testing::splitCommands;
using Lines = std::vector<std::string>;

const Lines kConfig = {
    "COM=3", "Speed=38400", "Power=100", "Swr=1",     "Atu=0",       "Bands  =7", "Switch=0",
    "Dcs=1", "10m = +100",  "6m = -500", "2m = -600", "70cm= -7600", "Relay=0",   "Debug=0",
};

// keldar.cfg from kConfig with some lines (1-based) replaced.
std::string configText(const std::map<int, std::string>& changes = {}) {
  std::string text;
  for (std::size_t i = 0; i < kConfig.size(); ++i) {
    const auto it = changes.find(static_cast<int>(i) + 1);
    text += (it == changes.end() ? kConfig[i] : it->second) + "\r\n";
  }
  return text;
}

StartOptions simulated() {
  StartOptions options;
  options.simulate = true;
  return options;
}

// Trace lines without their time stamps.
Lines traceKinds(const std::string& trace) {
  Lines lines;
  std::istringstream in(trace);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line.substr(line.find(' ') + 1));
  return lines;
}

// Stands between the panel and the fake screen to look at the event loop
// from inside: onWait runs before each wait for events.
class LoopSpy : public FrontEnd {
 public:
  explicit LoopSpy(testing::FakeFrontEnd& inner) : inner_(inner) {}
  bool openWindow(const std::string& t, int x, int y, int w, int h) override {
    return inner_.openWindow(t, x, y, w, h);
  }
  void closeWindow() override { inner_.closeWindow(); }
  void moveTextPosition(int x, int y) override { inner_.moveTextPosition(x, y); }
  void printText(std::string_view text) override { inner_.printText(text); }
  void setFont(const FontSpec& font) override { inner_.setFont(font); }
  void flushDrawing() override { inner_.flushDrawing(); }
  void startTimer(int periodMs, int id) override { inner_.startTimer(periodMs, id); }
  void stopTimer(int id) override { inner_.stopTimer(id); }
  void waitForEvents(EventSink& sink, bool noWait) override {
    if (onWait) onWait();
    inner_.waitForEvents(sink, noWait);
  }
  std::function<void()> onWait;

 private:
  testing::FakeFrontEnd& inner_;
};

// A panel over the scenario's fakes, but with the spy as its screen.
struct SpiedRun {
  Scenario sc;
  LoopSpy spy{sc.screen};
  Panel panel{sc.serial, sc.sound, spy, sc.clock, sc.files};
  SpiedRun() { panel.workDir = sc.dir.path(); }
};

TEST(StartUp, WithoutConfigurationOnlyTheGreetingAndCfgnfAreHeardAndNothingIsOpened) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(startUp(sc.panel), 1);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("keldar.cfg not found in " + sc.dir.path()), std::string::npos) << message;

  EXPECT_EQ(traceKinds(out.str()),
            (Lines{"SAY wave/keldar.wav", "SAY wave/3.wav", "SAY wave/point.wav", "SAY wave/3.wav",
                   "SAY wave/cfgnf.wav"}));
  EXPECT_EQ(sc.takePhrases(), (Lines{"keldar", "3", "point", "3", "cfgnf"}));
  EXPECT_EQ(sc.screen.title, "*** Keldar Front Panel v" + std::string(kVersion) + " ***");
  EXPECT_FALSE(sc.screen.windowOpen);
  EXPECT_TRUE(sc.screen.timers.empty());
  EXPECT_TRUE(sc.screen.prints.empty());
  EXPECT_EQ(sc.serial.port(0).opens + sc.serial.port(3).opens, 0);
  EXPECT_TRUE(std::filesystem::is_empty(sc.dir.path()));
}

TEST(StartUp, AConfigurationThatIsNotAFileIsRefused) {
  Scenario sc;
  std::filesystem::create_directory(sc.path("keldar.cfg"));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(startUp(sc.panel), 1);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("is a directory, not a plain file"), std::string::npos) << message;
  EXPECT_EQ(sc.takePhrases(), (Lines{"keldar", "3", "point", "3", "cfgerr", "notfile"}));
  EXPECT_EQ(sc.takeRadio(), "");
}

TEST(StartUp, SimulationIsAnnouncedAfterTheGreetingAndSurvivesInitialisation) {
  Scenario sc;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(startUp(sc.panel, simulated()), 1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(sc.takePhrases(), (Lines{"keldar", "3", "point", "3", "sim", "cfgnf"}));
  EXPECT_EQ(sc.state().simulationMode, 1);

  Scenario withConfig;
  withConfig.writeFile("keldar.cfg", configText());
  startUp(withConfig.panel, simulated());
  EXPECT_EQ(withConfig.state().simulationMode, 1);
  // The configured radio port is neither opened nor written.
  EXPECT_EQ(withConfig.serial.port(3).opens, 0);
  EXPECT_EQ(withConfig.takePort(3), "");

  Scenario plain;
  plain.state().simulationMode = 1;
  plain.writeFile("keldar.cfg", configText());
  startUp(plain.panel);
  EXPECT_EQ(plain.state().simulationMode, 0);
}

TEST(StartUp, TunesBandFourOnAnOpenPortAndDrawsTheFixedText) {
  Scenario sc;
  sc.writeFile("keldar.cfg", configText());
  // Left-overs that initialisation must put back to their start values.
  sc.state().afGain = 3;
  sc.state().toneCode = "123";
  sc.state().memoryChannels[42] = "x";
  sc.state().bandTable[4] = "02A014000000B0140000009990";

  EXPECT_EQ(startUp(sc.panel), 0);

  const auto& port = sc.serial.port(3);
  EXPECT_EQ(port.opens, 1);
  EXPECT_EQ(port.baud, 38400);
  EXPECT_TRUE(port.neverWait);
  EXPECT_EQ(port.dataBits, 8);
  EXPECT_EQ(port.parity, 0);
  EXPECT_EQ(port.stopBits, 2);
  EXPECT_FALSE(port.open) << "closed at shutdown";
  // A radio that never answered is asked who it is and sent nothing else.
  for (const std::string& command : splitCommands(sc.takeRadio())) EXPECT_EQ(command, "ID;");

  const PanelState& s = sc.state();
  EXPECT_EQ(s.frequencyDisplay, "7.100000");
  EXPECT_EQ(s.bandIndex, 4);
  EXPECT_EQ(s.modeIndex, 1);
  EXPECT_EQ(s.savedMode, 1);
  EXPECT_EQ(s.wideFm, 0);
  EXPECT_EQ(s.frequency, 0);
  EXPECT_EQ(s.connected, 0);
  EXPECT_EQ(s.running, 0);
  EXPECT_EQ(s.afGain, 50);
  EXPECT_EQ(s.toneCode, "999");
  for (const BasicString& channel : s.memoryChannels) EXPECT_EQ(channel, "9");
  for (int row = 1; row <= kBandCount; ++row) EXPECT_EQ(s.bandTable[row], kDefaultBandTable[row]);
  EXPECT_EQ(s.comPort, 3) << "configuration survives the reset";
  EXPECT_EQ(s.shift70cm, "7600");

  EXPECT_EQ(sc.field(280, 10), "*** Keldar V " + std::string(kVersion) + " ***");
  // The help names every function key once, F6 the contour and F7 the
  // speech processor, in the help font.
  std::string help;
  for (int line = 0; line < static_cast<int>(kHelpLines.size()); ++line) {
    help += sc.field(kHelpLinesX, kHelpLinesTop + line * kHelpLineStep) + " ";
  }
  for (int f = 1; f <= 12; ++f) {
    const std::string key = "F" + std::to_string(f) + "=";
    EXPECT_EQ(help.find(key), help.rfind(key)) << key;
    EXPECT_NE(help.find(" " + key), std::string::npos) << key;
  }
  EXPECT_NE(help.find(" F6=Contour "), std::string::npos) << help;
  EXPECT_NE(help.find(" F7=Speech processor "), std::string::npos) << help;
  for (const auto& print : sc.screen.prints) {
    if (print.y >= kHelpLinesTop) {
      EXPECT_EQ(print.font, helpFont()) << print.text;
    }
  }
  EXPECT_FALSE(sc.fileExists("debug.dat"));
  EXPECT_EQ(sc.takePhrases(), (Lines{"keldar", "3", "point", "3"}));
}

TEST(StartUp, TheTimerRunsOnlyWhileTheLoopRunsAndEveryQueuedEventIsHandled) {
  SpiedRun run;
  run.sc.writeFile("keldar.cfg", configText());
  std::vector<std::map<int, int>> timersSeen;
  std::string sentBeforeLoop;
  run.spy.onWait = [&] {
    if (timersSeen.empty()) sentBeforeLoop = run.sc.takePort(3);
    timersSeen.push_back(run.sc.screen.timers);
  };
  run.sc.screen.queue(kKeyDownEvent, 'F');
  run.sc.screen.queue(kKeyUpEvent, 'F');
  run.sc.screen.queue(kTimerEvent, 1);

  startUp(run.panel);

  // One wait hands over the three queued events, the next gets the close.
  ASSERT_EQ(timersSeen.size(), 2u);
  EXPECT_EQ(timersSeen[0], (std::map<int, int>{{1, 50}}));
  EXPECT_EQ(sentBeforeLoop, "") << "nothing before the radio has answered";
  EXPECT_TRUE(run.sc.screen.timers.empty());
  EXPECT_TRUE(run.sc.screen.events.empty());
  EXPECT_FALSE(run.sc.screen.windowOpen);
}

// The radio's wake-up pauses are waits of the loop: the ticks go on (and
// poll) meanwhile, and the start band is tuned only after them.
TEST(StartUp, PowerSwitchSendsPowerOnAndPs1WithTheirPausesAndPs0AtTheEnd) {
  Scenario sc;
  sc.writeFile("keldar.cfg", configText({{7, "Switch=1"}}));
  std::vector<std::pair<std::string, uint32_t>> writes;  // command, ms since start
  const uint32_t start = sc.clock.ms;
  // Switched off, the radio answers a second after PS1.
  sc.serial.setResponder([&](int, const std::string& bytes) {
    writes.emplace_back(bytes, sc.clock.ms - start);
    const bool awake = sc.clock.ms - start >= 1600;
    if (!awake) return std::string();
    return bytes == "ID;"   ? std::string("ID0670;")
           : bytes == "FA;" ? std::string("FA007100000;")
                            : std::string();
  });
  for (int i = 0; i < 60; ++i) sc.screen.queue(kTimerEvent, 1);
  sc.screen.beforeTick = [&sc] { sc.clock.ms += 50; };

  startUp(sc.panel);

  const auto at = [&writes](const std::string& command) {
    for (const auto& [sent, ms] : writes) {
      if (sent == command) return static_cast<int>(ms);
    }
    return -1;
  };
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes[0], (std::pair<std::string, uint32_t>{"Power on;", 0}));
  EXPECT_EQ(at("PS1;"), 600);
  EXPECT_GE(at("FA007100000;"), 1600);
  EXPECT_GE(at("VS0;"), 1600);
  for (const auto& [sent, ms] : writes) {
    if (ms < 1600 && sent != "Power on;" && sent != "PS1;") {
      EXPECT_EQ(sent, "ID;") << ms;
    }
  }
  EXPECT_EQ(writes.back().first, "PS0;");
  EXPECT_EQ(sc.clock.waited, 100u) << "one pause after PS0, once the loop has ended";
}

TEST(StartUp, DebugLogStartsWithItsHeaderAndReplacesAnOlderLog) {
  Scenario sc;
  sc.writeFile("debug.dat", "KELDAR 3.3a  01-01-2020   00:00:00\r\nold line\r\n");
  sc.writeFile("keldar.cfg", configText({{1, "COM=12"}, {2, "Speed=4800"}, {14, "Debug=1"}}));

  startUp(sc.panel);

  const std::string log = sc.readFile("debug.dat");
  EXPECT_EQ(log.rfind("KELDAR " + std::string(kVersion) +
                          "  08-12-2026   14:05:09\r\n"
                          "Comport= 12  Speed= 4800 Baud\r\n",
                      0),
            0u)
      << log;
  // What waits for a radio to answer is logged as held, not as sent.
  EXPECT_NE(log.find("TX!=MD01; held: no radio has answered\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("TX=MD01;"), std::string::npos) << log;
  EXPECT_EQ(log.find("old line"), std::string::npos);
  EXPECT_FALSE(sc.state().debugFile.isOpen());
}

TEST(StartUp, ALogThatCannotBeCreatedIsLostAndThePanelRunsOn) {
  Scenario sc;
  std::filesystem::create_directory(sc.path("debug.dat"));
  sc.writeFile("keldar.cfg", configText({{14, "Debug=1"}}));
  EXPECT_EQ(startUp(sc.panel), 0);
  EXPECT_EQ(sc.state().frequencyDisplay, "7.100000") << "the start band was taken";
  EXPECT_EQ(sc.takePhrases().front(), "keldar");
}

// savmem.dat with the band in its header and the default rows and channels.
std::string bankFile(char bandCharacter) {
  std::string text = std::string("KELDAR v3.2a 3.3b ") + bandCharacter + "0\r\n";
  for (int row = 1; row <= kBandCount; ++row) text += std::string(kDefaultBandTable[row]) + "\r\n";
  for (int i = 0; i < kChannelCount; ++i) text += "9\r\n";
  return text;
}

TEST(StartUp, TheSavedBandIsTunedAndASavedBandZeroStartsOnBandFour) {
  const std::pair<char, const char*> cases[] = {
      {'0', "FA007100000;"}, {'<', "FA145000000;"}, {'6', "FA014200000;"}};
  for (const auto& [band, sent] : cases) {
    Scenario sc;
    sc.writeFile("keldar.cfg", configText());
    sc.writeFile("savmem.dat", bankFile(band));
    std::string written;
    sc.serial.setResponder([&written](int, const std::string& bytes) {
      written += bytes;
      return bytes == "ID;" ? std::string("ID0670;") : std::string();
    });
    for (int i = 0; i < 40; ++i) sc.screen.queue(kTimerEvent, 1);
    sc.screen.beforeTick = [&sc] { sc.clock.ms += 50; };
    ::testing::internal::CaptureStderr();
    startUp(sc.panel);
    ::testing::internal::GetCapturedStderr();
    // "Who are you" first; once the radio has answered, its set-up tunes the band.
    EXPECT_EQ(written.rfind("ID;", 0), 0u) << band;
    EXPECT_NE(written.find(std::string("VS0;") + sent), std::string::npos) << band << written;
  }
}

TEST(StartUp, TheStartBandGivesFrequencyTextAndModeAndBandsOutsideTheTableGiveBandFour) {
  struct Case {
    int band;
    const char* row;
    const char* display;
    int mode, wideFm;
  };
  const Case cases[] = {
      {0, nullptr, "7.100000", 1, 0},
      {15, nullptr, "7.100000", 1, 0},
      {-1, nullptr, "7.100000", 1, 0},
      {12, kDefaultBandTable[12], "145.000000", 5, 0},
      {14, kDefaultBandTable[14], "9.670000", 4, 0},
      {6, kDefaultBandTable[6], "14.200000", 2, 0},
      {13, "07A439100000B4391000009990", "439.100000", 7, 1},
  };
  for (const Case& c : cases) {
    Scenario sc;
    sc.serial.openPort(3, 38400);
    sc.state().comPort = 3;
    for (int row = 1; row <= kBandCount; ++row) sc.state().bandTable[row] = kDefaultBandTable[row];
    if (c.row != nullptr) sc.state().bandTable[c.band] = c.row;
    sc.state().bandIndex = c.band;
    tuneStartBand(sc.panel);
    // Nothing reaches a device before it has answered as a radio; the
    // set-up tunes the band.
    EXPECT_EQ(sc.takeRadio(), "") << c.band;
    EXPECT_EQ(sc.state().bandIndex, c.row != nullptr ? c.band : 4);
    EXPECT_EQ(sc.state().frequencyDisplay, c.display);
    EXPECT_EQ(sc.state().modeIndex, c.mode);
    EXPECT_EQ(sc.state().savedMode, c.mode);
    EXPECT_EQ(sc.state().wideFm, c.wideFm);
  }
}

TEST(Shutdown, ACloseRequestWhileKeyedSendsTx0BeforeAnythingElse) {
  struct Case {
    int txState, tuneActive, powerSwitch;
    Lines after;
  };
  const Case cases[] = {
      {11, 0, 0, {"TX0;"}},
      // A tune carrier (5 W of AM) also gives back the power and the mode.
      {0, 1, 1, {"TX0;", "PC100;", "MD01;", "PS0;"}},
      {12, 1, 1, {"TX0;", "PC100;", "MD01;", "PS0;"}},
      {0, 0, 1, {"PS0;"}},
      {0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SpiedRun run;
    run.sc.writeFile("keldar.cfg", configText({{7, "Switch=" + std::to_string(c.powerSwitch)}}));
    // The transmitter is keyed when the close request comes.
    run.spy.onWait = [&] {
      run.sc.takePort(3);
      // Keyed, so the radio had answered.
      run.panel.state.deviceUnproven = 0;
      run.panel.state.txState = c.txState;
      run.panel.state.tuneActive = c.tuneActive;
    };
    EXPECT_EQ(startUp(run.panel), 0);
    EXPECT_EQ(splitCommands(run.sc.takePort(3)), c.after) << c.txState << " " << c.tuneActive;
    EXPECT_EQ(run.panel.state.txState, 0);
    EXPECT_EQ(run.panel.state.tuneActive, 0);
    EXPECT_FALSE(run.sc.serial.port(3).open);
  }
}

TEST(Config, EachLineIsTakenFromItsFixedPositions) {
  struct Case {
    int line;
    const char* text;
    std::function<bool(const PanelState&)> check;
  };
  const Case cases[] = {
      {1, "COM=12", [](const PanelState& s) { return s.comPort == 12; }},
      {1, "COM=3", [](const PanelState& s) { return s.comPort == 3; }},
      {1, "COMPORT=12", [](const PanelState& s) { return s.comPort == 2; }},
      {1, "", [](const PanelState& s) { return s.comPort == 0; }},
      {2, "Speed=38400", [](const PanelState& s) { return s.baudRate == 38400; }},
      {2, "Speed=4800.9", [](const PanelState& s) { return s.baudRate == 4800; }},
      {3, "Power=100",
       [](const PanelState& s) { return s.powerLevel == 100 && s.maxPower == 100; }},
      {3, "Power=003", [](const PanelState& s) { return s.powerLevel == 5 && s.maxPower == 5; }},
      {3, "Power=50", [](const PanelState& s) { return s.powerLevel == 50; }},
      {3, "Power=7", [](const PanelState& s) { return s.powerLevel == 7; }},
      {3, "Pow=50", [](const PanelState& s) { return s.powerLevel == 5 && s.maxPower == 5; }},
      {3, "Power=1000", [](const PanelState& s) { return s.powerLevel == 5; }},
      {5, "Atu=x", [](const PanelState& s) { return s.tunerSetting == 0; }},
      {5, "Atu=2", [](const PanelState& s) { return s.tunerSetting == 2; }},
      {6, "Bands  =7", [](const PanelState& s) { return s.bandCoverage == "7"; }},
      {6, "Bands=7", [](const PanelState& s) { return s.bandCoverage == ""; }},
      {9, "10m = -100",
       [](const PanelState& s) { return s.shift10mMinus == 1 && s.shift10m == "100"; }},
      {9, "10m = +100",
       [](const PanelState& s) { return s.shift10mMinus == 0 && s.shift10m == "100"; }},
      {9, "10m =-100", [](const PanelState& s) { return s.shift10mMinus == 0; }},
      {10, "6m = -500",
       [](const PanelState& s) { return s.shift6mMinus == 1 && s.shift6m == "500"; }},
      {11, "2m = +600",
       [](const PanelState& s) { return s.shift2mMinus == 0 && s.shift2m == "600"; }},
      {12, "70cm= -7600",
       [](const PanelState& s) { return s.shift70cmMinus == 1 && s.shift70cm == "7600"; }},
      {12, "70cm= +600", [](const PanelState& s) { return s.shift70cm == "600"; }},
      {13, "Relay=5", [](const PanelState& s) { return s.relayPort == 5; }},
      {13, "Relay =12", [](const PanelState& s) { return s.relayPort == 12; }},
      {13, "Relay=12", [](const PanelState& s) { return s.relayPort == 2; }},
      {14, "Debug=1", [](const PanelState& s) { return s.debugLog == 1; }},
      {14, "Debug=", [](const PanelState& s) { return s.debugLog == 0; }},
  };
  for (const Case& c : cases) {
    PanelState s;
    applyConfigLine(s, c.line, c.text);
    EXPECT_TRUE(c.check(s)) << "line " << c.line << ": '" << c.text << "'";
  }
}

TEST(Config, RepeaterShiftsKeepOnlyTheirDigitsPaddedToThree) {
  const std::pair<const char*, const char*> tenMetre[] = {
      {"10m = +1", "001"},
      {"10m = +", "000"},
      {"10m =", "000"},
      {"10m = + 5x", "005"},
      {"10m = -1.5", "015"},
      {"10m = +\x01\xff"
       "9",
       "009"},
  };
  for (const auto& [line, shift] : tenMetre) {
    PanelState s;
    applyConfigLine(s, 9, line);
    EXPECT_EQ(s.shift10m, shift) << line;
  }
  const std::pair<const char*, const char*> seventyCm[] = {
      {"70cm= -7600", "7600"},
      {"70cm= -76 0", "760"},
      {"70cm= +60", "060"},
      {"70cm=", "000"},
  };
  for (const auto& [line, shift] : seventyCm) {
    PanelState s;
    applyConfigLine(s, 12, line);
    EXPECT_EQ(s.shift70cm, shift) << line;
  }
  PanelState s;
  applyConfigLine(s, 10, "6m = -5");
  applyConfigLine(s, 11, "2m =  60");
  EXPECT_EQ(s.shift6m, "005");
  EXPECT_EQ(s.shift2m, "060");
  // Line 1: a port number as ever, or the radio behind a TCP server.
  applyConfigLine(s, 1, "COM=12");
  EXPECT_EQ(s.comPort, 12);
  EXPECT_EQ(s.radioAddress, "");
  applyConfigLine(s, 1, "COM=tcp:shack.local:4001");
  EXPECT_EQ(s.comPort, 1);
  EXPECT_EQ(s.radioAddress, "tcp:shack.local:4001");
}

TEST(Config, ARelayOnTheRadiosOwnPortIsDroppedWithAMessage) {
  Scenario sc;
  sc.writeFile("keldar.cfg", configText({{13, "Relay=3"}}));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(readConfiguration(sc.panel));
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(sc.state().relayPort, 0);
  EXPECT_NE(message.find("relay port 3"), std::string::npos) << message;

  Scenario other;
  other.writeFile("keldar.cfg", configText({{13, "Relay=4"}}));
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(readConfiguration(other.panel));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(other.state().relayPort, 4);
}

TEST(Config, EachLineIsCheckedAgainstWhatItMayHold) {
  struct Case {
    int line;
    std::string text;
    bool refused;
  };
  const Case cases[] = {
      {1, "COM=3", false},       {1, "COM=12", false},
      {1, "COM=x", true},        {1, "", true},
      {2, "Speed=38400", false}, {2, "Speed=4800 baud", false},
      {2, "Speed=1234", true},   {2, "Speed=", true},
      {3, "Power=100", false},   {3, "Power=5", false},
      {3, "Power=999", true},    {3, "Power=abc", true},
      {3, "Power=1000", true},   {3, "Power=3", true},
      {3, "Pow=50", true},       {4, "Swr=2", false},
      {4, "Swr=3", true},        {5, "Atu=x", true},
      {6, "Bands  =6", false},   {6, "Bands  =3", true},
      {6, "Bands=7", true},      {7, "Switch=1", false},
      {7, "Switch=2", true},     {8, "Dcs=0", false},
      {9, "10m = -100", false},  {9, "10m = +1", false},
      {9, "10m = 100", true},    {9, "10m = +1x0", true},
      {9, "10m = +", true},      {10, "6m = -500", false},
      {11, "2m = ?600", true},   {12, "70cm= -7600", false},
      {12, "70cm= +76z0", true}, {13, "Relay=0", false},
      {13, "Relay =12", false},  {13, "Relay=-", true},
      {14, "Debug=1", false},    {14, "Debug=", true},
  };
  for (const Case& c : cases) {
    const std::optional<ConfigProblem> problem = checkConfigLine(c.line, c.text);
    EXPECT_EQ(problem.has_value(), c.refused) << "line " << c.line << ": '" << c.text << "'";
    if (problem) {
      EXPECT_EQ(problem->line, c.line);
    }
  }
  // What stderr gets: the line, what it holds, what is allowed.
  const std::string said = describeConfigProblem(*checkConfigLine(3, "Power=999"));
  EXPECT_EQ(said,
            "keldar: keldar.cfg line 3 \"Power=999\" holds \"999\"; allowed: watts from 5 to 100 "
            "as the last characters of a line of 7 to 9 (\"Power=100\")");
}

TEST(Config, ARefusedOrMissingLineIsSaidPrintedAndEndsTheRunBeforeTheRadio) {
  struct Case {
    std::string file;
    std::vector<std::string> heard;  // after the greeting
    std::string printed;
  };
  std::string damaged = std::string("C\0M=5", 5) + "\r" + std::string(100000, '\xff') + "\n";
  const Case cases[] = {
      {configText({{3, "Power=999"}}), {"cfgerr", "line", "3"}, "line 3 \"Power=999\""},
      {configText({{13, "Relay=x"}}), {"cfgerr", "line", "13"}, "line 13 \"Relay=x\""},
      {"COM=3\nSpeed=38400\n", {"cfgerr", "line", "3"}, "line 3 is missing"},
      {"", {"cfgerr", "line", "1"}, "line 1 is missing"},
      {damaged, {"cfgerr", "line", "2"}, "line 2 \"\\xFF"},
  };
  for (const Case& c : cases) {
    Scenario sc;
    sc.writeFile("keldar.cfg", c.file);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(startUp(sc.panel), 1);
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find(c.printed), std::string::npos) << message;
    Lines heard = {"keldar", "3", "point", "3"};
    heard.insert(heard.end(), c.heard.begin(), c.heard.end());
    EXPECT_EQ(sc.takePhrases(), heard) << c.printed;
    EXPECT_EQ(sc.serial.port(3).opens + sc.serial.port(5).opens, 0);
    EXPECT_EQ(sc.takeRadio(), "");
    EXPECT_FALSE(sc.fileExists("savmem.dat"));
  }
}

TEST(Config, AByteOrderMarkCrOnlyLinesAndLongLinesStillRead) {
  std::string text;
  for (std::size_t i = 0; i < kConfig.size(); ++i) {
    std::string line = i == 0 ? "COM=12" : kConfig[i];
    if (i == 1) line += "   ; the radio's menu 031" + std::string(300, ' ');
    text += line + "\r";
  }
  Scenario sc;
  sc.writeFile("keldar.cfg", "\xEF\xBB\xBF" + text);
  ASSERT_TRUE(readConfiguration(sc.panel));
  EXPECT_EQ(sc.state().comPort, 12);
  EXPECT_EQ(sc.state().baudRate, 38400);
  EXPECT_EQ(sc.state().shift70cm, "7600");
  EXPECT_EQ(sc.state().debugLog, 0);
}

}  // namespace
}  // namespace keldar
