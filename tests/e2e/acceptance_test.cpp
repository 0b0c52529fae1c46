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
    ASSERT_TRUE(station_->waitForTrace("SAY wave/connected.wav")) << "never connected";
    // Keys act once a frequency reply after the connecting one has been taken
    // (until then every key says "nc"); that reply is drawn.
    ASSERT_TRUE(waitUntil([&] { return frequencyDrawn(); })) << "no frequency drawn";
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
      if (path.rfind("wave/", 0) == 0) path.erase(0, 5);
      if (path.size() > 4 && path.ends_with(".wav")) path.erase(path.size() - 4);
      if (path != "delay") out.push_back(path);
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
  void expectSaid(const Mark& from, const Lines& run) {
    EXPECT_GE(findRun(said(from), run), 0)
        << "wanted " << printable(run) << "\nheard " << printable(said(from));
  }
  bool radioShows(std::string_view part) {
    return waitUntil([&] { return station_->radioState().find(part) != std::string::npos; },
                     Millis(5000));
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
