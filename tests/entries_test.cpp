// The multi-key entries: frequency, tone, menu, key speed, mic gain, band
// letters, channel stepping and the prefix X.
#include <gtest/gtest.h>

#include <algorithm>

#include "speech/player.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::absent;
using testing::inOrder;
using testing::KeyScenario;
using testing::Rows;

constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;
constexpr int32_t kF11 = 122;

// ---- Frequency entry ------------------------------------------------------------

TEST(FrequencyEntry, TypedFrequencies) {
  const struct {
    const char* keys;
    const char* sent;
    int32_t band;
  } cases[] = {
      {"e14.225\n", "FA014225000;", 6}, {"e7\n", "FA007000000;", 4},
      {"e145.5\n", "FA145500000;", 12}, {"e07.1\n", "FA007100000;", 4},
      {"e9.99\n", "FA009990000;", 14},  {"e28.\n", "FA028000000;", 10},
      {"e435.1\n", "FA435100000;", 13},
  };
  for (const auto& c : cases) {
    KeyScenario sc;
    sc.type(c.keys);
    EXPECT_TRUE(inOrder(sc.commands(), {"FA014200000;", c.sent})) << c.keys;
    EXPECT_EQ(sc.state().bandIndex, c.band) << c.keys;
    EXPECT_EQ(sc.state().freqEntryActive, 0);
    const Rows heard = sc.takePhrases();
    EXPECT_EQ(heard.front(), "EF");
    EXPECT_EQ(heard.back(), "ok") << c.keys;
  }
}

TEST(FrequencyEntry, RefusedEntriesChangeNothing) {
  for (const char* keys : {"e\n", "e1234\n", "e0\n", "e00\n", "e1234567890\n"}) {
    KeyScenario sc;
    sc.type(keys);
    const Rows heard = sc.takePhrases();
    EXPECT_EQ(heard.back(), "invalid") << keys;
    EXPECT_EQ(sc.commands(), Rows{"FA014200000;"}) << keys << ": only the E key's re-send";
    EXPECT_EQ(sc.state().bandIndex, 6);
    EXPECT_EQ(sc.state().modeIndex, 2);
  }
}

TEST(FrequencyEntry, PointRules) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.type("e440.");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  EXPECT_EQ(s.freqEntryActive, 1) << "the entry stays open";
  sc.type("e.");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  // One point only: a second one would take the decimals for megahertz.
  sc.type("e14.2.");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  EXPECT_EQ(s.bandIndex, 6);
  sc.type("5\n");
  EXPECT_TRUE(inOrder(sc.commands(), {"FA014250000;"}));
  // Outside an entry the point key does not act on the last entry's value.
  sc.takePhrases();
  sc.type(".");
  EXPECT_EQ(sc.takePhrases(), Rows{"invalid"});
  EXPECT_EQ(s.bandIndex, 6);
  sc.type("\n");
  EXPECT_EQ(sc.commands(), Rows{}) << "Enter without an entry does nothing";
}

TEST(FrequencyEntry, LowFrequencyInFmBecomesAm) {
  for (const char* keys : {"e24\n", "e24.9\n"}) {
    KeyScenario sc;
    PanelState& s = sc.state();
    s.bandTable[9] = "05A024890000B0248900009990";
    sc.type(keys);
    // 249 typed digits are not below 25, so 24.9 MHz stays in FM.
    EXPECT_EQ(s.modeIndex, std::string(keys) == "e24\n" ? 4 : 5) << keys;
  }
}

TEST(FrequencyEntry, TooManyDigitsAfterThePoint) {
  KeyScenario sc;
  sc.type("e1.2345678901\n");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  EXPECT_EQ(sc.commands(), Rows{"FA014200000;"});
  EXPECT_EQ(sc.state().freqEntryActive, 0);
}

