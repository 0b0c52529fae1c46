#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tick.h"
#include "radio/cat.h"
#include "radio/frequency_reply.h"
#include "radio/models.h"
#include "radio/simulator.h"
#include "radio_support.h"

namespace keldar {
namespace {

using testing::Scenario;
using Commands = std::vector<std::string>;

void send(Scenario& sc, const std::string& text) {
  sc.state().commandText = text;
  sendCommand(sc.panel);
}

std::string logged(Scenario& sc) {
  closeFile(sc.state().debugFile);
  return sc.readFile("debug.dat");
}

// ---- Sending -----------------------------------------------------------------

TEST(CatSend, VfoBTurnsEveryFaIntoFbAndRemembersTheFbForm) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.state().vfoB = 1;
  send(sc, "FA014250000");
  send(sc, "FA");
  send(sc, "AG0080");
  EXPECT_EQ(sc.takeRadio(), "FB014250000;FB;AG0080;");
  EXPECT_EQ(sc.state().lastFrequencyCommand, "FB014250000;");
  EXPECT_EQ(sc.state().commandText, "AG0080;");
}

TEST(CatSend, QueryLeavesTheLastFrequencyAlone) {
  Scenario sc;
  testing::prepareRadio(sc);
  send(sc, "FA007100000");
  send(sc, "FA");
  send(sc, "FB");
  EXPECT_EQ(sc.takeRadio(), "FA007100000;FA;FB;");
  EXPECT_EQ(sc.state().lastFrequencyCommand, "FA007100000;");
}

TEST(CatSend, EightDigitRadiosGetTheShortFormAndTheLogShowsIt) {
  for (int32_t id : {241, 362, 462}) {
    Scenario sc;
    testing::prepareRadio(sc);
    testing::openDebugLog(sc);
    sc.state().radioId = id;
    send(sc, "FA007074000");
    EXPECT_EQ(sc.state().lastFrequencyCommand, "FA007074000;");
    send(sc, "FB021200000");
    EXPECT_EQ(sc.state().lastFrequencyCommand, "FB021200000;");
    send(sc, "FA");
    EXPECT_EQ(sc.takeRadio(), "FA07074000;FB21200000;FA;") << id;
    EXPECT_EQ(logged(sc), "TX=FA07074000;\r\nTX=FB21200000;\r\nTX=FA;\r\n");
  }
}

TEST(CatSend, EightDigitRadioRefusesAFrequencyItWouldMisread) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  sc.state().radioId = 241;
  send(sc, "FA007100000");
  sc.takeRadio();
  send(sc, "FA145000000");
  EXPECT_EQ(sc.takeRadio(), "");
  EXPECT_EQ(sc.takePhrases(), Commands{"invalid"});
  EXPECT_EQ(sc.state().lastFrequencyCommand, "FA007100000;");
  EXPECT_NE(logged(sc).find("TX!=FA145000000;"), std::string::npos);
}

TEST(CatSend, EightDigitCommandFromTheRelayPassesAndIsRememberedInNineDigits) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.state().radioId = 462;
  send(sc, "FA14250000");
  EXPECT_EQ(sc.takeRadio(), "FA14250000;");
  EXPECT_EQ(sc.state().lastFrequencyCommand, "FA014250000;");
  send(sc, "FA0014250000");  // ten digits: both dropped digits are "0"
  EXPECT_EQ(sc.takeRadio(), "FA14250000;");
}

TEST(CatSend, NineDigitRadiosSendEveryDigit) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.state().radioId = 670;
  send(sc, "FA145000000");
  EXPECT_EQ(sc.takeRadio(), "FA145000000;");
  EXPECT_TRUE(sc.takePhrases().empty());
}

TEST(CatSend, NoPortMeansNothingWrittenAndNoFailure) {
  Scenario sc;
  sc.state().comPort = 7;  // never opened
  send(sc, "FA");
  EXPECT_EQ(sc.takePort(7), "");
  EXPECT_EQ(sc.state().commandText, "FA;");
}

