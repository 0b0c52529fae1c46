// The radio ends where the panel says it is, with phrases that take as long
// as speech and keys typed ahead of them, against the emulated radio.
#include <thread>

#include "acceptance.h"

namespace e2e {
namespace {

class Commanded : public Acceptance {
 protected:
  void SetUp() override {
    StationOptions options;
    options.phraseMs = 250;
    ASSERT_NO_FATAL_FAILURE(start(std::move(options)));
  }

  // Waits for the panel to draw the frequency, then a while longer: an
  // answer or key still in flight must not move the radio afterwards.
  void expectSettledAt(const std::string& drawnText, const std::string& radioPart) {
    EXPECT_TRUE(waitUntil([&] { return drawn(drawnText); })) << "not drawn: " << drawnText;
    std::this_thread::sleep_for(Millis(1500));
    EXPECT_TRUE(drawn(drawnText));
    EXPECT_TRUE(radioShows(radioPart)) << station_->radioState();
  }

  // Once `first` went out, `unwanted` never followed it.
  void expectNoneAfter(const Mark& m, const std::string& first, const std::string& unwanted) {
    const Lines after = sent(m);
    auto at = std::find(after.begin(), after.end(), first);
    EXPECT_NE(at, after.end()) << printable(after);
    EXPECT_EQ(std::find(at, after.end(), unwanted), after.end()) << printable(after);
  }
};

TEST_F(Commanded, BandKeyThenF3DuringTheAnnouncement) {
  Mark m = mark();
  ASSERT_TRUE(station_->press(std::string("b6") + std::string(kF3)));
  expectSentInOrder(m, {"FA014200000;", "NB01;"});
  expectSettledAt(" 14.200000", "FA014200000 ");
  expectNoneAfter(m, "FA014200000;", "FA007100000;");
  EXPECT_EQ(station_->quit(), 0);
}

// While a new band is announced, its mode and its frequency are both on the
// screen: neither waits for the announcement to end.
TEST_F(Commanded, ANewBandShowsItsModeAndFrequencyWhileAnnounced) {
  Mark m = mark();
  ASSERT_TRUE(station_->press("b6"));
  ASSERT_TRUE(waitUntil([&] { return findRun(said(m), {"20", "metres"}) >= 0; }));
  const int named = traceIndex(m, "SAY wave/20.wav");
  const int last = traceIndex(m, "SAY wave/metres.wav", true);
  ASSERT_GT(last, named);
  EXPECT_EQ(drawnBefore("PRINT 50 45 ", last).substr(0, 3), "USB");
  EXPECT_EQ(drawnBefore("PRINT 285 150 ", last).substr(0, 10), " 14.200000");
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Commanded, TypedFrequencyThenAnotherKey) {
  Mark m = mark();
  ASSERT_TRUE(station_->press(std::string("e14.225") + std::string(kEnter) + "j"));
  expectSent(m, {"FA014225000;"});
  expectSettledAt(" 14.225000", "FA014225000 ");
  expectNoneAfter(m, "FA014225000;", "FA007100000;");
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Commanded, TenUpPressesMoveTenSteps) {
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(station_->press(kUp));
    std::this_thread::sleep_for(Millis(90));
  }
  expectSettledAt("  7.110000", "FA007110000 ");
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Commanded, TuneCarrierOnTheBandJustChosen) {
  Mark m = mark();
  ASSERT_TRUE(station_->press("btt"));  // the tuner is off in this station
  expectSent(m, {"PC005;", "MD05;", "FA145000000;", "TX1;"});
  EXPECT_TRUE(radioShows("FA145000000 "));
  EXPECT_TRUE(radioShows(" TX1"));
  expectNoneAfter(m, "FA145000000;", "FA007100000;");
  ASSERT_NO_FATAL_FAILURE(press({"t"}));
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_EQ(station_->quit(), 0);
}

// A radio that answers half a second late: every key still counts once and
// nothing the panel reads sends the radio back, because each poll waits for
// its own answer and answers to queries older than a command are stale.
class SlowRadio : public Commanded {
 protected:
  void SetUp() override {
    StationOptions options;
    options.phraseMs = 250;
    options.emulatorArgs = {"--delay", "500"};
    ASSERT_NO_FATAL_FAILURE(start(std::move(options)));
  }
};

TEST_F(SlowRadio, SixUpsMoveSixStepsAndABandStaysChosen) {
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(station_->press(kUp));
    std::this_thread::sleep_for(Millis(300));
  }
  expectSettledAt("  7.106000", "FA007106000 ");
  Mark m = mark();
  ASSERT_TRUE(station_->press("b6j"));
  expectSettledAt(" 14.200000", "FA014200000 ");
  expectNoneAfter(m, "FA014200000;", "FA007106000;");
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
