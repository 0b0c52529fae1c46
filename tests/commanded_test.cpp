// What the panel says is what the radio does: commanded frequencies, stale
// answers from a radio whose poll answers arrive one tick late, keys typed
// ahead of the tick, and the repeater, tone, mic-gain and band-step mends.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/record_checks.h"
#include "display/display.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::absent;
using testing::inOrder;
using testing::KeyScenario;
using testing::Rows;

// A radio that keeps its two VFOs and mode, answers "FA;"/"FB;" with the
// frequency of the moment it was asked, and whose answers are read a tick late.
struct LateRadio {
  std::string a = "007100000", b = "007100000", mode = "1";
};

void attachLateRadio(KeyScenario& sc, std::shared_ptr<LateRadio> radio) {
  sc.serial.setAnswerLag(1);
  sc.serial.setResponder([radio](int, const std::string& w) -> std::string {
    if (w == "FA;") return "FA" + radio->a + ";";
    if (w == "FB;") return "FB" + radio->b + ";";
    if (w == "SM0;") return "SM0000;";
    if (w.size() == 12 && w.starts_with("FA")) radio->a = w.substr(2, 9);
    if (w.size() == 12 && w.starts_with("FB")) radio->b = w.substr(2, 9);
    if (w.size() == 5 && w.starts_with("MD0")) radio->mode = w.substr(3, 1);
    return "";
  });
}

// The panel on 40 m LSB, polled by a late radio, a poll answer in flight.
class Commanded : public ::testing::Test {
 protected:
  Commanded() : radio(std::make_shared<LateRadio>()) {
    sc.tuneTo(7100000, 4, 1);
    attachLateRadio(sc, radio);
    sc.tick(8);
    sc.takeRadio();
    sc.takePhrases();
  }
  PanelState& s() { return sc.state(); }
  KeyScenario sc;
  std::shared_ptr<LateRadio> radio;
};

TEST_F(Commanded, KeysTypedAheadNeverSendTheRadioBack) {
  // B 6, and F3 queued behind it before any tick.
  sc.press('B');
  sc.press('6');
  sc.press(114);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA014200000;", "NB01;", "FA014200000;"}));
  EXPECT_EQ(s().frequencyDisplay, " 14.200000");
  sc.tick(12);  // the 7.1 MHz answers in flight arrive and are stale
  EXPECT_TRUE(absent(sc.commands(), "FA007100000;"));
  EXPECT_EQ(radio->a, "014200000");

  // E 1 4 . 2 2 5 Enter, then J before the tick.
  sc.type("e14.225\nj");
  EXPECT_EQ(sc.commands().back(), "FA014225000;");
  sc.tick(12);
  EXPECT_EQ(radio->a, "014225000");
  EXPECT_EQ(s().frequencyReply, "FA014225000");
}

TEST_F(Commanded, RepeatedStepsAccumulateExactlyWhileAnswersAreLate) {
  for (int i = 0; i < 10; ++i) {
    sc.press(38);
    sc.tick(2);  // about 90 ms between presses: an answer is always in flight
  }
  sc.tick(8);
  EXPECT_EQ(radio->a, "007110000");
}

TEST_F(Commanded, StaleAnswersChangeNothing) {
  sc.tick();  // an FA query written: its 7.1 MHz answer is on its way
  sc.press('J');
  s().frequency = 7100000;  // what the panel knew before the key...
  s().quitCountdown = 1;
  s().announceOnReply = 1;
  const BasicString reply = s().frequencyReply;
  const BasicString band40 = s().bandTable[4];
  s().frequencyReply = "FA007150000";  // ...differs from the answer coming
  sc.tick(3);
  EXPECT_EQ(s().frequencyReply, "FA007150000");
  EXPECT_EQ(s().bandTable[4], band40);
  EXPECT_EQ(s().quitCountdown, 1);
  EXPECT_EQ(s().announceOnReply, 1);
  EXPECT_TRUE(sc.takePhrases().empty());
  sc.tick(8);  // answers to queries after the key are taken again
  EXPECT_EQ(s().frequencyReply, reply);
  EXPECT_EQ(s().announceOnReply, 0);
}