TEST(CatFrequencyText, NineDigitsAlwaysEvenBelowOneMegahertz) {
  EXPECT_EQ(frequencyCommand("FA", 14250000), "FA014250000");
  EXPECT_EQ(frequencyCommand("FA", 145000000), "FA145000000");
  EXPECT_EQ(frequencyCommand("FB", 500000), "FB000500000");
  EXPECT_EQ(frequencyCommand("FA", 0), "FA000000000");
  EXPECT_EQ(frequencyCommand("FA", -5), "FA000000000");
  EXPECT_EQ(frequencyCommand("FA", 1234567890), "FA234567890");
}

// ---- Reading -----------------------------------------------------------------

TEST(CatRead, NothingWaitingLeavesAnEmptyReplyAndNoLogLine) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  sc.state().replyText = "stale";
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "");
  EXPECT_EQ(logged(sc), "");
}

TEST(CatRead, RepliesRunTogetherAndShorterRepliesLeaveNoTrace) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  sc.feedRadio("FA014250000;SM0120;");
  readReply(sc.panel);
  const std::string reply = sc.state().replyText.str();
  EXPECT_EQ(replyNumber(reply, "SM0", 3, 3), 120);
  EXPECT_EQ(replyField(reply, "FA", 2, 9), "014250000");
  // An answer cut short is no answer yet; its rest completes it.
  sc.feedRadio("AG0");
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "");
  sc.feedRadio("090;\r\n");
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "AG0090;");
  EXPECT_EQ(logged(sc), "RX=FA014250000;SM0120;\r\nRX=AG0\r\nRX=090;\\x0D\\x0A\r\n");
}

TEST(CatRead, OneReadTakesAtMost255BytesAndTheRestWaits) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.feedRadio(std::string(300, 'x') + "ID0670;");
  readReply(sc.panel);
  EXPECT_EQ(sc.state().portBytes, 255);
  EXPECT_EQ(sc.state().replyText, "");  // noise is no answer
  readReply(sc.panel);
  EXPECT_EQ(sc.state().portBytes, 52);
  EXPECT_EQ(sc.state().replyText, "ID0670;");
}

TEST(CatReplyField, FindsTheMnemonicAndRefusesCutOrForeignFields) {
  EXPECT_EQ(replyNumber("AG0090;", "AG", 3, 3), 90);
  EXPECT_EQ(replyNumber("PL050;", "PL", 2, 3), 50);
  EXPECT_EQ(replyNumber("xxID0670;", "ID", 2, 4), 670);
  EXPECT_EQ(replyNumber("SM0120;", "AG", 3, 3), std::nullopt);  // absent
  EXPECT_EQ(replyNumber("AG00", "AG", 3, 3), std::nullopt);     // cut short
  EXPECT_EQ(replyNumber("AG0;SM", "AG", 3, 3), std::nullopt);   // not digits
  EXPECT_EQ(replyField("NR01;", "NR0", 3, -1), "1;");
  EXPECT_EQ(replyField("AG", "AG", 3, 3), std::nullopt);
  EXPECT_EQ(replyField("", "AG", 3, 3), std::nullopt);
}

TEST(CatDebugLog, KeyLinesHaveTheirOwnForms) {
  EXPECT_EQ(keyLineText(13), "*C/R");
  EXPECT_EQ(keyLineText(190), "*.");
  EXPECT_EQ(keyLineText(110), "*.");
  EXPECT_EQ(keyLineText(97), "*a (1)");
  EXPECT_EQ(keyLineText(96), "*` (0)");
  EXPECT_EQ(keyLineText(105), "*i (9)");
  EXPECT_EQ(keyLineText(70), "*F");
  EXPECT_EQ(keyLineText(32), "* ");

  Scenario sc;
  writeKeyLine(sc.panel);  // logging off: nothing, no file
  EXPECT_FALSE(sc.fileExists("debug.dat"));
  testing::openDebugLog(sc);
  sc.state().keyCode = 97;
  writeKeyLine(sc.panel);
  EXPECT_EQ(logged(sc), "*a (1)\r\n");
}

// ---- Simulator ---------------------------------------------------------------

std::string simulated(Scenario& sc, const std::string& command) {
  sc.state().commandText = command;
  simulateCommand(sc.panel);
  return sc.state().replyText.str();
}

