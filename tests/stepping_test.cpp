// Up and Down in each entry mode, the value commands and their limits.
#include <gtest/gtest.h>

#include "radio/stepping.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::inOrder;
using testing::KeyScenario;
using testing::Rows;

constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;

struct StepCase {
  int32_t pendingMode;
  int32_t key;
  Rows commands;
  Rows phrases;
};

// Runs one arrow press and checks exactly what the radio got and what was said.
void expectStep(KeyScenario& sc, const StepCase& c) {
  sc.state().pendingMode = c.pendingMode;
  sc.press(c.key);
  EXPECT_EQ(sc.commands(), c.commands);
  EXPECT_EQ(sc.takePhrases(), c.phrases);
}

TEST(Stepping, GainsStayInRangeAndSayMaxAtTheTop) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.rfGain = 250;
  expectStep(sc, {4, kUp, {"RG0250;"}, {"max"}});
  s.rfGain = 5;
  expectStep(sc, {4, kDown, {"RG0000;"}, {}});
  expectStep(sc, {4, kDown, {"RG0000;"}, {}});
  s.rfGain = 40;
  expectStep(sc, {4, kUp, {"RG0050;"}, {}});
  s.afGain = 245;
  expectStep(sc, {7, kUp, {"AG0250;"}, {"max"}});
  s.afGain = 0;
  expectStep(sc, {7, kDown, {"AG0000;"}, {}});
  // The arrows in a value mode leave the function levels alone.
  s.levelTarget = 2;
  s.afGain = 70;
  expectStep(sc, {7, kUp, {"AG0080;"}, {}});
}

TEST(Stepping, PowerNeverPassesTheRadiosMaximum) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.powerLevel = 5;
  expectStep(sc, {3, kUp, {"PC010;"}, {}});
  s.powerLevel = 100;
  expectStep(sc, {3, kUp, {"PC100;"}, {"max"}});
  s.maxPower = 200;
  s.powerLevel = 100;
  expectStep(sc, {3, kUp, {"PC110;"}, {}});
  s.powerLevel = 200;
  expectStep(sc, {3, kUp, {"PC200;"}, {"max"}});
  // A 50 W radio stops at 50 W, not at 100.
  s.maxPower = 50;
  s.powerLevel = 40;
  expectStep(sc, {3, kUp, {"PC050;"}, {"max"}});
  expectStep(sc, {3, kUp, {"PC050;"}, {"max"}});
  s.powerLevel = 5;
  expectStep(sc, {3, kDown, {"PC005;"}, {"min"}});
  s.powerLevel = 20;
  expectStep(sc, {3, kDown, {"PC010;"}, {}});
}

TEST(Stepping, WidthLimitsNarrowFilterAndQuietLimits) {
  KeyScenario sc;
  PanelState& s = sc.state();
  // The width mode also re-sends the frequency at the dispatcher's last step.
  s.widthIndex = 21;
  expectStep(sc, {2, kUp, {"SH021;", "FA014200000;"}, {"max"}});
  EXPECT_EQ(s.ssbWidthIndex, 21);
  s.modeIndex = 3;
  s.widthIndex = 11;
  expectStep(sc, {2, kDown, {"NA01;", "SH010;", "FA014200000;"}, {}});
  EXPECT_EQ(s.cwWidthIndex, 10);
  expectStep(sc, {2, kUp, {"NA00;", "SH011;", "FA014200000;"}, {}});
  s.widthIndex = 12;
  expectStep(sc, {2, kUp, {"SH012;", "FA014200000;"}, {"max"}});
  s.widthIndex = 1;
  expectStep(sc, {2, kDown, {"SH001;", "FA014200000;"}, {"min"}});

  s.modeIndex = 1;
  s.widthIndex = 30;
  s.quietLimits = 1;
  sendWidth(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"SH021;"}));
  EXPECT_EQ(sc.takePhrases(), Rows{});
  EXPECT_EQ(s.quietLimits, 0);
}

TEST(Stepping, WidthOutsideSsbAndCwKeepsTwoDigits) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.modeIndex = 6;
  s.widthIndex = 21;
  expectStep(sc, {2, kUp, {"SH021;", "FA014200000;"}, {"max"}});
  s.widthIndex = 1;
  expectStep(sc, {2, kDown, {"SH001;", "FA014200000;"}, {"min"}});
  EXPECT_EQ(s.widthIndex, 1);
}

TEST(Stepping, KeySpeedAndMicGain) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.keySpeed = 60;
  expectStep(sc, {11, kUp, {"KS060;"}, {"max"}});
  s.keySpeed = 4;
  expectStep(sc, {11, kDown, {"KS004;"}, {"min"}});
  s.keySpeed = 9;
  expectStep(sc, {11, kUp, {"KS010;"}, {}});
  s.micGain = 100;
  s.alcPeak = 40;
  expectStep(sc, {12, kUp, {"MG100;"}, {"max"}});
  EXPECT_EQ(s.alcPeak, 0);
  s.micGain = 1;
  expectStep(sc, {12, kDown, {"MG000;"}, {}});
  expectStep(sc, {12, kDown, {"MG000;"}, {"min"}});
}