TEST_F(Commanded, RoundTripsKeepEachBandsMode) {
  for (int trip = 0; trip < 4; ++trip) {
    sc.type("bs");
    sc.tick(3);
    EXPECT_EQ(s().modeIndex, 5) << trip;
    sc.type("b4");
    sc.tick(3);
    EXPECT_EQ(s().modeIndex, 1) << trip;
  }
  EXPECT_EQ(s().bandTable[4].str().substr(0, 2), "01");
}

TEST_F(Commanded, RecallAnnouncesTheRecalledChannel) {
  s().memoryChannels[12] = "0206A014250000B0142500009990";
  sc.tick();  // a 7.1 MHz answer on its way
  sc.type("gb12");
  sc.takePhrases();
  sc.tick(10);
  const Rows heard = sc.takePhrases();
  EXPECT_TRUE(inOrder(heard, {"1", "4", "point", "2", "5", "mhz", "usb", "preamp"}))
      << ::testing::PrintToString(heard);
  EXPECT_TRUE(absent(heard, "7"));
}

TEST_F(Commanded, TuneKeysOnTheBandThePanelIsOn) {
  s().tunerSetting = 1;
  sc.type("bt");
  sc.commands();
  sc.press('T');
  EXPECT_EQ(sc.commands(), (Rows{"PC005;", "MD05;", "FA145000000;", "TX1;"}));
  sc.press('T');
  // The tuner is checked on the commanded frequency too: 2 m is above 73 MHz.
  s().tunerSetting = 0;
  sc.takePhrases();
  sc.press('T');
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"tune", "on", "atu", "na"}));
}

TEST_F(Commanded, TypedFrequencyInASplitBandReceivesOnIt) {
  s().bandTable[6] = "12A014200000B0142500009991";
  sc.type("e14.1\n");
  sc.tick(8);
  EXPECT_EQ(radio->a + radio->b, "014100000014250000");
  EXPECT_EQ(s().bandTable[6].str().substr(2, 20), "A014100000B014250000");
}

// ---- Mends ------------------------------------------------------------------

TEST(CommandedMends, MicGainEntryEndsAtTheNextOtherKey) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.serial.setResponder([](int, const std::string& w) { return w == "MG;" ? "MG050;" : ""; });
  sc.press(122);
  sc.press(38);
  sc.press(37);  // Left: the readout ends and the key tunes
  EXPECT_EQ(sc.takePhrases().back(), "off");
  sc.press(38);
  EXPECT_EQ(sc.commands(), (Rows{"MG;", "MG051;", "FA014199900;", "FA014200900;"}));
  EXPECT_EQ(s.micGain, 51) << "Up no longer changes the gain";
}

TEST(CommandedMends, DcsIsSwitchedOnAlsoForARecalledRepeaterChannel) {
  KeyScenario sc;
  sc.state().shift2mMinus = 1;
  sc.state().memoryChannels[3] = "5512A145600000B-000006005230";
  sc.type("gb03");
  EXPECT_TRUE(inOrder(sc.commands(), {"OS02;", "EX0860;", "CN01023;", "CT03;"}));
}

TEST(CommandedMends, ToneZeroIsShown) {
  KeyScenario sc;
  sc.tuneTo(145000000, 12, 5);
  sc.type("i0\n");
  EXPECT_EQ(sc.state().toneCode, "000");
  EXPECT_EQ(toneFieldText(sc.state()).substr(0, 9), "ctcss=000");
  sc.state().toneEntry = 0;  // a band record's unapplied "000" is no tone
  EXPECT_EQ(toneFieldText(sc.state()).find_first_not_of(' '), std::string::npos);
}

TEST(CommandedMends, BandUpFromSeventyCentimetresAnnouncesTheBandTuned) {
  KeyScenario sc;
  sc.type("bsb");
  sc.takePhrases();
  sc.press(38);
  const Rows heard = sc.takePhrases();
  EXPECT_TRUE(absent(heard, "un"));
  EXPECT_TRUE(inOrder(heard, {"160", "metres"}));
  EXPECT_EQ(sc.state().bandIndex, 1);
}

}  // namespace
}  // namespace keldar
