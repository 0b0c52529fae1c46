// The timer tick's poll cycle and the handling of frequency replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/tick.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "display/display.h"
#include "radio/frequency_reply.h"
#include "support/radio_support.h"

namespace keldar {
namespace {

using testing::Scenario;
using testing::splitCommands;
using Commands = std::vector<std::string>;

// A scenario past the first frequency reply, so replies are used.
void prepareConnected(Scenario& sc) {
  testing::prepareRadio(sc);
  sc.state().connected = 1;
  sc.state().radioId = 670;
}

// The radio answers every frequency poll at once (with `frequency`) and the
// test gives each meter poll's answer by hand.
void answerFrequencyPolls(Scenario& sc, const std::string& frequency = "FA014250000;") {
  // The mode poll, in a meter's turn once a second, finds the panel's mode.
  testing::answerFrom(sc, {{"FA;", frequency}, {"FB;", frequency}, {"MD0;", "MD01;"}});
}

// Ticks until a meter poll is out, gives it `answer` and reads it.
void pollWithAnswer(Scenario& sc, const std::string& answer) {
  for (int i = 0; i < 8 && queriesOut(sc.panel, Asker::kPoll) == 0; ++i) sc.tick();
  sc.feedRadio(answer);
  sc.tick();
}

void handle(Scenario& sc, const std::string& reply) {
  handleFrequencyReply(sc.panel, reply);
}

// ---- The four-tick cycle -----------------------------------------------------

// A silent radio is asked once, and again only when that query's deadline
// has passed: polls never pile up on a radio that does not answer.
TEST(Polling, SilentRadioIsNotBuriedUnderPollsAndNothingIsSpoken) {
  Scenario sc;
  testing::prepareRadio(sc);
  sc.tick(8);
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"FA;"}));
  sc.tick(kAnswerTimeoutMs / 50 + 1);
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"SM0;"}));
  EXPECT_TRUE(sc.takeSoundPaths().empty());
  EXPECT_EQ(sc.state().connected, 0);
}

TEST(Polling, MeterQueryFollowsTransmitTuneAndMicGainReadout) {
  Scenario sc;
  prepareConnected(sc);
  testing::answerFrom(
      sc, {{"FA;", "FA014250000;"}, {"SM0;", "SM0010;"}, {"RM6;", "RM6010;"}, {"RM4;", "RM4010;"}});
  PanelState& s = sc.state();
  sc.tick(4);
  s.txState = 10;
  sc.tick(4);
  s.txState = 0;
  s.tuneActive = 1;
  sc.tick(4);
  s.alcAnnounce = 1;
  sc.tick(4);
  EXPECT_EQ(splitCommands(sc.takeRadio()),
            (Commands{"FA;", "SM0;", "FA;", "RM6;", "FA;", "RM6;", "FA;", "RM4;"}));
}

TEST(Polling, TickCountWrapsAfterTwenty) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  sc.tick(20);
  EXPECT_EQ(s.tickCount, 20);
  sc.tick();
  EXPECT_EQ(s.tickCount, 0);
}

// An answer that comes late, within its query's deadline, is still the
// answer to that query; the next poll waits for it.
TEST(Polling, ALateAnswerIsStillTakenAndTheNextPollWaitsForIt) {
  Scenario sc;
  prepareConnected(sc);
  sc.tick(6);
  EXPECT_EQ(sc.takeRadio(), "FA;");
  sc.feedRadio("FA014250000;");
  sc.tick();
  EXPECT_EQ(sc.state().frequency, 14250000);
  sc.tick(2);
  EXPECT_EQ(sc.takeRadio(), "SM0;");
}

TEST(Polling, SMeterIsRedrawnWithoutASound) {
  Scenario sc;
  prepareConnected(sc);
  answerFrequencyPolls(sc);
  pollWithAnswer(sc, "SM0120;");
  EXPECT_EQ(sc.state().sMeterReading, 120);
  EXPECT_TRUE(sc.takePhrases().empty());
  const std::vector<std::string> asked = sc.takeSoundPaths();
  ASSERT_FALSE(asked.empty());
  for (const std::string& path : asked) EXPECT_EQ(path.rfind("xx", 0), 0u) << path;
  EXPECT_FALSE(sc.field(750, 45).empty());  // the field is redrawn
  EXPECT_EQ(sc.state().phraseDir, "wave\\");
  pollWithAnswer(sc, "");
  pollWithAnswer(sc, "SM0;");  // no reading in it: the old one stays
  EXPECT_EQ(sc.state().sMeterReading, 120);
}

