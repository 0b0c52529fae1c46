// The whole panel driven as an operator drives it: keys typed at its terminal,
// the emulated radio on COM3. Each test checks what the radio received, what
// was said (the trace's SAY lines), what was drawn, and the files left behind.
#include <signal.h>

#include <algorithm>
#include <initializer_list>
#include <iostream>
#include <set>

#include <gtest/gtest.h>

#include "station.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

// Terminal key sequences.
constexpr std::string_view kUp = "\x1b[A";
constexpr std::string_view kDown = "\x1b[B";
constexpr std::string_view kF3 = "\x1bOR";
constexpr std::string_view kF11 = "\x1b[23~";
constexpr std::string_view kEnter = "\r";

// What the timer asks on every tick; the keys' own commands are what is left.
const std::set<std::string> kPolls = {"FA;", "FB;", "SM0;", "RM4;", "RM6;"};

using Lines = std::vector<std::string>;

// Where the panel, the radio and the trace stood before a few keys.
struct Mark {
  size_t trace = 0;
  size_t radio = 0;
};

std::string printable(const Lines& lines) {
  std::string out;
  for (const auto& line : lines) out += "[" + line + "] ";
  return out;
}

class Acceptance : public ::testing::Test {
 protected:
  void start(StationOptions options = {}) {
    station_ = std::make_unique<Station>(std::move(options));
    ASSERT_TRUE(station_->start()) << station_->error();
    ASSERT_NO_FATAL_FAILURE(waitConnected());
  }

  void waitConnected() {
    ASSERT_TRUE(station_->waitForTrace("SAY wave/connected.wav")) << "never connected";
    // Keys act once a frequency reply after the connecting one has been taken
    // (until then every key says "nc"); that reply is drawn.
    ASSERT_TRUE(waitUntil([&] { return frequencyDrawn(); })) << "no frequency drawn";
  }

  // The frequency field last drawn with this text (ten characters).
  bool drawn(std::string_view text) const {
    auto lines = station_->traceLines();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      if (line->rfind("PRINT 285 150 ", 0) == 0) return line->substr(14, 10) == text;
    }
    return false;
  }

  bool frequencyDrawn() const {
    auto lines = station_->traceLines();
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return l.rfind("PRINT 285 150 ", 0) == 0; });
  }

  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }

  Mark mark() const { return {station_->traceLines().size(), station_->radioLog().size()}; }

  int keyUps() const {
    auto lines = station_->traceLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
      return l.rfind("KEYUP ", 0) == 0;
    }));
  }

  // One key at a time: the terminal follows each key-down with its key-up,
  // and the panel traces the key-up once the key's own work is done.
  void press(std::initializer_list<std::string_view> keys) {
    for (auto key : keys) {
      int before = keyUps();
      ASSERT_TRUE(station_->press(key));
      ASSERT_TRUE(waitUntil([&] { return keyUps() > before; }))
          << "key not handled: " << printable({std::string(key)});
    }
  }
  void type(std::string_view text) {
    for (char c : text) ASSERT_NO_FATAL_FAILURE(press({std::string_view(&c, 1)}));
  }

  // Trace lines of one kind since the mark, without the kind.
  Lines traced(const Mark& from, std::string_view kind) const {
    auto lines = station_->traceLines();
    Lines out;
    std::string prefix = std::string(kind) + " ";
    for (size_t i = from.trace; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) == 0) out.push_back(lines[i].substr(prefix.size()));
    }
    return out;
  }

  // Phrase names heard since the mark, pauses left out.
  Lines said(const Mark& from) const {
    Lines out;
    for (auto path : traced(from, "SAY")) {
      // Only the phrase folder holds words; the tick's silent meter refresh
      // names paths outside it.
      if (path.rfind("wave/", 0) != 0) continue;
      path.erase(0, 5);
      if (path.size() > 4 && path.ends_with(".wav")) path.erase(path.size() - 4);
      // Blanks of a readout have no recording; pauses are not words.
      if (path != "delay" && path.find_first_not_of(' ') != std::string::npos) out.push_back(path);
    }
    return out;
  }

  // Commands the radio received since the mark, polls left out.
  Lines sent(const Mark& from) const {
    auto log = station_->radioLog();
    Lines out;
    for (size_t i = from.radio; i < log.size(); ++i) {
      if (kPolls.count(log[i]) == 0) out.push_back(log[i]);
    }
    return out;
  }

  // The radio's log lags the panel's writes a little: wait for the run.
  void expectSent(const Mark& from, const Lines& run) {
    bool seen = waitUntil([&] { return findRun(sent(from), run) >= 0; }, Millis(5000));
    EXPECT_TRUE(seen) << "wanted " << printable(run) << "\nreceived " << printable(sent(from));
  }
  // The same, in this order with other commands between them.
  void expectSentInOrder(const Mark& from, const Lines& wanted) {
    auto inOrder = [&] {
      auto got = sent(from);
      auto at = got.begin();
      for (const auto& line : wanted) {
        at = std::find(at, got.end(), line);
        if (at == got.end()) return false;
        ++at;
      }
      return true;
    };
    EXPECT_TRUE(waitUntil(inOrder, Millis(5000)))
        << "wanted in order " << printable(wanted) << "\nreceived " << printable(sent(from));
  }
  void expectSaid(const Mark& from, const Lines& run) {
    EXPECT_GE(findRun(said(from), run), 0)
        << "wanted " << printable(run) << "\nheard " << printable(said(from));
  }
  bool radioShows(std::string_view part) {
    return waitUntil([&] { return station_->radioState().find(part) != std::string::npos; },
                     Millis(5000));
  }

  // F reads the frequency and mode. It is silent for two ticks of every second
  // by design, so it is pressed again until it speaks.
  void readFrequency(const Lines& expected) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      Mark m = mark();
      ASSERT_NO_FATAL_FAILURE(press({"f"}));
      if (said(m).empty()) continue;
      EXPECT_EQ(said(m), expected);
      return;
    }
    ADD_FAILURE() << "F never spoke";
  }

  std::unique_ptr<Station> station_;
};