TEST(Simulator, AnswersFromItsTableWithTheProcessorDigit) {
  Scenario sc;
  EXPECT_EQ(simulated(sc, "AG0;"), "AG00900;");
  EXPECT_EQ(simulated(sc, "SQ0;"), "SQ00080;");
  EXPECT_EQ(simulated(sc, "NR0;"), "NR010;");
  EXPECT_EQ(simulated(sc, "ML1;"), "ML10400;");
  EXPECT_EQ(simulated(sc, "RA00;"), "0;");
  EXPECT_EQ(simulated(sc, "ID;"), "ID0670;");
  EXPECT_EQ(simulated(sc, "PL;"), "PL050;");
  EXPECT_EQ(simulated(sc, "VX;"), "VX0;");
  EXPECT_EQ(simulated(sc, "BI;"), "BI1;");
  sc.state().speechProcessor = 1;
  EXPECT_EQ(simulated(sc, "PR0;"), "PR01;");
  EXPECT_EQ(simulated(sc, "FB;"), "1;");
  sc.state().radioId = 362;
  EXPECT_EQ(simulated(sc, "PR;"), "PR1;");
}

TEST(Simulator, ReportsTheLastFrequencyAndModeAndLogsItsReply) {
  Scenario sc;
  testing::openDebugLog(sc);
  sc.state().lastFrequencyCommand = "FA014250000;";
  sc.state().modeIndex = 2;
  EXPECT_EQ(simulated(sc, "FA;"), "FA014250000;");
  EXPECT_EQ(simulated(sc, "MD0;"), "MD02;");
  EXPECT_EQ(logged(sc), "RX=FA014250000;\r\nRX=MD02;\r\n");
}

TEST(Simulator, ReadReplyTakesTheSimulatorInsteadOfThePort) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.state().simulationMode = 1;
  sc.feedRadio("SM0055;");
  sc.state().commandText = "ID;";
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "ID0670;");
  EXPECT_EQ(sc.serial.bytesWaiting(testing::kRadioPort), 7);
}

TEST(Simulator, PollRepliesFollowTheQueryThatWentOut) {
  Scenario sc;
  PanelState& s = sc.state();
  s.lastFrequencyCommand = "FA007100000;";
  s.pollPhase = 1;  // "FA" went out last
  simulatePollReply(sc.panel);
  EXPECT_EQ(s.replyText, "FA007100000;");
  s.vfoB = 1;
  simulatePollReply(sc.panel);
  EXPECT_EQ(s.replyText, "FB007100000;");
  s.pollPhase = 0;
  simulatePollReply(sc.panel);
  EXPECT_EQ(s.replyText, "SM0120");
  s.txState = 10;
  simulatePollReply(sc.panel);
  EXPECT_EQ(s.replyText, "RM6083");
  s.alcAnnounce = 1;
  for (int i = 0; i < 200; ++i) {
    simulatePollReply(sc.panel);
    const std::optional<int32_t> alc = replyNumber(s.replyText, "RM4", 3, 3);
    ASSERT_TRUE(alc.has_value()) << s.replyText.str();
    ASSERT_LE(*alc, 80);
    ASSERT_EQ(s.replyText.size(), 6u);
  }
}

TEST(Simulator, ConnectsOnTheFirstPollAndDrawsTheNextFrequency) {
  Scenario sc;
  PanelState& s = sc.state();
  for (int band = 1; band <= kBandCount; ++band) s.bandTable[band] = kDefaultBandTable[band];
  s.simulationMode = 1;
  s.frequencyDisplay = "7.100000";
  s.commandText = "FA007100000";
  sendCommand(sc.panel);
  sc.tick(2);
  EXPECT_EQ(s.connected, 1);
  EXPECT_EQ(s.radioId, 670);
  const Commands heard = sc.takePhrases();
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back(), "connected");
  EXPECT_EQ(sc.field(285, 150), "");
  sc.tick(4);
  EXPECT_EQ(s.frequency, 7100000);
  EXPECT_EQ(sc.field(285, 150), "  7.100000             ");
}

}  // namespace
}  // namespace keldar