TEST(Polling, SwrIsPeakHeldAfterTheFirstTwoReadingsOfATransmission) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.txState = 10;
  s.swrHoldOff = 2;
  s.swrText = "000";
  answerFrequencyPolls(sc);
  const std::vector<std::pair<std::string, std::string>> readings = {
      {"RM6050;", "050"},   {"RM6030;", "030"}, {"RM6040;", "040"}, {"RM6020;", "040"},
      {"xxRM6090;", "090"}, {"RM60", "090"},    {"50;", "090"},
  };
  for (const auto& [answer, held] : readings) {
    pollWithAnswer(sc, answer);
    EXPECT_EQ(s.swrText.str(), held) << answer;
  }
  EXPECT_EQ(s.swrHoldOff, 0);
  // A tune carrier's readings are not held.
  s.txState = 0;
  s.tuneActive = 1;
  pollWithAnswer(sc, "RM6010;");
  EXPECT_EQ(s.swrText, "010");
}

TEST(Polling, AnswersThatStraddleReadsAreJoined) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  sc.tick();
  sc.feedRadio("FA0142");  // the rest comes with the next read
  sc.tick();
  EXPECT_EQ(s.frequency, 0);
  sc.feedRadio("50000;");
  sc.tick();
  EXPECT_EQ(s.frequency, 14250000);
  pollWithAnswer(sc, "SM0");
  pollWithAnswer(sc, "120;");
  EXPECT_EQ(s.sMeterReading, 120);
  // Answers read together are each taken; a stray end of an older one is not.
  sc.tick(2);
  sc.feedRadio("0;FA014074000;SM");
  sc.tick(3);
  EXPECT_EQ(s.frequency, 14074000);
  // A query of the panel's own between the polls takes what follows the
  // unfinished answer.
  std::string menu;
  askRadio(sc.panel, "ML0", Asker::kWork, [&menu](const RadioAnswer& a) { menu = a.text; });
  sc.feedRadio("0077;ML0001;");
  sc.tick();
  EXPECT_EQ(s.sMeterReading, 77);
  EXPECT_EQ(menu, "ML0001;");
  EXPECT_EQ(s.pollReplyTail, "");
}

TEST(Polling, AlcPeakIsHeldWhileTheReadoutRuns) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.alcAnnounce = 1;
  answerFrequencyPolls(sc);
  for (const char* answer : {"RM4030;", "RM4070;", "RM4010;"}) pollWithAnswer(sc, answer);
  EXPECT_EQ(s.alcPeak, 70);
  // Spoken once the tick count passed 10, at the third reading.
  EXPECT_EQ(sc.takePhrases(), (Commands{"alc", "7", "0"}));
  EXPECT_EQ(s.tickCount, 0);
  s.alcAnnounce = 0;
  pollWithAnswer(sc, "RM4099;");
  EXPECT_EQ(s.alcPeak, 70);
}

// The radio's mode is read about once a second, in a meter's turn: a mode
// changed at the radio is shown, kept in the band record and spoken once; an
// answer to a read written before the panel's own mode command is stale; a
// radio that refuses the read is asked only now and then.
TEST(Polling, TheRadiosOwnModeIsFollowedAndSpokenOnce) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.bandIndex = 6;
  s.modeIndex = 2;
  std::string mode = "MD02;";
  int modeReads = 0;
  sc.serial.setResponder([&](int, const std::string& written) {
    if (written == "FA;") return std::string("FA014200000;");
    if (written == "SM0;") return std::string("SM0050;");
    if (written != "MD0;") return std::string();
    ++modeReads;
    return mode;
  });
  sc.tick(30);
  EXPECT_EQ(modeReads, 1);
  EXPECT_TRUE(sc.takePhrases().empty()) << "the mode the panel holds says nothing";

  mode = "MD0C;";  // DATA-U chosen at the radio
  sc.tick(20);
  EXPECT_EQ(s.modeIndex, 2);
  EXPECT_EQ(s.radioModeCode, 'C');
  EXPECT_EQ(sc.takePhrases(), (Commands{"usb", "data"}));
  EXPECT_EQ(sc.field(kModeField.x, kModeField.y), "USB data");
  sc.tick(20);
  EXPECT_TRUE(sc.takePhrases().empty()) << "spoken once";
  mode = "MD03;";
  sc.tick(20);
  EXPECT_EQ(s.modeIndex, 3);
  EXPECT_EQ(s.bandTable[6].str()[1], '3');
  EXPECT_EQ(sc.takePhrases(), Commands{"cw"});

  // The panel commands LSB while a read is on its way: its CW answer is stale.
  sc.serial.setAnswerLag(1);
  for (int i = 0; i < 40; ++i) {
    if (!sc.panel.exchange.out.empty() && sc.panel.exchange.out.front().mnemonic == "MD") break;
    sc.tick();
  }
  ASSERT_FALSE(sc.panel.exchange.out.empty());
  s.commandText = "MD01";
  sendCommand(sc.panel);
  s.modeIndex = 1;
  sc.tick(3);
  EXPECT_EQ(s.modeIndex, 1);
  EXPECT_TRUE(sc.takePhrases().empty());

  sc.serial.setAnswerLag(0);
  mode = "?;";
  modeReads = 0;
  sc.tick(160);  // eight seconds: three refusals, then a pause
  EXPECT_EQ(modeReads, 3);
  EXPECT_EQ(s.modeIndex, 1);
}

