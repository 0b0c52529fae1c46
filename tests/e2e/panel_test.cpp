// The built panel, in its terminal mode, against the emulated radio on COM3:
// start-up, connection and the set-up in order, a change made at the radio
// followed by the panel, answers that come late and in pieces, the other radio
// models, and Q.
#include <algorithm>
#include <iostream>

#include <gtest/gtest.h>

#include "keldar/version.h"
#include "station.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

// What the set-up sends once the first frequency answer is in, for the
// configuration the station writes (shifts 100, 500, 600 and 7600 kHz, power
// 100 W, tuner off) and the start band 40 m (LSB, preamp stored off).
// After the radio's ID and its frequency (which shows its digits).
const std::vector<std::string> kSetUpFt991a = {
    "EX0800100;", "EX0810500;", "EX0820600;", "EX08307600;", "VS0;",  "FA007100000;",
    "MD01;",      "NA00;",      "SH014;",     "RA00;",       "NB00;", "CO011200;",
    "CO000000;",  "PC100;",     "AG0;",       "ML0;",        "ML1;",  "PR0;",
    "NR00;",      "AC000;",     "NR0;",       "VX;",         "BI;",   "PA00;"};

std::vector<std::string> withPrefix(const std::vector<std::string>& lines,
                                    std::string_view prefix) {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
  }
  return out;
}

class PanelOnRadio : public ::testing::Test {
 protected:
  void start(StationOptions options = {}) {
    station_ = std::make_unique<Station>(std::move(options));
    ASSERT_TRUE(station_->start()) << station_->error();
    ASSERT_TRUE(station_->waitForTrace("SAY wave/connected.wav")) << "never connected";
  }

  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }

  bool printed(std::string_view prefix) {
    auto lines = station_->traceLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
  }

  std::unique_ptr<Station> station_;
};

TEST_F(PanelOnRadio, ConnectsWithTheSetUpInOrderAndQuitsWithQ) {
  ASSERT_NO_FATAL_FAILURE(start());
  auto log = station_->radioLog();
  // Asked only who it is until it answers; then the set-up reads its ID and
  // frequency and writes the rest as one block.
  int setUp = findRun(log, kSetUpFt991a);
  ASSERT_GE(setUp, 3);
  EXPECT_EQ(log[0], "ID;");
  EXPECT_EQ(std::vector<std::string>(log.begin() + setUp - 2, log.begin() + setUp),
            (std::vector<std::string>{"ID;", "FA;"}));
  for (int i = 0; i < setUp - 2; ++i) EXPECT_EQ(log[static_cast<size_t>(i)], "ID;");

  // debug.dat: the headers, then the same commands as the radio received them,
  // with the radio's answers.
  auto debug = station_->debugLines();
  ASSERT_GE(debug.size(), 2u);
  EXPECT_EQ(debug[0].rfind("KELDAR " + std::string(keldar::kVersion) + "  ", 0), 0u) << debug[0];
  EXPECT_EQ(debug[1], "Comport= 3  Speed= 38400 Baud");
  EXPECT_GE(findRun(withPrefix(debug, "TX="), kSetUpFt991a), 0);
  auto id = std::find(debug.begin(), debug.end(), "TX=ID;");
  ASSERT_NE(id, debug.end());
  ASSERT_NE(id + 1, debug.end());
  EXPECT_EQ(*(id + 1), "RX=ID0670;");

  size_t beforeQuit = station_->radioLog().size();
  ASSERT_EQ(station_->quit(), 0);
  EXPECT_TRUE(station_->traceHas("KEY 81"));
  auto after = station_->radioLog();
  ASSERT_GT(after.size(), beforeQuit);
  EXPECT_NE(std::find(after.begin() + static_cast<long>(beforeQuit), after.end(), "TX0;"),
            after.end());
  EXPECT_TRUE(fs::exists(station_->work() / "savmem.dat"));
}

TEST_F(PanelOnRadio, FollowsAFrequencyChangedAtTheRadio) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(station_->frontPanel("FA014074000;"));
  EXPECT_TRUE(waitUntil([&] { return printed("PRINT 285 150  14.074000"); }));
  auto debug = station_->debugLines();
  EXPECT_NE(std::find(debug.begin(), debug.end(), "RX=FA014074000;"), debug.end());
  // And back down the band: the panel draws what the radio reports, every time.
  ASSERT_TRUE(station_->frontPanel("FA007012500;"));
  EXPECT_TRUE(waitUntil([&] { return printed("PRINT 285 150   7.012500"); }));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(PanelOnRadio, AnswersLateAndInPiecesDoNotWedgeThePanel) {
  ASSERT_NO_FATAL_FAILURE(start());
  // From now on every answer starts 40 ms late and comes in two halves 20 ms
  // apart, so each poll's answer straddles the tick that reads it, and the
  // radio moves meanwhile.
  for (const char* line : {"delay 40", "pieces 2", "gap 20", "FA014074000;"}) {
    ASSERT_TRUE(station_->frontPanel(line));
  }
  int polls = countOf(station_->radioLog(), "FA;");
  ASSERT_TRUE(waitUntil([&] { return countOf(station_->radioLog(), "FA;") > polls + 10; }))
      << "the panel stopped polling";
  // Nothing half-read was drawn as a frequency.
  for (const auto& line : station_->traceLines()) {
    if (line.rfind("PRINT 285 150 ", 0) != 0) continue;
    std::string text = line.substr(14, 10);
    EXPECT_TRUE(text == "  7.100000" || text == " 14.074000") << line;
  }
  // Prompt again, the radio is followed and Q ends the program.
  ASSERT_TRUE(station_->frontPanel("delay 0"));
  ASSERT_TRUE(station_->frontPanel("pieces 1"));
  EXPECT_TRUE(waitUntil([&] { return printed("PRINT 285 150  14.074000"); }));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(PanelOnRadio, EightDigitRadio) {
  StationOptions options;
  options.model = "0241";
  ASSERT_NO_FATAL_FAILURE(start(options));
  auto log = station_->radioLog();
  // Menu 050 gets the first digit of the 10 m shift; the start band goes out in
  // eight digits; there is no processor query on this radio.
  int setUp = findRun(log, {"ID;", "FA;", "EX050001;", "VS0;", "FA07100000;"});
  ASSERT_GE(setUp, 0);
  EXPECT_EQ(std::count(log.begin() + setUp, log.end(), "PR0;"), 0);
  // Its eight-digit answers are logged as they came and widened to nine to be drawn.
  EXPECT_TRUE(waitUntil([&] {
    auto debug = station_->debugLines();
    return std::find(debug.begin(), debug.end(), "RX=FA07100000;") != debug.end();
  }));
  ASSERT_TRUE(station_->frontPanel("FA14074000;"));
  EXPECT_TRUE(waitUntil([&] { return printed("PRINT 285 150  14.074000"); }));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(PanelOnRadio, SixDigitMenuRadio) {
  StationOptions options;
  options.model = "0681";
  ASSERT_NO_FATAL_FAILURE(start(options));
  auto log = station_->radioLog();
  // Both shifts land in the radio's six-digit menus, 010315 and 010316.
  EXPECT_GE(findRun(log, {"ID;", "FA;", "EX0103150100;", "EX0103160500;", "VS0;", "FA007100000;"}),
            0);
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