TEST(FrequencyEntry, SplitFollowsTheTypedBandsRecord) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandTable[4] = "11A007100000B0071500009990";
  s.bandTable[12] =
      "55A145000000B-00000600999"
      "0";
  sc.type("e7.1\n");
  EXPECT_EQ(s.vfoB, 1);
  // Receive on the typed frequency, transmit where the record says.
  const Rows split = sc.commands();
  EXPECT_TRUE(inOrder(split, {"FT3;", "FA007100000;", "FB007150000;"}));
  EXPECT_TRUE(absent(split, "FB007100000;"));
  sc.type("e145.6\n");
  EXPECT_EQ(s.vfoB, 0) << "a repeater record is no split";
  EXPECT_TRUE(inOrder(sc.commands(), {"FT2;", "FA145600000;"}));
  sc.type("e145.7\n");
  EXPECT_TRUE(absent(sc.commands(), "FT2;"));
}

TEST(FrequencyEntry, TypedMegahertzOutsideTheBandsEndsSplitAndTone) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.vfoB = 1;
  s.toneEntry = 1;
  s.toneCode = "012";
  sc.type("e27.");
  EXPECT_EQ(s.vfoB, 0);
  EXPECT_EQ(s.bandIndex, 14);
  const Rows sent = sc.commands();
  EXPECT_TRUE(inOrder(sent, {"CT00;", "FT2;"}));
  EXPECT_EQ(s.toneCode, "999");
}

TEST(FrequencyEntry, KeypadDigitsAndPoint) {
  KeyScenario sc;
  for (int32_t key : {69, 97, 100, 110, 98, 13}) sc.press(key);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA014200000;"}));
}

// ---- Tone entry -------------------------------------------------------------------

struct ToneCase {
  const char* keys;
  int32_t dcsAllowed;
  Rows commands;
  Rows tail;  // the last phrases heard
  const char* code;
};

TEST(ToneEntry, TypedCodes) {
  const ToneCase cases[] = {
      {"i12\n", 0, {"CN00012;", "CT01;"}, {"ctcss", "on"}, "012"},
      {"i8\n", 0, {"CN00008;", "CT01;"}, {"ctcss", "on"}, "008"},
      {"i49\n", 0, {"CN00049;", "CT01;"}, {"ctcss", "on"}, "049"},
      {"i523\n", 1, {"EX0860;", "CN01023;", "CT03;"}, {"dcs", "on"}, "523"},
      {"i603\n", 1, {"EX0860;", "CN01103;", "CT03;"}, {"dcs", "on"}, "603"},
      {"i600\n", 1, {"EX0860;", "CN01100;", "CT03;"}, {"dcs", "on"}, "600"},
      {"i523\n", 0, {}, {"invalid"}, "999"},
      {"i604\n", 1, {}, {"invalid"}, "999"},
      {"i50\n", 1, {}, {"invalid"}, "999"},
      {"i\n", 1, {}, {"invalid"}, "999"},
      {"i0125\n", 1, {}, {"invalid"}, "999"},
  };
  for (const ToneCase& c : cases) {
    KeyScenario sc;
    PanelState& s = sc.state();
    sc.tuneTo(145000000, 12, 5);
    s.dcsAllowed = c.dcsAllowed;
    sc.type(c.keys);
    EXPECT_EQ(sc.commands(), c.commands) << c.keys;
    const Rows heard = sc.takePhrases();
    const Rows tail(heard.end() - static_cast<long>(c.tail.size()), heard.end());
    EXPECT_EQ(tail, c.tail) << c.keys;
    EXPECT_EQ(s.toneCode, c.code) << c.keys;
    EXPECT_EQ(s.toneEntry, c.tail.front() == "invalid" ? 0 : 1) << c.keys;
  }
}