TEST(Polling, IdentifiesTheRadioFromAnyReplyOnce) {
  Scenario sc;
  testing::prepareRadio(sc);
  pollWithAnswer(sc, "SM0000;ID0670;");
  EXPECT_EQ(sc.state().radioId, 670);
  pollWithAnswer(sc, "ID0241;");
  EXPECT_EQ(sc.state().radioId, 670);
  Scenario garbage;
  testing::prepareRadio(garbage);
  pollWithAnswer(garbage, "ID;");
  EXPECT_EQ(garbage.state().radioId, 0);
}

TEST(Polling, EightDigitRepliesAreWidenedBeforeUseAndLoggedAsRead) {
  Scenario sc;
  prepareConnected(sc);
  testing::openDebugLog(sc);
  sc.state().radioId = 462;
  pollWithAnswer(sc, "FB14250000;");
  EXPECT_EQ(sc.state().frequencyReply, "FB014250000");
  EXPECT_EQ(sc.state().vfoBText, "B014250000");
  closeFile(sc.state().debugFile);
  EXPECT_NE(sc.readFile("debug.dat").find("RX=FB14250000;\r\n"), std::string::npos);
}

// ---- Frequency replies ---------------------------------------------------------

// The first answer runs the set-up (its unanswered queries wait out their
// deadlines); "connected" comes with the frequency the set-up tuned, so the
// next key acts on it.
TEST(FrequencyReply, FirstReplyConnectsWithTheFrequencyTheSetUpTuned) {
  Scenario sc;
  testing::prepareRadio(sc);
  testing::answerFrom(sc, {{"FA;", "FA014250000;"}, {"ID;", "ID0670;"}});
  sc.tick();
  EXPECT_EQ(sc.state().setupRunning, 1);
  for (int i = 0; i < 60 && sc.state().connected == 0; ++i) sc.tick();
  EXPECT_EQ(sc.state().connected, 1);
  // The answer came before the set-up tuned 40 m: that is where the radio is.
  EXPECT_EQ(sc.state().frequency, 7100000);
  EXPECT_EQ(sc.state().frequencyReply, "FA007100000");
  EXPECT_EQ(sc.takePhrases().back(), "connected");
  const Commands sent = splitCommands(sc.takeRadio());
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[1], "ID;");  // the set-up ran
  const auto selected = std::find(sent.begin(), sent.end(), "VS0;");
  ASSERT_NE(selected, sent.end());
  EXPECT_EQ(*(selected + 1), "FA007100000;") << "the band's frequency";
  EXPECT_EQ(sc.state().frequency, 7100000);
  sc.press(testing::vkOf('J'));
  EXPECT_EQ(splitCommands(sc.takeRadio()), Commands{"FA007100000;"}) << "a key acts at once";
}

TEST(FrequencyReply, SetsFrequencyTextsAndDrawsThem) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.frequency, 14250000);
  EXPECT_EQ(s.frequencyDisplay, " 14.250000");
  EXPECT_EQ(s.vfoAText, "A014250000");
  EXPECT_EQ(s.frequencyReply, "FA014250000");
  EXPECT_EQ(s.replyText, "");
  EXPECT_EQ(sc.field(285, 150), " 14.250000             ");
  EXPECT_EQ(sc.field(80, 150), "        ");
  s.vfoB = 1;
  handle(sc, "FB145000000;");
  EXPECT_EQ(s.frequencyDisplay, "145.000000");
  EXPECT_EQ(s.vfoBText, "B145000000");
  EXPECT_EQ(s.vfoAText, "A014250000");
  EXPECT_EQ(sc.field(80, 150), "B       ");
  s.vfoB = 0;
  s.repeaterMode = 1;
  handle(sc, "FA000500000;");
  EXPECT_EQ(s.frequencyDisplay, "   .500000");
  EXPECT_EQ(s.frequency, 500000);
  EXPECT_EQ(sc.field(80, 150), "R       ");
}

