// The radio link as real links and radios behave: answers among CR, LF, NUL,
// noise and echoes; the frequency width the radio shows; the radio lost and
// found again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/tick.h"
#include "cat/answers.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "radio/radio_line.h"
#include "speech/player.h"
#include "support/radio_support.h"

namespace keldar {
namespace {

using testing::kRadioPort;
using testing::Scenario;
using testing::splitCommands;
using testing::vkOf;
using Commands = std::vector<std::string>;

// A radio that answers "FA;" with its frequency in `digits` digits and
// "ID;" with `id`; with echo, the link repeats each command first.
void answerLike(Scenario& sc, const std::string& id, int digits, bool echo = false,
                const std::string& suffix = "") {
  sc.serial.setResponder([=](int port, const std::string& written) {
    if (port != kRadioPort) return std::string();
    std::string answer;
    if (written == "FA;") answer = digits == 8 ? "FA07100000;" : "FA007100000;";
    if (written == "ID;") answer = "ID" + id + ";";
    if (written == "SM0;") answer = "SM0050;";
    return (echo ? written : std::string()) + (answer.empty() ? "" : answer + suffix);
  });
}

// Ticks until the set-up has run and the radio is connected (its queries
// this radio leaves unanswered wait out their deadlines).
void tickUntilConnected(Scenario& sc) {
  for (int i = 0; i < 200 && sc.state().connected == 0; ++i) sc.tick();
  ASSERT_EQ(sc.state().connected, 1)
      << "set-up " << sc.state().setupRunning << " steps " << sc.panel.steps.size() << " lost "
      << sc.state().linkLost << " pausing " << sc.panel.waits.pausing << " out "
      << sc.panel.exchange.out.size();
}

TEST(Answers, FoundAmongLineEndsNoiseAndCutAnswers) {
  const FoundAnswers found = findAnswers(std::string("\r\nFA014250000;\r\n\0SM0120;", 25) +
                                         "xx#ID0670;FA0071SM0077;?;FA0142\r\nAG0");
  EXPECT_EQ(found.answers, (Commands{"FA014250000;", "SM0120;", "ID0670;", "SM0077;", "?;"}));
  EXPECT_EQ(found.tail, "AG0");  // the cut "FA0142" before the LF is gone
}

TEST(Answers, EchoOfThePanelsOwnCommandsIsSkipped) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::openDebugLog(sc);
  PanelState& s = sc.state();
  answerLike(sc, "0670", 9, true, "\r\n");
  tickUntilConnected(sc);
  EXPECT_EQ(s.linkEchoes, 1);
  // The set-up's queries are read past their echoes: "AG0;" is no AF gain.
  EXPECT_EQ(s.radioId, 670);
  closeFile(s.debugFile);
  EXPECT_NE(sc.readFile("debug.dat").find("RX=FA;FA007100000;\\x0D\\x0A\r\n"), std::string::npos);
  // Without an echoing link, an answer that equals an earlier setting is kept.
  Scenario plain;
  testing::prepareRadio(plain);
  noteCommandSent(plain.state(), "PR00;");
  EXPECT_EQ(takeRadioBytes(plain.panel, "PR00;"), "PR00;");
}

TEST(FrequencyWidth, LearnedFromTheRadiosAnswersWhateverItsId) {
  struct Case {
    std::string id;
    int digits;
    std::string bandCommand;
  };
  // 0583 and 0251 are not in the eight-digit list; 0241 is, but answers nine.
  for (const Case& c : {Case{"0583", 8, "FA07100000;"}, Case{"0251", 8, "FA07100000;"},
                        Case{"0241", 9, "FA007100000;"}}) {
    Scenario sc;
    testing::prepareRadio(sc);
    answerLike(sc, c.id, c.digits);
    tickUntilConnected(sc);
    const Commands sent = splitCommands(sc.takeRadio());
    // The set-up tunes the band in the radio's own width.
    const auto selected = std::find(sent.begin(), sent.end(), "VS0;");
    ASSERT_NE(selected, sent.end()) << c.id;
    EXPECT_EQ(*(selected + 1), c.bandCommand) << c.id;
    sc.tick(4);
    EXPECT_EQ(sc.state().frequency, 7100000) << c.id;
    EXPECT_EQ(sc.state().frequencyDisplay, "  7.100000");
  }
  // Learned while connected: the band goes out again in the new width.
  Scenario sc;
  testing::prepareRadio(sc);
  sc.state().connected = 1;
  sc.state().bandIndex = 4;
  sc.feedRadio("FA07100000;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "FA07100000;");
  EXPECT_EQ(sc.state().frequencyDigits, 8);
}

TEST(LinkWatch, DeviceGoneIsLostOnceKeysSayNcAndThePortIsRetriedUntilItAnswers) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  answerLike(sc, "0670", 9);
  tickUntilConnected(sc);
  ASSERT_EQ(s.frequency, 7100000);
  sc.takePhrases();
  sc.serial.loseDevice(kRadioPort);
  sc.serial.failOpen(kRadioPort);
  sc.tick();
  EXPECT_EQ(sc.takePhrases(), Commands{"lost"});
  sc.press(vkOf('F'));
  EXPECT_EQ(sc.takePhrases(), Commands{"nc"});
  const int tries = sc.serial.port(kRadioPort).openTries;
  sc.tick(60);  // three seconds: three tries, nothing said again
  EXPECT_EQ(sc.serial.port(kRadioPort).openTries, tries + 3);
  EXPECT_TRUE(sc.takePhrases().empty());
  EXPECT_EQ(s.frequency, 7100000);  // the state is kept
  sc.serial.restoreOpen(kRadioPort);
  tickUntilConnected(sc);
  sc.tick();
  EXPECT_EQ(sc.takePhrases().back(), "connected");
  // A key right after "connected" acts.
  sc.press(vkOf('F'));
  const Commands heard = sc.takePhrases();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "mhz"), heard.end());
  sc.tick(2);
  EXPECT_EQ(s.linkLost, 0);
}

