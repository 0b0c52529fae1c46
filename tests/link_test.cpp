// The radio link as real links and radios behave: answers among CR, LF, NUL,
// noise and echoes; the frequency width the radio shows; the radio lost and
// found again; the pause before a reply without a "delay" recording.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/tick.h"
#include "radio/answers.h"
#include "radio/cat.h"
#include "radio_support.h"
#include "speech/player.h"

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
  sc.tick(2);
  EXPECT_EQ(s.linkEchoes, 1);
  EXPECT_EQ(s.connected, 1);
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
    sc.tick(2);
    ASSERT_EQ(sc.state().connected, 1) << c.id;
    const Commands sent = splitCommands(sc.takeRadio());
    // The set-up tunes the band in the radio's own width.
    EXPECT_EQ(sent[2 + (c.id == "0241" ? 1 : 0)], c.bandCommand) << c.id;
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
  readReply(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "FA07100000;");
  EXPECT_EQ(sc.state().frequencyDigits, 8);
}

TEST(LinkWatch, DeviceGoneIsLostOnceKeysSayNcAndThePortIsRetriedUntilItAnswers) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  answerLike(sc, "0670", 9);
  sc.tick(6);
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
  sc.tick(20 + 4);
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
  sc.tick(6);
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
  answerLike(sc, "0670", 9);
  for (int i = 0; i < 60 && sc.state().connected == 0; ++i) sc.tick();
  EXPECT_EQ(sc.state().connected, 1);
  // The band the set-up tuned is spoken, and the next key acts on it.
  const Commands connecting = sc.takePhrases();
  EXPECT_NE(std::find(connecting.begin(), connecting.end(), "mhz"), connecting.end());
  EXPECT_EQ(std::find(connecting.begin(), connecting.end(), "nc"), connecting.end());
  EXPECT_EQ(connecting.back(), "connected");
  sc.press(vkOf('F'));
  EXPECT_EQ(sc.takePhrases(), (Commands{"7", "point", "1", "mhz", "lsb"}));
}

TEST(Pause, WithoutADelayRecordingTheWaitIsTimed) {
  Scenario sc;
  const uint32_t before = sc.clock.waited;
  playDelay(sc.panel);
  EXPECT_EQ(sc.clock.waited - before, kDelayMs);
  EXPECT_EQ(sc.takeSoundPaths().size(), 1u);  // the recording was still asked for
}

}  // namespace
}  // namespace keldar