TEST(FrequencyReply, MalformedRepliesChangeNothing) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  handle(sc, "FA014250000;");
  const std::string band6 = s.bandTable[6].str();
  const std::size_t prints = sc.screen.prints.size();
  for (const char* bad : {"FA14250000;", "FA0142", "FA014250000", "FA01425X000;", "FA 14250000;",
                          "FA-14250000;", "FA014250000SM0;", "FA;", "FA0142;0000;"}) {
    handle(sc, bad);
    EXPECT_EQ(s.frequency, 14250000) << bad;
    EXPECT_EQ(s.frequencyReply, "FA014250000") << bad;
  }
  EXPECT_EQ(sc.screen.prints.size(), prints);
  EXPECT_EQ(s.bandTable[6].str(), band6);
  EXPECT_EQ(s.connected, 1);
}

TEST(FrequencyReply, QuitTakesEffectAtTheSecondReplyAfterTheKey) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.running = 1;
  s.quitCountdown = 1;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.running, 1);
  EXPECT_EQ(s.quitCountdown, 2);
  s.announceOnReply = 1;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.running, 0);
  EXPECT_EQ(s.quitCountdown, 0);
  EXPECT_EQ(s.announceOnReply, 1);  // the quit stops before any announcement
}

TEST(FrequencyReply, QuitThatCannotSaveTheBanksKeepsRunningAndSaysSo) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.running = 1;
  s.quitCountdown = 2;
  sc.files.fail = true;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.running, 1);
  EXPECT_EQ(s.quitCountdown, 0);
  const Commands heard = sc.takePhrases();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "notsaved"), heard.end());
  sc.files.fail = false;
  s.quitCountdown = 2;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.running, 0);
  EXPECT_TRUE(sc.fileExists("savmem.dat"));
}

TEST(FrequencyReply, AnnouncementAndTracking) {
  Scenario sc;
  prepareConnected(sc);
  PanelState& s = sc.state();
  s.announceOnReply = 1;
  s.preampOn = 1;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.announceOnReply, 0);
  Commands heard = sc.takePhrases();
  ASSERT_GE(heard.size(), 2u);
  EXPECT_EQ((Commands{heard.end() - 2, heard.end()}), (Commands{"preamp", "on"}));
  s.frequencyTracking = 1;
  handle(sc, "FA014250000;");
  EXPECT_EQ(s.frequencyTracking, 2);
  EXPECT_TRUE(sc.takePhrases().empty());
}

TEST(FrequencyReply, BandOfTheFrequencyAndWhetherTheModeBelongsThere) {
  Scenario sc;
  PanelState& s = sc.state();
  struct Case {
    const char* reply;
    int32_t mode, band, valid;
  };
  for (const Case& c :
       {Case{"FA028500000", 2, 10, 1}, Case{"FA029600000", 2, 10, 1}, Case{"FA027000000", 4, 14, 1},
        Case{"FA145000000", 6, 12, 1}, Case{"FA050200000", 6, 11, 0}, Case{"FA014200000", 5, 6, 0},
        Case{"FA001900000", 1, 1, 1}, Case{"FA449999999", 5, 13, 1}, Case{"FA450000000", 5, 14, 1},
        Case{"FA000500000", 4, 14, 1}, Case{"FA028500000", 7, 10, 1}}) {
    s.frequencyReply = c.reply;
    s.modeIndex = c.mode;
    bandForFrequency(sc.panel);
    EXPECT_EQ(s.bandIndex, c.band) << c.reply;
    EXPECT_EQ(s.bandRecordValid, c.valid) << c.reply;
  }
}

TEST(FrequencyReply, RememberBandModeChangesOnlyTheModeDigit) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.bandIndex = 6;
  s.modeIndex = 3;
  rememberBandMode(sc.panel);
  EXPECT_EQ(s.bandTable[6], "03A014200000B0142000009991");
  s.bandTable[6] = "02A014200000A014250000";  // a record left by split
  rememberBandMode(sc.panel);
  EXPECT_EQ(s.bandTable[6], "03A014200000A014250000");
  s.relayActive = 1;
  s.modeIndex = 1;
  rememberBandMode(sc.panel);
  EXPECT_EQ(s.bandTable[6], "03A014200000A014250000");
  s.relayActive = 0;
  s.bandIndex = 0;  // no such band: nothing written anywhere
  rememberBandMode(sc.panel);
  s.bandIndex = 15;
  rememberBandMode(sc.panel);
  EXPECT_EQ(s.bandTable[0], "");
}

}  // namespace
}  // namespace keldar