TEST(ToneEntry, PromptDigitsAndSwitchingOff) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(145000000, 12, 5);
  sc.type("i12\n");
  EXPECT_EQ(sc.takePhrases(), (Rows{"ec", "1", "2", "ctcss", "on"}));
  // A set tone takes no more digits.
  sc.type("5");
  EXPECT_EQ(s.toneCode, "012");
  EXPECT_EQ(sc.commands(), (Rows{"CN00012;", "CT01;"}));
  sc.type("i");
  EXPECT_EQ(sc.commands(), Rows{"CT00;"});
  EXPECT_EQ(sc.takePhrases(), (Rows{"ctcss", "off"})) << "the 5 was not taken or spoken";
  EXPECT_EQ(s.toneCode, "999");
  EXPECT_EQ(s.toneEntry, 0);

  s.dcsAllowed = 1;
  sc.type("i523\n");
  sc.takePhrases();
  sc.type("i");
  EXPECT_EQ(sc.takePhrases(), (Rows{"dcs", "off"}));
  // I outside FM is not a tone key.
  s.modeIndex = 2;
  sc.type("i");
  EXPECT_EQ(s.toneEntry, 0);
  EXPECT_EQ(sc.commands(), (Rows{"EX0860;", "CN01023;", "CT03;", "CT00;", "FA145000000;"}));
}

// ---- Menu entry -------------------------------------------------------------------

// The menu's value is read from the menu's own answer: a poll's answer
// waiting or arriving meanwhile is not taken for it.
TEST(MenuEntry, ReadsAMenuAloudFromItsOwnAnswer) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.radioId = 670;
  sc.settleKeys = false;  // the answer comes later, as the test says
  sc.feedRadio("SM0120;");
  sc.type("n080\n");
  sc.type("\n");
  EXPECT_EQ(sc.commands(), Rows{"EX080;"});
  EXPECT_EQ(sc.takePhrases(), (Rows{"mn", "0", "8", "0", "mp"}));
  sc.feedRadio("FA014250000;EX0801.5;");
  sc.tick();
  EXPECT_EQ(sc.takePhrases(), (Rows{"1"}));
  EXPECT_EQ(s.pendingMode, 0);
}

TEST(MenuEntry, WriteWrongLengthAndNoAnswer) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.type("n08\n");
  EXPECT_EQ(sc.takePhrases(), (Rows{"mn", "0", "8", "invalid"}));
  EXPECT_EQ(s.pendingMode, 0);
  sc.type("n080\n1\n");
  EXPECT_EQ(sc.commands(), Rows{"EX0801;"});
  EXPECT_EQ(sc.takePhrases(), (Rows{"mn", "0", "8", "0", "mp", "1", "ok"}));
  s.radioId = 650;
  sc.type("n080\n");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  sc.type("n0801\n\n");
  EXPECT_EQ(sc.commands(), Rows{"EX0801;"});
  // Only the frequency poll's answer came back: nothing of it is read out.
  sc.feedRadio("FA014200000;");
  s.radioId = 800;
  sc.type("n031234\n\n");
  EXPECT_EQ(sc.takePhrases().back(), "mp");
}

TEST(MenuEntry, SixDigitMenusAndALeadingAnswer) {
  KeyScenario sc;
  sc.state().radioId = 761;
  sc.serial.setResponder([](int, const std::string& w) -> std::string {
    return w == "EX010203;" ? "FA014200000;EX01020312;" : "";
  });
  sc.type("n010203\n\n");
  const Rows heard = sc.takePhrases();
  EXPECT_EQ(Rows(heard.end() - 2, heard.end()), (Rows{"1", "2"}));
}

// ---- Key speed and mic gain --------------------------------------------------------

