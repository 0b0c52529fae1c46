// The dispatcher: key guard, preamble, the single-key commands, tune, the
// mode cycle and the final step's frequency and squelch keys.
#include <gtest/gtest.h>

#include "app/keys.h"
#include "base/files.h"
#include "core/record_checks.h"
#include "memory/records.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::absent;
using testing::inOrder;
using testing::KeyScenario;
using testing::Rows;

constexpr int32_t kShift = 16, kSpace = 32, kPageUp = 33, kPageDown = 34, kLeft = 37, kRight = 39,
                  kF11 = 122, kPlus = 187, kMinus = 189;

TEST(Keys, AHeldKeyActsOnceAndOtherKeysStillAct) {
  KeyScenario sc;
  sc.keyDown('J');
  sc.keyDown('J');
  sc.keyDown('J');
  EXPECT_EQ(sc.commands(), Rows{"FA014200000;"});
  // A second key pressed before the first is released is not lost.
  sc.keyDown('Z');
  EXPECT_EQ(sc.commands(), Rows{"FA014201000;"});
  sc.keyUp('J');
  sc.keyDown('J');
  EXPECT_EQ(sc.commands(), Rows{"FA014201000;"});
  sc.keyUp('J');
  sc.keyUp('Z');
  EXPECT_EQ(sc.state().keyDown, 0);
  // Shift held for "=" does not swallow it.
  sc.keyDown(kShift);
  sc.keyDown(kShift);
  sc.keyDown(kPlus);
  EXPECT_EQ(sc.commands(), Rows{"FA015201000;"});
}

TEST(Keys, BeforeTheRadioAnswersOnlyQActs) {
  testing::Scenario sc;
  sc.state().running = 1;
  sc.state().comPort = 1;
  sc.serial.openPort(1, 38400);
  for (char key : std::string("JFE1")) sc.press(key);
  sc.press(kSpace);
  // Shift, Ctrl, Alt, Caps Lock and the Windows keys alone are no keys: a
  // capital letter is one "nc", not two.
  for (int32_t modifier : {16, 17, 18, 20, 91, 92, 160, 165}) sc.press(modifier);
  EXPECT_EQ(sc.takePhrases(), (Rows{"nc", "nc", "nc", "nc", "nc"}));
  EXPECT_EQ(sc.takeRadio(), "");
  EXPECT_EQ(sc.state().running, 1);
  sc.press('Q');
  EXPECT_EQ(sc.takePhrases(), Rows{"quit"});
  EXPECT_EQ(sc.state().running, 0);
}

TEST(Keys, QuitOnAConnectedRadioWaitsAndASecondQEndsAtOnce) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.press('Q');
  EXPECT_EQ(sc.takePhrases(), Rows{"quit"});
  EXPECT_EQ(sc.commands(), Rows{"TX0;"});
  EXPECT_EQ(s.quitCountdown, 1);
  EXPECT_EQ(s.running, 1);
  // The radio may never answer again: Q once more ends the program.
  sc.press('Q');
  EXPECT_EQ(s.running, 0);
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(Keys, QuitEndsAfterTwoMoreFrequencyReplies) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.serial.setResponder([](int, const std::string& w) -> std::string {
    if (w == "FA;") return "FA014200000;";
    return w == "SM0;" ? "SM0000;" : "";
  });
  sc.press('Q');
  sc.tick(4);  // FA, its answer, SM0, its answer
  EXPECT_EQ(s.running, 1);
  EXPECT_EQ(s.quitCountdown, 2);
  sc.tick(2);
  EXPECT_EQ(s.running, 0);
  EXPECT_TRUE(sc.fileExists("savmem.dat")) << "the banks are saved on the way out";
}

TEST(Keys, QuitAndCloseEndTheKeySpeedEntryFirst) {
  for (bool byClose : {false, true}) {
    KeyScenario sc;
    PanelState& s = sc.state();
    s.pendingMode = 11;
    s.savedMode = 2;
    s.modeIndex = 3;
    s.breakInOn = 1;
    if (byClose) {
      sc.closeRequest();
    } else {
      sc.press('Q');
    }
    EXPECT_EQ(s.modeIndex, 2);
    EXPECT_EQ(s.pendingMode, 0);
    EXPECT_TRUE(inOrder(sc.commands(), byClose ? Rows{"BI1;"} : Rows{"BI1;", "TX0;"}));
  }
}

