// The front panel on the screen model: fields, padding, the status line and
// what drawing a mode sends to the radio.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cat/exchange.h"
#include "core/radio_modes.h"
#include "core/window.h"
#include "display/display.h"
#include "radio/apply_mode.h"
#include "radio/radio_line.h"
#include "support/keyboard_fixture.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;
using testing::splitCommands;

std::string trimmed(const std::string& text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

class Display : public ::testing::Test {
 protected:
  Display() {
    sc.state().comPort = 1;
    sc.serial.openPort(1, 38400);
  }
  std::vector<std::string> draw(int32_t mode) {
    sc.state().modeIndex = mode;
    drawFrequencyPanel(sc.panel);
    sc.settle();
    return splitCommands(sc.takeRadio());
  }
  std::string modeField() const { return sc.field(kModeField.x, kModeField.y); }
  std::string statusField(int x) const { return sc.field(x, kStatusLineY); }

  Scenario sc;
};

TEST_F(Display, EveryModeNameCoversEveryOther) {
  const char* shown[] = {"", "LSB", "USB", "CW", "AM", "FMN", "C4FM", "FM"};
  for (int before = 1; before <= 7; ++before) {
    for (int after = 1; after <= 7; ++after) {
      Scenario fresh;
      fresh.state().modeIndex = before;
      drawFrequencyPanel(fresh.panel);
      fresh.state().modeIndex = after;
      drawFrequencyPanel(fresh.panel);
      EXPECT_EQ(trimmed(fresh.field(50, 45)), shown[after]) << before << " then " << after;
    }
  }
}

TEST_F(Display, EachModeSendsItsCommandFilterFrequencyAndWidth) {
  using Commands = std::vector<std::string>;
  sc.state().frequency = 7100000;
  sc.state().ssbWidthIndex = 21;
  EXPECT_EQ(draw(1), (Commands{"MD01;", "NA00;", "FA007100000;", "SH021;"}));
  EXPECT_EQ(draw(2), (Commands{"MD02;", "NA00;", "FA007100000;", "SH021;"}));
  // Taking over the widest width is not announced as "max".
  EXPECT_EQ(sc.takePhrases(), Commands{});
  EXPECT_EQ(draw(4), (Commands{"MD05;", "NA00;", "FA007100000;"}));
  EXPECT_EQ(draw(6), (Commands{"MD0E;", "NA00;", "FA007100000;"}));
  // Mode digits are the state's command texts, not constants.
  sc.state().modeCommandAm = "MD0X";
  EXPECT_EQ(draw(4).at(0), "MD0X;");

  // CW takes over the CW width: below 11 the narrow filter is on.
  sc.state().cwWidthIndex = 10;
  sc.state().widthIndex = 14;
  EXPECT_EQ(draw(3), (Commands{"MD03;", "NA01;", "FA007100000;", "SH010;"}));
  sc.state().cwWidthIndex = 11;
  EXPECT_EQ(draw(3).at(1), "NA00;");
  // LSB takes over the sideband width; width 10 there is no reason for the narrow filter.
  sc.state().ssbWidthIndex = 10;
  EXPECT_EQ(draw(1), (Commands{"MD01;", "NA00;", "FA007100000;", "SH010;"}));
  EXPECT_EQ(modeField(), "LSB     ");
}

TEST_F(Display, AnUnknownFrequencyIsNotSent) {
  sc.state().frequency = 0;  // before the first frequency answer
  EXPECT_EQ(draw(1), (std::vector<std::string>{"MD01;", "NA00;", "SH014;"}));
}

TEST_F(Display, TheRepeaterShiftIsSwitchedOffFirst) {
  sc.state().frequency = 145000000;
  sc.state().bandIndex = 12;
  sc.state().repeaterMode = 1;
  const auto sent = draw(4);
  EXPECT_EQ(sent.front(), "OS00;");
  EXPECT_EQ(sc.state().repeaterMode, 0);
  EXPECT_EQ(sc.takePhrases(), (std::vector<std::string>{"repeater", "off"}));
}

TEST_F(Display, FmReadsTheSquelchWhereverTheAnswerStands) {
  sc.state().squelchLevel = 8;
  // The squelch answer arrives behind an answer nobody asked for, and behind
  // the late answer of an earlier squelch query given up on.
  askRadio(sc.panel, "SQ0", Asker::kWork, {}, 0);
  serviceRadioLine(sc.panel);
  sc.takeRadio();
  sc.feedRadio("SQ0009;");
  serviceRadioLine(sc.panel);
  sc.serial.setResponder([](int, const std::string& written) {
    return written == "SQ0;" ? std::string("SM0100;SQ0023;") : std::string();
  });
  EXPECT_EQ(draw(5), (std::vector<std::string>{"MD0B;", "NA00;", "SQ0;"}));
  EXPECT_EQ(sc.state().squelchLevel, 23);
  EXPECT_TRUE(sc.takePhrases().empty());

  // No FA in FM wide either: the frequency is not re-sent.
  sc.state().frequency = 145500000;
  sc.serial.setResponder([](int, const std::string& written) {
    return written == "SQ0;" ? std::string("SQ0145;") : std::string();
  });
  EXPECT_EQ(draw(7), (std::vector<std::string>{"MD04;", "NA00;", "SQ0;"}));
  EXPECT_EQ(sc.state().squelchLevel, 145);
}

TEST_F(Display, SquelchKeptWhenTheAnswerIsMissingOrCut) {
  sc.state().squelchLevel = 31;
  draw(5);  // no answer at all
  EXPECT_EQ(sc.state().squelchLevel, 31);
  for (const char* answer : {"?;", "SQ00", "SQ0;", "SQ0A2;"}) {
    sc.serial.setResponder([answer](int, const std::string& written) {
      return written == "SQ0;" ? std::string(answer) : std::string();
    });
    draw(7);
    EXPECT_EQ(sc.state().squelchLevel, 31) << answer;
  }
}

TEST_F(Display, DamagedModeIsNeitherSentNorShown) {
  for (int32_t mode : {0, 8, -1, 57}) {
    sc.state().commandText = "MD02;";
    EXPECT_EQ(draw(mode), (std::vector<std::string>{"NA00;"})) << mode;
    EXPECT_EQ(modeField(), "") << mode;
  }
}

TEST_F(Display, TheModeIsRememberedInTheBandRecordOutsideFm) {
  PanelState& s = sc.state();
  s.bandIndex = 4;
  s.bandTable[4] = "01A007100000B0071000009990";
  draw(4);
  EXPECT_EQ(s.bandTable[4], "04A007100000B0071000009990");
  draw(5);  // FM reads the squelch and stops there
  EXPECT_EQ(s.bandTable[4], "04A007100000B0071000009990");
  for (int32_t damaged : {0, 9}) {
    draw(damaged);
    EXPECT_EQ(s.bandTable[4], "04A007100000B0071000009990") << damaged;
  }
}

TEST_F(Display, ModeSetOnTheRelayPortIsShownButNotSentAgain) {
  sc.state().relayActive = 1;
  EXPECT_EQ(draw(4).at(0), "NA00;");
  EXPECT_EQ(modeField(), "AM     ");
}

TEST_F(Display, ATypedToneIsClearedBeforeTheMode) {
  sc.state().toneEntry = 1;
  sc.state().toneCode = "008";
  drawStatusLine(sc.panel);
  EXPECT_EQ(trimmed(statusField(780)), "ctcss=008");
  const auto sent = draw(5);
  EXPECT_EQ(sent.at(0), "CT00;");
  EXPECT_EQ(sent.at(1), "MD0B;");
  EXPECT_EQ(sc.state().toneCode, "999");
  EXPECT_EQ(sc.state().toneEntry, 0);
  EXPECT_EQ(trimmed(statusField(780)), "");
}

TEST_F(Display, ToneFieldShowsCtcssAndOnlyDcsCodesInUse) {
  PanelState& s = sc.state();
  s.toneCode = "008";
  EXPECT_EQ(toneFieldText(s), "ctcss=008" + std::string(13, ' '));
  s.toneCode = "523";
  s.toneIsDcs = 1;
  EXPECT_EQ(toneFieldText(s), "dcs=523" + std::string(14, ' '));
  s.toneIsDcs = 0;
  EXPECT_EQ(toneFieldText(s), std::string(28, ' '));
  s.toneCode = "000";
  EXPECT_EQ(toneFieldText(s), std::string(30, ' '));
  s.toneCode = "999";
  EXPECT_EQ(toneFieldText(s), std::string(30, ' '));
  // A code being typed shows as far as it goes.
  s.toneCode = "0";
  EXPECT_EQ(toneFieldText(s), "ctcss=0" + std::string(13, ' '));
}

TEST_F(Display, StatusFieldsShowAndBlanksEraseThem) {
  PanelState& s = sc.state();
  s.preampOn = s.attenuatorOn = s.noiseBlankerOn = s.noiseReduction = s.notchOn = 1;
  s.contourState = 2;
  s.speechProcessor = s.voxOn = s.breakInOn = s.monitorOn = 1;
  s.modeIndex = 2;
  s.toneCode = "012";
  drawStatusLine(sc.panel);
  const std::vector<std::pair<int, std::string>> on = {
      {40, "preamp"}, {170, "att"}, {240, "nb"},  {310, "nr"},  {360, "notch"},
      {460, "Cont."}, {550, "spc"}, {620, "vox"}, {690, "mon"}, {780, "ctcss=012"}};
  for (const auto& [x, text] : on) EXPECT_EQ(trimmed(statusField(x)), text) << x;

  // In CW the field at 620 shows break-in, not VOX, and the processor is not shown.
  s.modeIndex = 3;
  drawStatusLine(sc.panel);
  EXPECT_EQ(statusField(620), "bin ");
  EXPECT_EQ(trimmed(statusField(550)), "");
  s.breakInOn = 0;
  drawStatusLine(sc.panel);
  EXPECT_EQ(trimmed(statusField(620)), "");

  s.preampOn = s.attenuatorOn = s.noiseBlankerOn = s.noiseReduction = s.notchOn = 0;
  s.contourState = s.speechProcessor = s.voxOn = s.monitorOn = 0;
  s.modeIndex = 2;
  s.toneCode = "999";
  drawStatusLine(sc.panel);
  for (const auto& [x, text] : on) EXPECT_EQ(trimmed(statusField(x)), "") << x;
  EXPECT_EQ(statusField(690), std::string(11, ' '));
}

TEST_F(Display, StatusLineIsSmallAndEverythingElseLarge) {
  sc.state().modeIndex = 1;
  drawFrequencyPanel(sc.panel);
  moveTextPosition(sc.panel, kSMeterField.x, kSMeterField.y);
  printText(sc.panel, "S5  ");
  for (const auto& print : sc.screen.prints) {
    const bool status = print.y == kStatusLineY;
    EXPECT_EQ(print.font, status ? statusFont() : largeFont()) << print.x << "," << print.y;
  }
  EXPECT_EQ(largeFont(), (FontSpec{"Ariel", 50, 700, 0}));
  EXPECT_EQ(statusFont(), (FontSpec{"Ariel", 20, 20, 0}));
}

}  // namespace
}  // namespace keldar