TEST(LinkWatch, SilentRadioIsLostAfterTwoSecondsAndQEndsAtOnce) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.running = 1;
  answerLike(sc, "0670", 9);
  tickUntilConnected(sc);
  sc.tick(2);
  sc.takePhrases();
  sc.serial.setResponder(nullptr);
  sc.tick(38);  // 1.9 s without an answer
  EXPECT_EQ(s.linkLost, 0);
  sc.tick(4);
  EXPECT_EQ(s.linkLost, 1);
  EXPECT_EQ(sc.takePhrases(), Commands{"lost"});
  sc.takeRadio();
  sc.press(vkOf('Q'));
  EXPECT_EQ(s.running, 0);
  EXPECT_EQ(sc.takeRadio(), "");  // no countdown waiting for answers that cannot come
}

TEST(LinkWatch, ARadioThatWasNotThereAtStartIsFoundLater) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.serial.closePort(kRadioPort);  // its device did not open at start
  sc.state().radioPortOpen = 0;
  answerLike(sc, "0670", 9);
  tickUntilConnected(sc);
  // The band the set-up tuned is spoken, and the next key acts on it.
  const Commands connecting = sc.takePhrases();
  EXPECT_NE(std::find(connecting.begin(), connecting.end(), "mhz"), connecting.end());
  EXPECT_EQ(std::find(connecting.begin(), connecting.end(), "nc"), connecting.end());
  EXPECT_EQ(connecting.back(), "connected");
  sc.press(vkOf('F'));
  EXPECT_EQ(sc.takePhrases(), (Commands{"7", "point", "1", "mhz", "lsb"}));
}

// Where `wanted` stands in `sent`, or -1.
int indexOf(const Commands& sent, const std::string& wanted, std::size_t from = 0) {
  const auto it = std::find(sent.begin() + static_cast<long>(from), sent.end(), wanted);
  return it == sent.end() ? -1 : static_cast<int>(it - sent.begin());
}