TEST(Keys, UnassignedKeyResendsTheFrequency) {
  KeyScenario sc;
  sc.press('J');
  EXPECT_EQ(sc.commands(), Rows{"FA014200000;"});
  EXPECT_EQ(sc.takePhrases(), Rows{});
  // Modifier keys do nothing at all.
  sc.press(kShift);
  sc.press(45);
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(Keys, EachAcceptedKeyIsLoggedBeforeFolding) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.debugLog = 1;
  ASSERT_EQ(openFile(s.debugFile, sc.path("debug.dat"), "W"), 0);
  sc.press(97);  // numeric pad 1
  sc.keyDown('J');
  sc.keyDown('J');  // repeat: not logged
  sc.press(13);
  closeFile(s.debugFile);
  const std::string log = sc.readFile("debug.dat");
  EXPECT_EQ(log.find("*a (1)\r\n"), 0u) << log;
  EXPECT_NE(log.find("*J\r\nTX=FA014200000;\r\n*C/R\r\n"), std::string::npos) << log;
}

TEST(Keys, PageStepsByBandAndMode) {
  KeyScenario sc;
  const struct {
    int32_t band, mode, key;
    const char* sent;
  } cases[] = {
      {12, 4, kPageUp, "FA145012500;"}, {12, 4, kPageDown, "FA144990000;"},
      {12, 5, kPageUp, "FA145012500;"}, {12, 5, kPageDown, "FA144987500;"},
      {14, 5, kPageUp, "FA145010000;"}, {14, 5, kPageDown, "FA144990000;"},
      {6, 2, kPageUp, "FA145010000;"},  {12, 7, kPageDown, "FA144990000;"},
  };
  for (const auto& c : cases) {
    sc.tuneTo(145000000, c.band, c.mode);
    sc.press(c.key);
    EXPECT_EQ(sc.commands(), Rows{c.sent}) << c.band << " " << c.mode << " " << c.key;
  }
}

TEST(Keys, FrequencyKeysNeverGoBelowZero) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(500000, 14, 4);
  sc.press(kMinus);
  EXPECT_EQ(sc.commands(), Rows{"FA000000000;"});
  sc.tuneTo(5000, 14, 4);
  sc.press(kPageDown);
  sc.press(kLeft);
  EXPECT_EQ(sc.commands(), (Rows{"FA000000000;", "FA000000000;"}));
  sc.press(kPlus);
  sc.press(kRight);
  EXPECT_EQ(sc.commands(), (Rows{"FA001000000;", "FA001000100;"}));
  s.modeIndex = 3;
  sc.press(kRight);
  EXPECT_EQ(sc.commands(), Rows{"FA001000110;"});
  // "=" with the repeater shift on switches it off.
  sc.tuneTo(145000000, 12, 5);
  s.repeaterMode = 1;
  sc.press(kPlus);
  EXPECT_EQ(sc.commands(), (Rows{"OS00;", "FA146000000;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"repeater", "off"}));
}

TEST(Keys, SquelchInFm) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(145000000, 12, 5);
  auto squelch = [&sc](int32_t from, int32_t key) {
    sc.state().squelchLevel = from;
    sc.press(key);
    return sc.commands();
  };
  EXPECT_EQ(squelch(19, kRight), Rows{"SQ0020;"});
  EXPECT_EQ(squelch(20, kRight), Rows{"SQ0030;"});
  EXPECT_EQ(sc.takePhrases(), Rows{});
  EXPECT_EQ(squelch(250, kRight), Rows{"SQ0255;"});
  EXPECT_EQ(sc.takePhrases(), Rows{"max"});
  EXPECT_EQ(squelch(255, kLeft), Rows{"SQ0245;"});
  sc.press(kLeft);
  EXPECT_EQ(sc.commands(), Rows{"SQ0230;"});
  EXPECT_EQ(squelch(20, kLeft), Rows{"SQ0019;"});
  EXPECT_EQ(squelch(9, kLeft), Rows{"SQ0008;"});
  sc.takePhrases();
  EXPECT_EQ(squelch(1, kLeft), Rows{"SQ0000;"});
  EXPECT_EQ(sc.takePhrases(), Rows{"0"});
  EXPECT_EQ(s.frequency, 145000000);
}

TEST(Keys, TransmitTwiceRestoresSwrForm) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.swrOnTx = 1;
  s.tunerArmed = 1;
  sc.press(kSpace);
  EXPECT_EQ(sc.commands(), Rows{"TX1;"});
  EXPECT_EQ(sc.takePhrases(), (Rows{"tx", "on"}));
  EXPECT_EQ(s.txState, 11);
  EXPECT_EQ(s.swrOnTx, 0);
  EXPECT_EQ(s.swrHoldOff, 2);
  EXPECT_EQ(s.tunerArmed, 0);
  sc.press(kSpace);
  EXPECT_EQ(sc.commands(), Rows{"TX0;"});
  EXPECT_EQ(sc.takePhrases(), (Rows{"tx", "off"}));
  EXPECT_EQ(s.swrOnTx, 1);
}