// F3: the noise blanker goes on, spoken before it is sent, then its level is read.
TEST_F(Acceptance, NoiseBlankerOnF3) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kF3}));
  expectSaid(m, {"nb", "on"});
  expectSent(m, {"NB01;", "NL0;"});
  EXPECT_EQ(station_->quit(), 0);
}

// P then Down: one power step below the configured 100 W.
TEST_F(Acceptance, PowerStepsDown) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"p", kDown}));
  expectSent(m, {"PC090;"});
  EXPECT_EQ(said(m).front(), "Power");
  EXPECT_EQ(station_->quit(), 0);
}

// Space keys the transmitter and space again releases it.
TEST_F(Acceptance, SpaceKeysAndUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  expectSent(m, {"TX1;"});
  expectSaid(m, {"tx", "on"});
  EXPECT_TRUE(radioShows(" TX1"));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  expectSent(m, {"TX0;"});
  expectSaid(m, {"tx", "off"});
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_EQ(station_->quit(), 0);
}

// SIGTERM while the transmitter is keyed: the radio is unkeyed on the way out.
TEST_F(Acceptance, TerminationWhileTransmittingUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  ASSERT_TRUE(radioShows(" TX1"));
  Mark m = mark();
  EXPECT_EQ(station_->stopPanel(SIGTERM), 0);
  auto after = sent(m);
  EXPECT_NE(std::find(after.begin(), after.end(), "TX0;"), after.end()) << printable(after);
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_TRUE(fs::exists(station_->work() / "savmem.dat"));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The channel survives the program: stored, Q, the program started again, recalled.
TEST_F(Acceptance, ChannelStoredBeforeQuitIsRecalledAfterRestart) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"FA014225000;"});
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("m"));  // USB on 20 m, so CW next
  expectSent(m, {"MD03;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb37"));
  expectSaid(m, {"sch", "bank", "3", "channel", "7", "ok"});
  std::string saved = readFile(station_->work() / "savmem.dat");
  EXPECT_NE(saved.find("A014225000B014225000999"), std::string::npos) << saved;
  auto listing = readLines(station_->work() / "memory.txt");
  auto bank = std::find(listing.begin(), listing.end(), "Bank3");
  ASSERT_NE(bank, listing.end()) << printable(listing);
  ASSERT_NE(bank + 1, listing.end());
  EXPECT_EQ((bank + 1)->rfind("Slot 7 A=14.225  B=14.225  CW", 0), 0u) << *(bank + 1);
  ASSERT_EQ(station_->quit(), 0);

  ASSERT_TRUE(station_->restartPanel()) << station_->error();
  ASSERT_NO_FATAL_FAILURE(waitConnected());
  // Somewhere else first, so the recall has to move the radio.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e7"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"FA007000000;"});
  ASSERT_TRUE(waitUntil([&] { return drawn("  7.000000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("gb37"));
  expectSaid(m, {"gch", "bank", "3", "channel", "7"});
  expectSentInOrder(m, {"FT2;", "MD03;", "FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  EXPECT_TRUE(radioShows(" MD03 "));
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST_F(Acceptance, FrequencyReadoutAndATypedFrequency) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(readFrequency({"7", "point", "1", "mhz", "lsb"}));
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSaid(m, {"EF", "1", "4", "point", "2", "2", "5"});
  expectSent(m, {"FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  // The new frequency is read once the radio has reported it.
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  ASSERT_NO_FATAL_FAILURE(readFrequency({"1", "4", "point", "2", "2", "5", "mhz", "usb"}));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, BandKeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("b6"));
  expectSent(m, {"FA014200000;"});
  EXPECT_TRUE(radioShows("FA014200000 "));
  EXPECT_TRUE(waitUntil([&] { return drawn(" 14.200000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("bx"));
  expectSent(m, {"FA050150000;"});
  EXPECT_TRUE(radioShows("FA050150000 "));
  EXPECT_TRUE(waitUntil([&] { return drawn(" 50.150000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("bt"));
  expectSent(m, {"FA145000000;"});
  EXPECT_TRUE(radioShows("FA145000000 "));
  EXPECT_TRUE(waitUntil([&] { return drawn("145.000000"); }));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, PowerAfAndRfStepToTheirLimits) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"p", kUp}));
  expectSent(m, {"PC100;"});
  expectSaid(m, {"max"});
  m = mark();
  for (int i = 0; i < 11; ++i) ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"PC090;", "PC080;", "PC070;", "PC060;", "PC050;", "PC040;", "PC030;", "PC020;",
                 "PC010;", "PC005;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"PC005;"});
  expectSaid(m, {"min"});

  // AF gain from the radio's 60 up to the top.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"a", kUp}));
  expectSaid(m, {"af"});
  expectSent(m, {"AG0070;"});
  m = mark();
  for (int i = 0; i < 19; ++i) ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"AG0240;", "AG0250;", "AG0250;"});
  expectSaid(m, {"max"});

  // RF gain starts at the top.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"r", kUp}));
  expectSent(m, {"RG0250;"});
  expectSaid(m, {"rf", "max"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"RG0240;"});
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, WidthStepsToItsLimitsInSsb) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"w"}));
  m = mark();
  for (int i = 0; i < 8; ++i) ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"SH020;", "FA007100000;", "SH021;", "FA007100000;", "SH021;"});
  expectSaid(m, {"max"});
  m = mark();
  for (int i = 0; i < 13; ++i) ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"SH010;", "FA007100000;", "SH009;", "FA007100000;", "SH009;"});
  expectSaid(m, {"min"});
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// M steps LSB, USB, CW, AM and, below 10 m, back to LSB; each mode goes to the radio.
TEST_F(Acceptance, ModeCycle) {
  ASSERT_NO_FATAL_FAILURE(start());
  const std::vector<std::pair<std::string, std::string>> cycle = {
      {"MD02;", "usb"}, {"MD03;", "cw"}, {"MD05;", "am"}, {"MD01;", "lsb"}};
  for (const auto& [command, phrase] : cycle) {
    Mark m = mark();
    ASSERT_NO_FATAL_FAILURE(press({"m"}));
    expectSent(m, {command});
    expectSaid(m, {phrase});
    EXPECT_TRUE(radioShows(" MD0" + command.substr(3, 1) + " "));
  }
  EXPECT_EQ(station_->quit(), 0);
}

// T with the tuner off keys a 5 W AM carrier; only S and T act meanwhile; the
// second T releases it and puts power and mode back.
TEST_F(Acceptance, TuneCarrier) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"t"}));
  expectSaid(m, {"tune", "on"});
  expectSent(m, {"PC005;", "MD05;", "FA007100000;", "TX1;"});
  EXPECT_TRUE(radioShows(" MD05 "));
  EXPECT_TRUE(radioShows(" TX1"));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"f"}));
  EXPECT_EQ(said(m), Lines{"ton"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"t"}));
  expectSaid(m, {"tune", "off"});
  expectSent(m, {"TX0;", "PC100;", "MD01;"});
  EXPECT_TRUE(radioShows(" MD01 "));
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_EQ(station_->quit(), 0);
}