TEST(KeySpeedEntry, CwWhileActiveAndBackAfter) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.breakInOn = 1;
  sc.serial.setResponder([](int, const std::string& w) { return w == "KS;" ? "KS025;" : ""; });
  sc.press('K');
  EXPECT_EQ(s.modeIndex, 3);
  EXPECT_EQ(s.savedMode, 2);
  EXPECT_EQ(s.keySpeed, 25);
  EXPECT_TRUE(inOrder(sc.commands(), {"KS;", "BI0;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"ks", "on"}));
  sc.press(kUp);
  EXPECT_EQ(sc.commands(), Rows{"KS026;"});
  sc.press('K');
  EXPECT_EQ(s.modeIndex, 2);
  EXPECT_EQ(s.pendingMode, 0);
  EXPECT_TRUE(inOrder(sc.commands(), {"BI1;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"ks", "off"}));

  // Any other key ends the entry and then acts.
  sc.press('K');
  sc.commands();
  sc.press('J');
  EXPECT_EQ(s.modeIndex, 2);
  EXPECT_TRUE(inOrder(sc.commands(), {"BI1;", "FA014200000;"}));
}

TEST(KeySpeedEntry, AReplyOutsideTheKeyerRangeKeepsTheSpeedHeld) {
  KeyScenario sc;
  PanelState& s = sc.state();
  std::string answer = "KS470;";
  sc.serial.setResponder([&](int, const std::string& w) { return w == "KS;" ? answer : ""; });
  sc.press('K');
  EXPECT_EQ(s.keySpeed, 15);
  const Rows heard = sc.takePhrases();
  EXPECT_EQ(Rows(heard.end() - 3, heard.end()), (Rows{"1", "5", "wpm"}));
  sc.commands();
  sc.press(kDown);
  EXPECT_EQ(sc.commands(), Rows{"KS014;"});

  // The ends of the range are taken.
  sc.press('K');
  answer = "KS060;";
  sc.press('K');
  EXPECT_EQ(s.keySpeed, 60);
  sc.press('K');
  answer = "KS004;";
  sc.press('K');
  EXPECT_EQ(s.keySpeed, 4);
}

TEST(MicGainEntry, ReadsTheGainAndKeepsItWithoutAnAnswer) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.serial.setResponder([](int, const std::string& w) { return w == "MG;" ? "MG050;" : ""; });
  sc.press(kF11);
  EXPECT_EQ(sc.commands(), Rows{"MG;"});
  EXPECT_EQ(s.micGain, 50);
  EXPECT_EQ(s.pendingMode, 12);
  EXPECT_EQ(s.alcAnnounce, 1);
  EXPECT_EQ(s.alcPeak, 0);
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"micgain", "lev"}));
  sc.press(kUp);
  EXPECT_EQ(sc.commands(), Rows{"MG051;"});

  sc.press(kF11);  // ends the readout
  sc.serial.setResponder(nullptr);
  sc.feedRadio("SM0120;");
  sc.press(kF11);
  EXPECT_EQ(s.micGain, 51) << "no MG in the answer keeps the gain";
}

// ---- Band letters, channel stepping, prefix X, F ------------------------------------

// ---- What each model can be tuned to -----------------------------------------

TEST(ModelRanges, ABandOrFrequencyTheRadioLacksSendsNothing) {
  // An FTDX-5000: eight digits, HF and 6 m only; all bands configured.
  KeyScenario sc;
  PanelState& s = sc.state();
  s.radioId = 362;
  const auto records = s.bandTable;
  sc.type("b");
  sc.takePhrases();
  for (const char* keys : {"t", "s"}) {
    sc.type(keys);
    EXPECT_EQ(sc.takePhrases(), (Rows{"band", "na"})) << keys;
    EXPECT_EQ(sc.commands(), Rows{}) << keys;
    EXPECT_EQ(s.bandIndex, 6);
    sc.type("b");
    sc.takePhrases();
  }
  // Stepping up from 6 m goes past 2 m and 70 cm to 160 m.
  sc.type("x");
  sc.takePhrases();
  sc.commands();
  sc.type("b");
  sc.press(kUp);
  EXPECT_EQ(s.bandIndex, 1);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA01900000;"}));
  // Typed frequencies outside its range: "invalid", nothing but the E key's re-send.
  sc.tuneTo(14200000, 6, 2);
  for (const char* keys : {"e145\n", "e145.5\n", "e61\n", "e440\n"}) {
    sc.type(keys);
    EXPECT_EQ(sc.takePhrases().back(), "invalid") << keys;
    EXPECT_EQ(sc.commands(), Rows{"FA14200000;"}) << keys;
    EXPECT_EQ(s.bandIndex, 6) << keys;
    EXPECT_EQ(s.modeIndex, 2) << keys;
  }
  EXPECT_EQ(s.bandTable[12], records[12]);
  EXPECT_EQ(s.bandTable[14], records[14]);
  // Its top end still goes out.
  sc.type("e59.9\n");
  EXPECT_EQ(sc.takePhrases().back(), "ok");
  EXPECT_TRUE(inOrder(sc.commands(), {"FA59900000;"}));
}

TEST(ModelRanges, TheAllBandRadioRefusesItsGapsAndAChannelItCannotTake) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.radioId = 670;
  const BasicString coverage = s.bandTable[14];
  sc.type("e60\n");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  EXPECT_EQ(sc.commands(), Rows{"FA014200000;"});
  EXPECT_EQ(s.bandTable[14], coverage);
  sc.type("e145.5\n");
  EXPECT_EQ(sc.takePhrases().back(), "ok");
  // A channel stored at 2 m cannot be recalled on an HF radio.
  s.memoryChannels[12] = "0512A145500000B1455000009990";
  s.radioId = 241;
  sc.commands();
  sc.type("gb12");
  EXPECT_EQ(sc.takePhrases().back(), "invalid");
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(BandLetters, ByCoverage) {
  const struct {
    const char* coverage;
    char letter;
    int32_t band;
    bool fitted;
  } cases[] = {{"1", 'X', 6, false}, {"6", 'X', 11, true}, {"6", 'T', 6, false},
               {"2", 'T', 12, true}, {"2", 'S', 6, false}, {"7", 'S', 13, true},
               {"1", 'U', 14, true}};
  for (const auto& c : cases) {
    KeyScenario sc;
    sc.state().bandCoverage = c.coverage;
    sc.press('B');
    EXPECT_EQ(sc.state().pendingMode, 1);
    sc.takePhrases();
    sc.press(c.letter);
    EXPECT_EQ(sc.state().bandIndex, c.band) << c.coverage << c.letter;
    EXPECT_EQ(sc.state().pendingMode, 0);
    const Rows heard = sc.takePhrases();
    if (!c.fitted) {
      EXPECT_EQ(heard, (Rows{"band", "na"}));
    }
  }
}

TEST(NextChannel, StepsThroughTheBankUntilAnotherCommand) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.memoryChannels[32] = "0206A014200000B0142000009990";
  s.memoryChannels[36] = "0206A014236000B0142360009990";
  s.memoryChannels[38] = "0206A014238000B0142380009990";
  s.memoryChannels[39] = "0200A014239000B0142390009990";  // band 00: not usable
  sc.type("gb32");
  EXPECT_EQ(s.channelBank, 3);
  sc.commands();
  sc.type("u");
  EXPECT_EQ(s.channelSlot, 6);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA014236000;"}));
  sc.type("su");
  EXPECT_EQ(s.channelSlot, 8);
  sc.type("u");
  EXPECT_EQ(s.channelSlot, 2) << "wraps past 9 and the damaged slot";
  sc.type("p");
  sc.commands();
  sc.takePhrases();
  sc.type("u");
  EXPECT_EQ(sc.commands(), Rows{});
  EXPECT_EQ(sc.takePhrases(), Rows{});
}