TEST(Keys, TuneWithTheTunerOffKeysACarrierUntilTheNextT) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.tunerSetting = 1;
  s.powerLevel = 50;
  sc.press('T');
  EXPECT_EQ(sc.commands(), (Rows{"PC005;", "MD05;", "FA014200000;", "TX1;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"tune", "on"}));
  EXPECT_EQ(s.tuneActive, 1);
  sc.press('F');
  sc.press('J');
  EXPECT_EQ(sc.takePhrases(), (Rows{"ton", "ton"}));
  EXPECT_EQ(sc.commands(), Rows{});
  sc.press('T');
  EXPECT_TRUE(inOrder(sc.commands(), {"TX0;", "PC050;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"tune", "off"}));
  EXPECT_EQ(s.tuneActive, 0);
}

TEST(Keys, TuneWithTheTuner) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.tunerSetting = 0;
  sc.press('T');
  EXPECT_EQ(sc.commands(), (Rows{"AC001;", "AC002;"}));
  Rows heard{"tune", "on"};
  heard.insert(heard.end(), {"ok", "tune", "off"});
  EXPECT_EQ(sc.takePhrases(), heard);
  EXPECT_EQ(s.tuneActive, 0);
  sc.press('T');
  EXPECT_EQ(sc.commands(), Rows{"AC002;"}) << "the tuner is armed once";

  // Above 73 MHz the tuner cannot be used: a carrier alone.
  sc.tuneTo(145000000, 12, 5);
  sc.takePhrases();
  sc.press('T');
  EXPECT_EQ(sc.commands(), (Rows{"PC005;", "MD05;", "FA145000000;", "TX1;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"tune", "on", "atu", "na"}));
  sc.press('T');
  EXPECT_TRUE(inOrder(sc.commands(), {"TX0;", "PC100;"}));
  EXPECT_EQ(s.tunerSetting, 0);
}

TEST(Keys, ModeCycle) {
  KeyScenario sc;
  PanelState& s = sc.state();
  const struct {
    int32_t band, hz, wide, from, to;
  } cases[] = {
      {6, 14200000, 0, 1, 2},   {6, 14200000, 0, 2, 3},   {6, 14200000, 0, 3, 4},
      {6, 14200000, 0, 4, 1},   {10, 28500000, 0, 4, 5},  {10, 28500000, 1, 4, 7},
      {10, 26900000, 0, 4, 1},  {10, 28500000, 0, 5, 1},  {10, 28500000, 1, 7, 1},
      {12, 145000000, 1, 5, 1}, {12, 145000000, 0, 6, 1}, {12, 145000000, 1, 6, 7},
      {6, 14200000, 0, 0, 1},   {6, 14200000, 0, 9, 1},
  };
  for (const auto& c : cases) {
    sc.tuneTo(c.hz, c.band, c.from);
    s.wideFm = c.wide;
    sc.press('M');
    EXPECT_EQ(s.modeIndex, c.to) << "from " << c.from << " wide " << c.wide;
  }
}

TEST(Keys, C4fmOnAndOffRestoresTheToneByItsKind) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.radioId = 670;
  sc.tuneTo(145000000, 12, 5);
  s.toneEntry = 1;
  s.toneCode = "012";
  sc.press('D');
  EXPECT_EQ(s.modeIndex, 6);
  EXPECT_EQ(s.savedToneCode, "012");
  sc.commands();
  sc.press('D');
  EXPECT_EQ(s.modeIndex, 5);
  EXPECT_TRUE(inOrder(sc.commands(), {"CN00012;", "CT01;"}));
  EXPECT_EQ(s.toneEntry, 1);

  s.toneCode = "523";
  s.wideFm = 1;
  sc.press('D');
  sc.commands();
  sc.press('D');
  EXPECT_EQ(s.modeIndex, 7);
  const Rows sent = sc.commands();
  EXPECT_TRUE(inOrder(sent, {"CN01023;", "CT03;"}));
  EXPECT_TRUE(absent(sent, "CN00523;"));
  EXPECT_EQ(s.toneIsDcs, 1);

  // Other radios, and modes below FM, ignore D.
  s.radioId = 991;
  sc.press('D');
  s.radioId = 670;
  s.modeIndex = 2;
  sc.press('D');
  EXPECT_EQ(sc.commands(), Rows{});
  EXPECT_EQ(s.modeIndex, 2);
}

TEST(Keys, SplitOnWritesAFullBandRecordAndOffRestoresVfoA) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandTable[6] = "02A014200000B0141000000121";
  s.toneCode = "012";
  s.preampOn = 1;
  sc.tuneTo(14250000, 6, 2);
  sc.press('J');  // the last frequency sent is where VFO B starts
  sc.commands();
  sc.press('V');
  EXPECT_EQ(s.vfoB, 1);
  EXPECT_EQ(sc.commands(), (Rows{"FT3;", "FB014250000;"}));
  EXPECT_EQ(sc.takePhrases(), Rows{"split"});
  EXPECT_EQ(s.splitFrequencyText, "A014250000");
  EXPECT_EQ(s.bandTable[6], "02A014200000B0142500000121");

  s.frequency = 14250000;
  sc.press('V');
  EXPECT_EQ(s.vfoB, 0);
  EXPECT_EQ(sc.commands(), (Rows{"FT2;", "FA014250000;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"split", "off"}));
  EXPECT_EQ(s.bandTable[6], "02A014250000B0142500000121");
  EXPECT_TRUE(isBandRecord(s.bandTable[6]));
}

TEST(Keys, SplitGoesOutInTheModelsDialect) {
  const struct {
    int32_t id;
    const char* on;
    const char* off;
  } cases[] = {{0, "FT3;", "FT2;"},   {670, "FT3;", "FT2;"}, {362, "FT3;", "FT2;"},
               {800, "FT1;", "FT0;"}, {681, "ST1;", "ST0;"}, {682, "ST1;", "ST0;"},
               {999, "FT3;", "FT2;"}};
  for (const auto& c : cases) {
    KeyScenario sc;
    sc.state().radioId = c.id;
    sc.press('V');
    EXPECT_EQ(sc.commands().front(), c.on) << c.id;
    sc.press('V');
    EXPECT_EQ(sc.commands().front(), c.off) << c.id;
    // A band change ends split in the same dialect.
    sc.type("v");
    sc.commands();
    sc.type("b4");
    EXPECT_EQ(sc.commands().front(), c.off) << c.id;
  }
}

TEST(Keys, SplitRefusedOnGeneralCoverageAndRepeaterInFm) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(9670000, 14, 4);
  sc.press('V');
  EXPECT_EQ(sc.takePhrases(), (Rows{"split", "invalid"}));
  EXPECT_EQ(sc.commands(), Rows{});
  sc.tuneTo(145000000, 12, 5);
  s.shift2mMinus = 1;
  s.pendingMode = 3;
  sc.press('V');
  EXPECT_EQ(sc.takePhrases(), (Rows{"repeater", "on"}));
  EXPECT_EQ(sc.commands(), Rows{"OS02;"});
  EXPECT_EQ(s.vfoB, 0);
  EXPECT_EQ(s.pendingMode, 0);
}

TEST(Keys, OptionsReadout) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.preampOn = 1;
  s.noiseBlankerOn = 1;
  s.contourState = 2;
  s.speechProcessor = 1;
  s.breakInOn = 1;  // not in CW: not read
  s.monitorOn = 1;
  s.toneCode = "012";
  s.tunerSetting = 2;
  sc.press('O');
  EXPECT_EQ(sc.takePhrases(), (Rows{"options", "preamp", "on", "nb", "on", "cop", "spc", "on",
                                    "mon", "on", "ctcss", "0", "1", "2", "tuner", "is", "both"}));
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(Keys, LevelHelpPrefixAndEntryKeys) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.press('L');
  EXPECT_EQ(sc.takePhrases(), Rows{"lev"});
  EXPECT_EQ(s.pendingMode, 0);
  s.levelTarget = 3;
  sc.press('L');
  EXPECT_EQ(sc.takePhrases(), (Rows{"nr", "lev"}));
  EXPECT_EQ(s.pendingMode, 10);

  sc.press('H');
  EXPECT_EQ(sc.takePhrases(), Rows{"help"});
  EXPECT_EQ(sc.sound.stops, 0);

  sc.press('X');
  EXPECT_EQ(sc.sound.stops, 1) << "the next key's phrase cuts the help short";
  EXPECT_EQ(sc.takePhrases(), (Rows{"extcm", "on"}));
  sc.press('X');
  EXPECT_EQ(sc.takePhrases(), (Rows{"extcm", "off"}));
  sc.tuneTo(145000000, 12, 5);
  sc.takePhrases();
  sc.press('X');
  sc.press('M');
  EXPECT_EQ(s.modeIndex, 7);
  EXPECT_EQ(s.wideFm, 1);
  EXPECT_EQ(s.pendingMode, 0);
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"extcm", "on", "fm"}));
  EXPECT_TRUE(absent(sc.commands(), "FA145000000;")) << "the prefix takes the key: no re-send";

  sc.takePhrases();
  sc.commands();
  s.modeIndex = 4;
  sc.press('W');
  EXPECT_EQ(s.pendingMode, 0);
  EXPECT_EQ(sc.takePhrases(), Rows{});
  s.modeIndex = 2;
  sc.press('W');
  EXPECT_EQ(s.pendingMode, 2);
  EXPECT_EQ(sc.takePhrases(), (Rows{"bw", "2", "point", "4", "khz"}));
  sc.press('A');
  EXPECT_EQ(s.pendingMode, 7);
  sc.press('R');
  EXPECT_EQ(s.pendingMode, 4);
  EXPECT_EQ(sc.takePhrases(), (Rows{"af", "rf"}));
  sc.press('P');
  EXPECT_EQ(s.pendingMode, 3);
  EXPECT_EQ(sc.takePhrases(), (Rows{"Power", "1", "0", "0", "watts"}));
  sc.press('B');
  EXPECT_EQ(s.pendingMode, 1);
  EXPECT_EQ(sc.takePhrases(), (Rows{"band", "2", "metres"}));
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(Keys, AlcReadoutEndsAtTheNextKey) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.alcAnnounce = 1;
  s.micGain = 50;
  sc.press(38);  // Up steps the gain and leaves the readout running
  EXPECT_EQ(s.alcAnnounce, 1);
  s.pendingMode = 0;
  sc.press('J');
  EXPECT_EQ(s.alcAnnounce, 0);
  EXPECT_EQ(s.alcPeak, 0);
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"micgain", "lev", "off"}));
  EXPECT_TRUE(inOrder(sc.commands(), {"FA014201000;", "FA014201000;"}));
  s.alcAnnounce = 1;
  sc.press(kF11);
  EXPECT_EQ(sc.commands(), Rows{}) << "F11 only ends the readout";
}

TEST(Keys, ToneEntryWithoutACodeEndsAtAnotherKey) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.toneEntry = 1;
  s.toneCode = "999";
  sc.press('5');
  EXPECT_EQ(s.toneEntry, 1);
  sc.press('J');
  EXPECT_EQ(s.toneEntry, 0);
}

}  // namespace
}  // namespace keldar