// V: transmit on VFO B at the frequency of the moment; V again goes back.
TEST_F(Acceptance, SplitOnAndOff) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"split"});
  expectSent(m, {"FT3;", "FB007100000;"});
  EXPECT_TRUE(radioShows("FB007100000 MD01 FT1 "));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"split", "off"});
  expectSent(m, {"FT2;"});
  EXPECT_TRUE(radioShows(" FT0 "));
  std::string saved = readFile(station_->work() / "savmem.dat");
  EXPECT_EQ(station_->quit(), 0);
}

// 2 m FM: a CTCSS tone typed with I, the repeater shift with V, and X F
// reading the transmit frequency 600 kHz below.
TEST_F(Acceptance, RepeaterShiftWithToneOnTwoMetres) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("bt"));
  expectSentInOrder(m, {"MD0B;", "FA145000000;"});  // FM narrow
  EXPECT_TRUE(radioShows("FA145000000 "));
  ASSERT_TRUE(waitUntil([&] { return drawn("145.000000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("i12"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSaid(m, {"ctcss", "on"});
  expectSent(m, {"CN00012;", "CT01;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"repeater", "on"});
  expectSent(m, {"OS02;", "CT01;"});
  ASSERT_NO_FATAL_FAILURE(press({"x"}));
  for (int attempt = 0; attempt < 5; ++attempt) {
    m = mark();
    ASSERT_NO_FATAL_FAILURE(press({"f"}));
    if (!said(m).empty()) break;
  }
  EXPECT_EQ(said(m), (Lines{"repeater", "tx", "1", "4", "4", "point", "4", "mhz", "fm", "nar"}));
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// U steps through the stored channels of the bank last recalled, past the empty slots.
TEST_F(Acceptance, UStepsThroughTheStoredChannels) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb32"));
  expectSaid(m, {"sch", "bank", "3", "channel", "2", "ok"});
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb36"));
  expectSaid(m, {"sch", "bank", "3", "channel", "6", "ok"});
  auto listing = readLines(station_->work() / "memory.txt");
  EXPECT_EQ(countOf(listing, "Bank3"), 1) << printable(listing);
  EXPECT_TRUE(std::any_of(listing.begin(), listing.end(), [](const std::string& l) {
    return l.rfind("Slot 2 A=7.1  B=7.1  LSB", 0) == 0;
  })) << printable(listing);
  EXPECT_TRUE(std::any_of(listing.begin(), listing.end(), [](const std::string& l) {
    return l.rfind("Slot 6 A=14.225  B=14.225  USB", 0) == 0;
  })) << printable(listing);

  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("gb32"));
  expectSentInOrder(m, {"FT2;", "MD01;", "FA007100000;"});
  EXPECT_TRUE(radioShows("FA007100000 "));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("u"));
  expectSaid(m, {"channel", "6"});
  expectSentInOrder(m, {"FT2;", "MD02;", "FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  // On round the bank, back to slot 2.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("u"));
  expectSaid(m, {"channel", "2"});
  expectSentInOrder(m, {"FT2;", "MD01;", "FA007100000;"});
  EXPECT_TRUE(radioShows("FA007100000 "));
  EXPECT_EQ(station_->quit(), 0);
}

// N: a menu read aloud, written, and read again.
TEST_F(Acceptance, MenuReadAndWrite) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n080"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter, kEnter}));
  expectSent(m, {"EX080;"});
  // The 10 m shift the set-up wrote, 100 kHz.
  EXPECT_EQ(said(m), (Lines{"mn", "0", "8", "0", "mp", "0", "1", "0", "0"}));

  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n032"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  ASSERT_NO_FATAL_FAILURE(type("1"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"EX0321;"});
  expectSaid(m, {"mp", "1", "ok"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n032"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter, kEnter}));
  expectSent(m, {"EX032;"});
  EXPECT_EQ(said(m), (Lines{"mn", "0", "3", "2", "mp", "1"}));
  EXPECT_EQ(station_->quit(), 0);
}

// K: CW while the speed is set, the radio's speed read and stepped, the mode
// put back at the end.
TEST_F(Acceptance, KeySpeed) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"k"}));
  expectSentInOrder(m, {"MD03;", "KS;", "BI0;"});
  EXPECT_EQ(said(m).front(), "ks");
  expectSaid(m, {"on", "2", "0"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"KS021;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"k"}));
  expectSaid(m, {"ks", "off", "2", "1"});
  expectSent(m, {"MD01;"});
  EXPECT_TRUE(radioShows(" MD01 "));
  EXPECT_EQ(station_->quit(), 0);
}

// F11: the microphone gain read from the radio, ALC polled in its place of
// the S-meter, the gain stepped, and the readout ended by the next key.
TEST_F(Acceptance, MicGainWithTheAlcReadout) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(station_->frontPanel("RM4100"));
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kF11}));
  expectSent(m, {"MG;"});
  expectSaid(m, {"micgain", "lev"});
  ASSERT_TRUE(waitUntil([&] { return countOf(station_->radioLog(), "RM4;") > 0; }))
      << "the ALC meter is never polled";
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"MG051;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"j"}));
  EXPECT_EQ(said(m).front(), "micgain");
  EXPECT_EQ(said(m).back(), "off");
  // The S-meter is polled again, the ALC no more.
  m = mark();
  ASSERT_TRUE(waitUntil([&] {
    auto log = station_->radioLog();
    return countOf(Lines(log.begin() + static_cast<long>(m.radio), log.end()), "SM0;") > 1;
  }));
  auto log = station_->radioLog();
  EXPECT_EQ(countOf(Lines(log.begin() + static_cast<long>(m.radio), log.end()), "RM4;"), 0);
  EXPECT_EQ(station_->quit(), 0);
}