TEST(NextChannel, AnEmptyBankEndsTheSearch) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.channelBank = 4;
  s.channelSlot = 3;
  sc.type("u");
  EXPECT_EQ(sc.commands(), Rows{});
  EXPECT_EQ(s.channelSlot, 3);
}

TEST(PrefixX, AnyOtherKeyEndsIt) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.type("xj");
  EXPECT_EQ(s.pendingMode, 0);
  // The mode is drawn (and so sent) again and spoken; the key goes no further.
  EXPECT_EQ(sc.takePhrases(), (Rows{"extcm", "on", "usb"}));
  const Rows sent = sc.commands();
  EXPECT_LE(std::count(sent.begin(), sent.end(), "FA014200000;"), 1);
  // Keys tested earlier act as usual and leave the prefix pending.
  sc.type("x5");
  EXPECT_EQ(s.pendingMode, 14);
}

TEST(FrequencyReadout, AnswersEveryPressWhateverTheTick) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.frequencyDisplay = " 14.200000";
  for (int32_t tick = 0; tick <= 20; ++tick) {
    s.tickCount = tick;
    s.pendingMode = 3;
    sc.press('F');
    EXPECT_EQ(s.pendingMode, 0) << tick;
    EXPECT_EQ(sc.takePhrases(), (Rows{"1", "4", "point", "2", "mhz", "usb"})) << tick;
  }
  s.toneEntry = 1;
  s.toneCode = "012";
  sc.press('F');
  const Rows heard = sc.takePhrases();
  EXPECT_EQ(Rows(heard.end() - 4, heard.end()), (Rows{"ctcss", "0", "1", "2"}));
}