TEST(Stepping, FunctionLevels) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.levelTarget = 4;
  s.contourState = 2;
  expectStep(sc, {10, kDown, {"CO031100;"}, {}});
  s.contourFrequency = 100;
  expectStep(sc, {10, kDown, {"CO030010;"}, {"min"}});
  expectStep(sc, {10, kUp, {"CO030110;"}, {}});
  s.contourFrequency = 3150;
  expectStep(sc, {10, kUp, {"CO033200;"}, {"max"}});

  s.levelTarget = 2;
  s.noiseBlankerLevel = 9;
  expectStep(sc, {10, kUp, {"NL0010;"}, {}});
  expectStep(sc, {10, kUp, {"NL0010;"}, {"max"}});
  s.noiseBlankerLevel = 1;
  expectStep(sc, {10, kDown, {"NL0000;"}, {"min"}});

  s.levelTarget = 3;
  s.noiseReductionLevel = 14;
  expectStep(sc, {10, kUp, {"RL015;"}, {"max"}});
  s.radioId = 241;
  s.noiseReductionLevel = 10;
  expectStep(sc, {10, kUp, {"RL011;"}, {"max"}});
  s.noiseReductionLevel = 1;
  expectStep(sc, {10, kDown, {"RL001;"}, {"min"}});

  s.levelTarget = 5;
  s.radioId = 362;
  s.processorLevel = 240;
  expectStep(sc, {10, kUp, {"PL250;"}, {"max"}});
  s.radioId = 670;
  s.processorLevel = 100;
  expectStep(sc, {10, kUp, {"PL100;"}, {"max"}});
  s.processorLevel = 10;
  expectStep(sc, {10, kDown, {"PL000;"}, {"min"}});

  s.levelTarget = 1;
  expectStep(sc, {10, kUp, {"PA02;"}, {"max", "preamp", "on"}});
  expectStep(sc, {10, kDown, {"PA01;"}, {"min", "preamp", "on"}});
}

TEST(Stepping, FrequencyArrowsAndNeverBelowZero) {
  KeyScenario sc;
  PanelState& s = sc.state();
  expectStep(sc, {0, kUp, {"FA014201000;"}, {}});
  s.modeIndex = 3;
  expectStep(sc, {0, kDown, {"FA014200500;"}, {}});
  sc.tuneTo(500, 14, 2);
  expectStep(sc, {0, kDown, {"FA000000000;"}, {}});
  EXPECT_EQ(s.frequency, 0);
}

TEST(Stepping, RoundToKhzWithZ) {
  KeyScenario sc;
  PanelState& s = sc.state();
  const struct {
    int32_t mode, hz;
    const char* sent;
  } cases[] = {{1, 14250300, "FA014250000;"},
               {1, 14250000, "FA014249000;"},
               {2, 14250300, "FA014251000;"},
               {2, 14250000, "FA014251000;"},
               {1, 0, "FA000000000;"}};
  for (const auto& c : cases) {
    sc.tuneTo(c.hz, 6, c.mode);
    sc.press('Z');
    EXPECT_EQ(sc.commands(), Rows{c.sent}) << c.hz;
    EXPECT_EQ(sc.takePhrases(), (Rows{"0", "ok"}));
  }
  s.modeIndex = 3;
  sc.press('Z');
  EXPECT_EQ(sc.commands(), Rows{"ZI;"});
}

TEST(Stepping, BandStepsWrapByCoverage) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandCoverage = "2";
  s.pendingMode = 1;
  s.bandIndex = 1;
  sc.press(kDown);
  EXPECT_EQ(s.bandIndex, 12);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA145000000;"}));
  // HF only: down from general coverage lands on 10 m, not 70 cm.
  s.bandCoverage = "1";
  s.bandIndex = 14;
  sc.press(kDown);
  EXPECT_EQ(s.bandIndex, 10);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA028500000;"}));
  s.bandCoverage = "6";
  sc.press(kUp);
  EXPECT_EQ(s.bandIndex, 11);
  sc.press(kUp);
  EXPECT_EQ(s.bandIndex, 1);
}

TEST(Stepping, BandStepUpSwitchesASetToneOffOnTheRadio) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandCoverage = "";
  s.pendingMode = 1;
  s.bandIndex = 13;
  s.toneEntry = 1;
  s.toneCode = "012";
  sc.press(kUp);
  EXPECT_EQ(s.bandIndex, 14);
  EXPECT_EQ(s.toneEntry, 0);
  EXPECT_EQ(s.toneCode, "999");
  EXPECT_TRUE(inOrder(sc.commands(), {"CT00;", "FA009670000;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"band", "un"}));
  sc.press(kUp);
  EXPECT_EQ(s.bandIndex, 1);
}

TEST(Stepping, ProcessorLevelIsReadBack) {
  KeyScenario sc;
  sc.serial.setResponder([](int, const std::string& w) { return w == "PL;" ? "PL050;" : ""; });
  readProcessorLevel(sc.panel);
  sc.settle();
  EXPECT_EQ(sc.state().processorLevel, 50);
  sc.serial.setResponder(nullptr);
  readProcessorLevel(sc.panel);
  sc.settle();
  EXPECT_EQ(sc.state().processorLevel, 50) << "no answer keeps the level";
}

}  // namespace
}  // namespace keldar
