#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tick.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "cat/simulator.h"
#include "core/models.h"
#include "radio/frequency_reply.h"
#include "radio/radio_line.h"
#include "support/radio_support.h"

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

// What each query has been answered so far.
struct Answers {
  std::vector<std::string> got;
  AnswerHandler take() {
    return [this](const RadioAnswer& a) { got.push_back(a.arrived ? a.text : "none"); };
  }
};

TEST(CatRead, AnswersRunTogetherOrCutShortAreEachTakenWhole) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  Answers answers;
  for (const char* query : {"FA", "SM0", "AG0"}) {
    askRadio(sc.panel, query, Asker::kWork, answers.take());
  }
  serviceRadioLine(sc.panel);
  EXPECT_TRUE(answers.got.empty()) << "nothing waiting, nothing taken";
  sc.feedRadio("FA014250000;SM0120;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(answers.got, (std::vector<std::string>{"FA014250000;", "SM0120;"}));
  // An answer cut short is no answer yet; its rest completes it.
  sc.feedRadio("AG0");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(answers.got.size(), 2u);
  sc.feedRadio("090;\r\n");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(answers.got.back(), "AG0090;");
  EXPECT_EQ(logged(sc),
            "TX=FA;\r\nTX=SM0;\r\nTX=AG0;\r\nRX=FA014250000;SM0120;\r\nRX=AG0\r\n"
            "RX=090;\\x0D\\x0A\r\n");
}

TEST(CatRead, ReadsAtMost255BytesAtATimeAndTheRestFollows) {
  Scenario sc;
  testing::prepareRadio(sc);
  Answers answers;
  askRadio(sc.panel, "ID", Asker::kWork, answers.take());
  sc.feedRadio(std::string(300, 'x') + "ID0670;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(sc.state().portBytes, 52) << "a second read took the rest";
  EXPECT_EQ(answers.got, (std::vector<std::string>{"ID0670;"}));  // noise is no answer
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

TEST(CatReplyWidth, EightDigitFrequencyAnswersGainTheirLeadingDigitAndNothingElseChanges) {
  PanelState s;
  s.frequencyDigits = 8;
  EXPECT_EQ(widenedFrequencyReply(s, "FA14250000;"), "FA014250000;");
  EXPECT_EQ(widenedFrequencyReply(s, "FB14500000;"), "FB014500000;");
  EXPECT_EQ(widenedFrequencyReply(s, "SM0120;"), "SM0120;");
  s.frequencyDigits = 9;
  EXPECT_EQ(widenedFrequencyReply(s, "FA014250000;"), "FA014250000;");
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
  return simulatedAnswer(sc.panel, command);
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
  EXPECT_EQ(simulated(sc, "FB;"), "FB007100000;") << "untuned, it is where it was left";
  sc.state().modeIndex = 4;
  EXPECT_EQ(simulated(sc, "MD0;"), "MD05;") << "AM in the radio's own code";
  sc.state().radioId = 362;
  EXPECT_EQ(simulated(sc, "PR;"), "PR1;");
}

// The simulated radio answers the panel's queries like a port would, and
// leaves every device alone.
TEST(Simulator, AnswersTheQueriesThatWentOutInsteadOfThePort) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  PanelState& s = sc.state();
  s.simulationMode = 1;
  s.lastFrequencyCommand = "FA007100000;";
  s.modeIndex = 2;
  sc.feedRadio("SM0055;");
  Answers answers;
  for (const char* query : {"ID", "FA", "MD0", "SM0"}) {
    askRadio(sc.panel, query, Asker::kWork, answers.take());
  }
  serviceRadioLine(sc.panel);
  EXPECT_EQ(answers.got, (std::vector<std::string>{"ID0670;", "FA007100000;", "MD02;", "SM0120;"}));
  EXPECT_EQ(sc.serial.bytesWaiting(testing::kRadioPort), 7);
  EXPECT_EQ(sc.takeRadio(), "");
  EXPECT_NE(logged(sc).find("RX=ID0670;FA007100000;MD02;SM0120;\r\n"), std::string::npos);
  s.vfoB = 1;
  EXPECT_EQ(simulated(sc, "FB;"), "FB007100000;");
  s.txState = 10;
  EXPECT_EQ(simulated(sc, "RM6;"), "RM6083;");
  for (int i = 0; i < 200; ++i) {
    const std::string alc = simulated(sc, "RM4;");
    const std::optional<int32_t> level = replyNumber(alc, "RM4", 3, 3);
    ASSERT_TRUE(level.has_value()) << alc;
    ASSERT_LE(*level, 80);
    ASSERT_EQ(alc.size(), 7u);
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
  sc.tick(4);
  EXPECT_EQ(s.frequency, 7100000);
  EXPECT_EQ(sc.field(285, 150), "  7.100000             ");
}

}  // namespace
}  // namespace keldar