// Quick presses never leave the speech behind the keys: a reading still
// waiting entirely gives way to the newer one of its kind, which takes its
// place; one begun is heard to its end.
TEST(FrequencyReadout, QuickPressesLeaveOnlyTheNewestReadingWaiting) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.frequencyDisplay = " 14.200000";
  s.sMeterAnswered = 1;
  s.sMeterReading = 100;
  sc.sound.holding = true;
  sc.type("fs");
  s.frequencyDisplay = " 14.250000";
  sc.type("f");
  s.sMeterReading = 130;
  sc.type("s");
  for (int i = 0; i < 40; ++i) {
    sc.sound.finish();
    serviceSpeech(sc.panel);
  }
  EXPECT_EQ(sc.takePhrases(), (Rows{"1", "4", "point", "2", "mhz", "usb", "s", "9", "1", "4",
                                    "point", "2", "5", "mhz", "usb"}));
}

TEST(FrequencyReadout, TransmitFrequencyAndVfoA) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(145600000, 12, 5);
  s.frequencyDisplay = "145.600000";
  s.repeaterMode = 1;
  s.shift2m = "600";
  s.shift2mMinus = 1;
  sc.type("xf");
  EXPECT_EQ(sc.takePhrases(),
            (Rows{"extcm", "on", "repeater", "tx", "1", "4", "5", "mhz", "fm", "nar"}));
  EXPECT_EQ(s.frequencyDisplay, "145.600000");
  EXPECT_EQ(s.speakingTxFrequency, 0);
  EXPECT_EQ(s.pendingMode, 0);

  sc.tuneTo(29600000, 10, 7);
  s.frequencyDisplay = " 29.600000";
  s.shift10m = "100";
  sc.type("xf");
  EXPECT_EQ(sc.takePhrases(),
            (Rows{"extcm", "on", "repeater", "tx", "2", "9", "point", "7", "mhz", "fm"}));

  // Split: X F speaks VFO A from the band record.
  sc.tuneTo(145600000, 12, 5);
  s.repeaterMode = 0;
  s.vfoB = 1;
  sc.type("xf");
  EXPECT_EQ(sc.takePhrases(), (Rows{"extcm", "on", "vfoa", "1", "4", "5", "mhz", "fm", "nar"}));
  EXPECT_EQ(s.frequencyDisplay, " 29.600000");

  // Plain F: the frequency as shown, the mode.
  s.vfoB = 0;
  s.frequencyDisplay = " 14.250000";
  s.modeIndex = 2;
  sc.type("f");
  EXPECT_EQ(sc.takePhrases(), (Rows{"1", "4", "point", "2", "5", "mhz", "usb"}));
}

}  // namespace
}  // namespace keldar