namespace keldar {
namespace {

using testing::KeyScenario;

// Ticks with the radio answering each poll, the frequency and the meters
// together (as a radio answers a query written before the last read).
void answerPolls(KeyScenario& sc, const std::string& answers, int ticks = 8) {
  for (int i = 0; i < ticks; ++i) {
    sc.tick();
    const std::string written = sc.takeRadio();
    if (written.empty()) continue;
    // The mode poll, in a meter's turn now and then, finds the panel's mode.
    const char mode = plainModeCode(sc.state().modeIndex);
    sc.feedRadio(written.find("MD0;") != std::string::npos ? "MD0" + std::string(1, mode) + ";"
                                                           : answers);
  }
}

TEST(DisplayWhileKeyed, TuneShowsTheMarkerAndSwrAndPowerInPlaceOfTheSMeterUntilItEnds) {
  KeyScenario sc;
  sc.state().tunerSetting = 1;  // the tuner off: a carrier
  answerPolls(sc, "FA014200000;SM0130;");
  EXPECT_EQ(sc.field(kSMeterField.x, kSMeterField.y), "S9  ");
  const std::size_t receiving = sc.screen.prints.size();
  answerPolls(sc, "FA014200000;SM0130;");
  for (std::size_t i = receiving; i < sc.screen.prints.size(); ++i) {
    EXPECT_NE(sc.screen.prints[i].x, kTxMarkerField.x) << "nothing of transmit drawn in receive";
  }

  sc.press(testing::vkOf('T'));
  EXPECT_EQ(sc.field(kTxMarkerField.x, kTxMarkerField.y), " TX ");
  EXPECT_EQ(trimmed(sc.field(kSMeterField.x, kSMeterField.y)), "") << "the receive reading goes";
  EXPECT_EQ(sc.field(kSwrField.x, kSwrField.y), "SWR -.-  ") << "no reading yet";
  answerPolls(sc, "FA014200000;RM6083;");
  EXPECT_EQ(sc.field(kSwrField.x, kSwrField.y), "SWR 1.4  ");
  EXPECT_EQ(sc.field(kPowerField.x, kPowerField.y), "PWR 100 W");
  const auto marker = std::find_if(sc.screen.prints.rbegin(), sc.screen.prints.rend(),
                                   [](const auto& p) { return p.x == kTxMarkerField.x; });
  ASSERT_NE(marker, sc.screen.prints.rend());
  EXPECT_NE(marker->font.style & 0x100, 0) << "white on black";
  answerPolls(sc, "FA014200000;RM6210;");
  EXPECT_EQ(sc.field(kSwrField.x, kSwrField.y), "SWR >5   ");

  sc.press(testing::vkOf('T'));
  EXPECT_EQ(trimmed(sc.field(kTxMarkerField.x, kTxMarkerField.y)), "");
  EXPECT_EQ(trimmed(sc.field(kSwrField.x, kSwrField.y)), "");
  EXPECT_EQ(trimmed(sc.field(kPowerField.x, kPowerField.y)), "");
  answerPolls(sc, "FA014200000;SM0070;");
  EXPECT_EQ(trimmed(sc.field(kSMeterField.x, kSMeterField.y)), "S5");
}

TEST(DisplayWhileKeyed, SpaceAndTheRelayKeyTheMarkerToo) {
  KeyScenario sc;
  sc.press(testing::vkOf(' '));
  EXPECT_EQ(sc.field(kTxMarkerField.x, kTxMarkerField.y), " TX ");
  sc.press(testing::vkOf(' '));
  EXPECT_EQ(trimmed(sc.field(kTxMarkerField.x, kTxMarkerField.y)), "");
  sc.state().relayKeyed = 1;  // as the relay's or a network client's TX1 leaves it
  answerPolls(sc, "FA014200000;");
  EXPECT_EQ(sc.field(kTxMarkerField.x, kTxMarkerField.y), " TX ");
}

std::string entryField(const KeyScenario& sc) {
  return trimmed(sc.field(kEntryField.x, kEntryField.y));
}

TEST(DisplayEntries, EachEntryShowsAsTypedAndGoesWhenItEnds) {
  KeyScenario sc;
  sc.state().radioId = 670;
  std::vector<std::string> shown;
  for (char c : std::string("E14.2")) {
    sc.pressKeys(std::string(1, c));
    shown.push_back(entryField(sc));
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"E", "E 1", "E 14", "E 14.", "E 14.2"}));
  sc.pressKeys("\n");
  EXPECT_EQ(entryField(sc), "") << "Enter ends it";