TEST(LinkWatch, AKeyedTransmitterIsReleasedWhileLostAndFirstWhenTheRadioReturns) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.tunerSetting = 1;  // T keys a carrier
  s.powerLevel = 50;
  s.swrOnTx = 1;
  answerLike(sc, "0670", 9);
  tickUntilConnected(sc);
  auto loseTheRadio = [&] {
    sc.serial.setResponder(nullptr);
    sc.tick(44);
    ASSERT_EQ(s.linkLost, 1);
    sc.takeRadio();
    sc.takePhrases();
  };

  // Space keys, the radio falls silent, Space still unkeys it.
  sc.press(' ');
  ASSERT_EQ(s.txState, 11);
  ASSERT_NO_FATAL_FAILURE(loseTheRadio());
  sc.press(' ');
  EXPECT_EQ(splitCommands(sc.takeRadio()), Commands{"TX0;"});
  EXPECT_EQ(sc.takePhrases(), (Commands{"tx", "off"}));
  EXPECT_EQ(s.txState, 0);
  EXPECT_EQ(s.swrOnTx, 1);
  sc.press(' ');  // not keyed now: the radio is still not there
  EXPECT_EQ(sc.takePhrases(), Commands{"nc"});
  EXPECT_EQ(sc.takeRadio(), "");

  // A tune carrier when the radio goes; T ends it as ever.
  answerLike(sc, "0670", 9);
  sc.tick(40);
  ASSERT_EQ(s.linkLost, 0);
  sc.press('T');
  ASSERT_EQ(s.tuneActive, 1);
  ASSERT_NO_FATAL_FAILURE(loseTheRadio());
  sc.press('T');
  // Receive at once; the power and mode wait for the radio to answer again
  // (its set-up sends them).
  Commands sent = splitCommands(sc.takeRadio());
  EXPECT_EQ(sent, Commands{"TX0;"});
  EXPECT_EQ(s.tuneActive, 0);

  // The carrier is still on when the radio returns: receive comes first, then
  // the operator's power and mode, then the set-up, which sends no more power.
  answerLike(sc, "0670", 9);
  sc.tick(40);
  tickUntilConnected(sc);
  sc.tick(2);
  sc.press('T');
  ASSERT_EQ(s.tuneActive, 1);
  ASSERT_NO_FATAL_FAILURE(loseTheRadio());
  answerLike(sc, "0670", 9);
  tickUntilConnected(sc);
  sent = splitCommands(sc.takeRadio());
  // While it may be keyed, every "who are you" comes with a receive; once it
  // has answered, the set-up's first act is receive, the power and the mode.
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Commands(sent.begin(), sent.begin() + 2), (Commands{"TX0;", "ID;"}));
  const int setUp = indexOf(sent, "ID;", 2);
  ASSERT_GE(setUp, 3);
  EXPECT_EQ(Commands(sent.begin() + setUp - 3, sent.begin() + setUp),
            (Commands{"TX0;", "PC050;", "MD01;"}));
  for (int i = 0; i < setUp - 3; ++i) {
    EXPECT_TRUE(sent[static_cast<std::size_t>(i)] == "TX0;" ||
                sent[static_cast<std::size_t>(i)] == "ID;")
        << sent[static_cast<std::size_t>(i)];
  }
  EXPECT_EQ(indexOf(sent, "TX1;"), -1);
  EXPECT_EQ(s.tuneActive, 0);
  sc.takePhrases();
  sc.press('J');  // keys act again: no "ton"
  const Commands heard = sc.takePhrases();
  EXPECT_EQ(std::find(heard.begin(), heard.end(), "ton"), heard.end());

  // A client's PTT is the panel's too: Space releases it, lost or not.
  s.relayKeyed = 1;
  ASSERT_NO_FATAL_FAILURE(loseTheRadio());
  sc.press(' ');
  EXPECT_EQ(splitCommands(sc.takeRadio()), Commands{"TX0;"});
  EXPECT_EQ(s.relayKeyed, 0);
}

}  // namespace
}  // namespace keldar
