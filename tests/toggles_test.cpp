// The function keys: phrases first, then the command, the level reads and
// the redraws of the status line.
#include <gtest/gtest.h>

#include "cat/exchange.h"
#include "radio/radio_line.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::KeyScenario;
using testing::Rows;

constexpr int32_t kF1 = 112, kF2 = 113, kF3 = 114, kF4 = 115, kF5 = 116, kF6 = 117, kF7 = 118,
                  kF8 = 119, kF9 = 120, kF12 = 123;

// Every F key but F7 and F12 goes on to the final step, which re-sends the
// frequency after the function's own commands.
const char* const kFrequency = "FA014200000;";

struct Press {
  Rows commands;
  Rows phrases;
};

Press pressOnce(KeyScenario& sc, int32_t key) {
  sc.press(key);
  return {sc.commands(), sc.takePhrases()};
}

void expectPress(KeyScenario& sc, int32_t key, const Rows& commands, const Rows& phrases) {
  const Press p = pressOnce(sc, key);
  EXPECT_EQ(p.commands, commands) << "key " << key;
  EXPECT_EQ(p.phrases, phrases) << "key " << key;
}

TEST(Toggles, PreampAttenuatorAndTheirStates) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.preampLevel = 2;  // F1 always starts with the first stage
  expectPress(sc, kF1, {"PA01;", kFrequency}, {"preamp", "on"});
  EXPECT_EQ(s.levelTarget, 1);
  expectPress(sc, kF1, {"PA00;", kFrequency}, {"preamp", "off"});
  EXPECT_EQ(s.preampLevel, 0);
  EXPECT_EQ(s.levelTarget, 0);
  expectPress(sc, kF2, {"RA01;", kFrequency}, {"at", "on"});
  expectPress(sc, kF2, {"RA00;", kFrequency}, {"at", "off"});
  sc.tuneTo(145000000, 12, 2);
  expectPress(sc, kF2, {"FA145000000;"}, {"at", "na"});
  EXPECT_EQ(s.attenuatorOn, 0);
}

TEST(Toggles, NoiseBlankerReadsItsLevel) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.serial.setResponder([](int, const std::string& w) { return w == "NL0;" ? "NL0007;" : ""; });
  expectPress(sc, kF3, {"NB01;", "NL0;", kFrequency}, {"nb", "on"});
  EXPECT_EQ(s.noiseBlankerLevel, 7);
  EXPECT_EQ(s.levelTarget, 2);
  expectPress(sc, kF3, {"NB00;", kFrequency}, {"nb", "off"});
  EXPECT_EQ(s.levelTarget, 0);
}

TEST(Toggles, NoiseReductionFromTheUnknownState) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.noiseReduction = 9;
  s.noiseReductionLevel = 4;
  expectPress(sc, kF4, {"NR00;", kFrequency}, {});
  expectPress(sc, kF4, {"NR01;", "RL0;", kFrequency}, {"nr", "on"});
  EXPECT_EQ(s.noiseReductionLevel, 4) << "no RL answer keeps the level";
  // Long after that query was given up on (until then an RL answer would be
  // its late one), the radio answers.
  sc.clock.ms += 5000;
  sc.settle();
  serviceRadioLine(sc.panel);
  sc.serial.setResponder([](int, const std::string& w) { return w == "RL0;" ? "RL012;" : ""; });
  expectPress(sc, kF4, {"NR00;", kFrequency}, {"nr", "off"});
  expectPress(sc, kF4, {"NR01;", "RL0;", kFrequency}, {"nr", "on"});
  sc.settle();
  EXPECT_EQ(s.noiseReductionLevel, 12);
}

TEST(Toggles, NotchAndContourCycle) {
  KeyScenario sc;
  PanelState& s = sc.state();
  expectPress(sc, kF5, {"BC01;", kFrequency}, {"notch", "on"});
  expectPress(sc, kF5, {"BC00;", kFrequency}, {"notch", "off"});
  expectPress(sc, kF6, {"CO011200;", kFrequency}, {"cod"});
  expectPress(sc, kF6, {"CO031200;", kFrequency}, {"cop"});
  EXPECT_EQ(s.levelTarget, 4);
  s.pendingMode = 10;
  // The last step clears the level mode, so the final step runs again.
  expectPress(sc, kF6, {"CO001200;", kFrequency}, {"co", "off"});
  EXPECT_EQ(s.levelTarget, 0);
  EXPECT_EQ(s.pendingMode, 0);
}

TEST(Toggles, SpeechProcessorByRadioAndMode) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.serial.setResponder([](int, const std::string& w) { return w == "PL;" ? "PL040;" : ""; });
  expectPress(sc, kF7, {"PR01;", "PL;"}, {"spc", "on"});
  EXPECT_EQ(s.processorLevel, 40);
  EXPECT_EQ(s.levelTarget, 5);
  expectPress(sc, kF7, {"PR00;"}, {"spc", "off"});
  s.radioId = 362;
  expectPress(sc, kF7, {"PR1;", "PL;"}, {"spc", "on"});
  s.radioId = 241;
  expectPress(sc, kF7, {}, {});
  for (int32_t mode : {3, 4, 5}) {
    s.modeIndex = mode;
    expectPress(sc, kF7, {}, {"na"});
  }
}

TEST(Toggles, BreakInInCwVoxElsewhere) {
  KeyScenario sc;
  PanelState& s = sc.state();
  expectPress(sc, kF8, {"VX1;", kFrequency}, {"vox", "on"});
  s.modeIndex = 3;
  expectPress(sc, kF8, {"BI1;", kFrequency}, {"bkin", "on"});
  expectPress(sc, kF8, {"BI0;", kFrequency}, {"bkin", "off"});
  EXPECT_EQ(s.voxOn, 1);
}

TEST(Toggles, MonitorRestoresItsLevel) {
  KeyScenario sc;
  expectPress(sc, kF9, {"ML1050;", "ML0001;", kFrequency}, {"mon", "on"});
  expectPress(sc, kF9, {"ML0000;", kFrequency}, {"mon", "off"});
}

TEST(Toggles, TunerCycleSendsBeforeSpeaking) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.tunerSetting = 1;
  s.tunerArmed = 1;
  expectPress(sc, kF12, {"AC001;"}, {"tuner", "on"});
  EXPECT_EQ(s.tunerArmed, 0);
  expectPress(sc, kF12, {"AC001;"}, {"tuner", "both"});
  expectPress(sc, kF12, {"AC000;"}, {"tuner", "off"});
  s.tunerSetting = 3;
  expectPress(sc, kF12, {"AC000;"}, {"tuner", "off"});
  EXPECT_EQ(s.tunerSetting, 1);
  EXPECT_EQ(sc.timeline(kF12), (Rows{"say tuner", "send AC001;", "say on"}));
}

TEST(Toggles, PhrasesComeBeforeTheCommand) {
  KeyScenario sc;
  EXPECT_EQ(sc.timeline(kF3),
            (Rows{"say nb", "say on", "send NB01;", "send NL0;", "send FA014200000;"}));
  EXPECT_EQ(sc.timeline(kF1), (Rows{"say preamp", "say on", "send PA01;", "send FA014200000;"}));
  EXPECT_EQ(sc.timeline(kF9),
            (Rows{"say mon", "send ML1050;", "say on", "send ML0001;", "send FA014200000;"}));
}

}  // namespace
}  // namespace keldar