  sc.pressKeys("N080\n");
  EXPECT_EQ(entryField(sc), "N 080");
  sc.pressKeys("1");
  EXPECT_EQ(entryField(sc), "N 080 1");
  sc.pressKeys("\n");
  EXPECT_EQ(entryField(sc), "");

  sc.pressKeys("CB3");
  EXPECT_EQ(entryField(sc), "C B 3");
  // A held digit repeating adds nothing.
  sc.keyDown(testing::vkOf('3'));
  sc.keyDown(testing::vkOf('3'));
  EXPECT_EQ(entryField(sc), "") << "the slot digit stores the channel and ends the entry";
  sc.keyUp(testing::vkOf('3'));
  sc.pressKeys("G");
  EXPECT_EQ(entryField(sc), "G");
  sc.pressKeys("M");
  EXPECT_EQ(entryField(sc), "") << "another key leaves the entry";
}

TEST(DisplayEntries, ToneCodesShowAsTypedInFm) {
  KeyScenario sc;
  sc.tuneTo(145000000, 12, 5);
  sc.pressKeys("I");
  sc.keyDown(testing::vkOf('8'));
  sc.keyDown(testing::vkOf('8'));  // repeating
  sc.keyUp(testing::vkOf('8'));
  sc.pressKeys("8");
  EXPECT_EQ(entryField(sc), "I 88");
  sc.pressKeys("\n");
  EXPECT_EQ(entryField(sc), "");
}

}  // namespace
}  // namespace keldar