// The close request (Ctrl-C at the terminal) while transmitting: unkeyed, status 0.
TEST_F(Acceptance, CloseRequestWhileTransmittingUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  ASSERT_TRUE(radioShows(" TX1"));
  Mark m = mark();
  ASSERT_TRUE(station_->press("\x03"));
  EXPECT_EQ(station_->stopPanel(0), 0);
  auto after = sent(m);
  EXPECT_NE(std::find(after.begin(), after.end(), "TX0;"), after.end()) << printable(after);
  EXPECT_TRUE(radioShows(" TX0"));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Every function key in LSB on 40 m: its name, "on", and its command at the
// radio; a second press turns it off again.
TEST_F(Acceptance, FunctionKeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  struct Row {
    std::string_view key;
    Lines said;
    Lines sent;
    Lines saidAgain;
    Lines sentAgain;
  };
  const Row rows[] = {
      {"\x1bOP", {"preamp", "on"}, {"PA01;"}, {"preamp", "off"}, {"PA00;"}},
      {"\x1bOQ", {"at", "on"}, {"RA01;"}, {"at", "off"}, {"RA00;"}},
      {"\x1bOS", {"nr", "on"}, {"NR01;", "RL0;"}, {"nr", "off"}, {"NR00;"}},
      {"\x1b[15~", {"notch", "on"}, {"BC01;"}, {"notch", "off"}, {"BC00;"}},
      {"\x1b[18~", {"spc", "on"}, {"PR01;"}, {"spc", "off"}, {"PR00;"}},
      {"\x1b[19~", {"vox", "on"}, {"VX1;"}, {"vox", "off"}, {"VX0;"}},
      {"\x1b[20~", {"mon", "on"}, {"ML0001;"}, {"mon", "off"}, {"ML0000;"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(printable(row.said));
    Mark m = mark();
    ASSERT_NO_FATAL_FAILURE(press({row.key}));
    expectSaid(m, row.said);
    expectSentInOrder(m, row.sent);
    m = mark();
    ASSERT_NO_FATAL_FAILURE(press({row.key}));
    expectSaid(m, row.saidAgain);
    expectSentInOrder(m, row.sentAgain);
  }
  // F12 steps the tuner setting: on, both, off.
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"\x1b[24~"}));
  expectSaid(m, {"tuner", "on"});
  expectSent(m, {"AC001;"});
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
