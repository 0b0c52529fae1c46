#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/events.h"
#include "app/startup.h"
#include "share/relay.h"
#include "speech/player.h"
#include "support/radio_support.h"

namespace keldar {
namespace {

using testing::kRelayPort;
using testing::Scenario;
using testing::splitCommands;
using Commands = std::vector<std::string>;

void prepareRelay(Scenario& sc) {
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.connected = 1;
  s.radioId = 670;
  s.relayPort = kRelayPort;
  sc.serial.openPort(kRelayPort, s.baudRate);
  testing::answerFrom(sc, {{"FA;", "FA014250000;"},
                           {"FB;", "FB007000000;"},
                           {"ID;", "ID0670;"},
                           {"AI;", "AI0;"},
                           {"MD0;", "MD02;"},
                           {"TX;", "TX0;"}});
}

void fromPeer(Scenario& sc, const std::string& bytes) {
  sc.serial.feed(kRelayPort, bytes);
}

// True when `expected` appear in `sent` in this order (the panel's own
// commands, such as a redraw after a mode change, may come in between).
bool inOrder(const Commands& sent, const Commands& expected) {
  auto it = sent.begin();
  for (const std::string& command : expected) {
    it = std::find(it, sent.end(), command);
    if (it == sent.end()) return false;
    ++it;
  }
  return true;
}

// Runs services until nothing is left; the radio's and the peer's bytes.
std::pair<Commands, std::string> serviceAll(Scenario& sc, int services = 10) {
  for (int i = 0; i < services; ++i) servicePanel(sc.panel);
  return {splitCommands(sc.takeRadio()), sc.takePort(kRelayPort)};
}

TEST(Relay, QueryIsForwardedAndTheFrequencyAnswerAlsoUpdatesThePanel) {
  Scenario sc;
  prepareRelay(sc);
  PanelState& s = sc.state();
  const std::string band6 = s.bandTable[6].str();
  fromPeer(sc, "FA;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "FA;");
  EXPECT_EQ(sc.takePort(kRelayPort), "FA014250000;");
  EXPECT_EQ(s.frequency, 14250000);
  EXPECT_EQ(s.relayActive, 1);
  EXPECT_EQ(s.bandTable[6].str(), band6);  // what the other program tunes is not stored
  // The answer is passed on as soon as it is there: nothing waited for it.
  EXPECT_EQ(sc.takePhrases(), Commands{});
  EXPECT_EQ(sc.clock.waited, 0u);
}

TEST(Relay, FrequencySetByThePeerIsThePanelsAtOnce) {
  Scenario sc;
  prepareRelay(sc);
  PanelState& s = sc.state();
  const std::string band8 = s.bandTable[8].str();
  fromPeer(sc, "FA021200000;");
  servicePanel(sc.panel);
  EXPECT_EQ(s.frequency, 21200000);
  EXPECT_EQ(s.frequencyReply, "FA021200000");
  EXPECT_EQ(s.bandTable[8].str(), band8);
  s.radioId = 462;  // the eight-digit form counts the same
  fromPeer(sc, "FA21250000;");
  servicePanel(sc.panel);
  EXPECT_EQ(s.frequency, 21250000);
}

TEST(Relay, EightDigitAnswerGoesBackAsItCameAndUpdatesThePanel) {
  Scenario sc;
  prepareRelay(sc);
  sc.state().radioId = 462;
  testing::answerFrom(sc, {{"FA;", "FA14250000;"}});
  fromPeer(sc, "FA;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takePort(kRelayPort), "FA14250000;");
  EXPECT_EQ(sc.state().frequency, 14250000);
}

TEST(Relay, VfoBTurnsTheForwardedQueryIntoFb) {
  Scenario sc;
  prepareRelay(sc);
  sc.state().vfoB = 1;
  fromPeer(sc, "FA;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "FB;");
  EXPECT_EQ(sc.takePort(kRelayPort), "FB007000000;");
  EXPECT_EQ(sc.state().frequency, 0);  // only FA answers are taken over here
}

TEST(Relay, ModeSettingIsTakenOverThroughTheModeTable) {
  struct Case {
    const char* command;
    int32_t mode;
  };
  for (const Case& c :
       {Case{"MD01;", 1}, Case{"MD02;", 2}, Case{"MD03;", 3}, Case{"MD05;", 4}, Case{"MD0B;", 5},
        Case{"MD0E;", 6}, Case{"MD04;", 7}, Case{"MD0C;", 3}, Case{"MD0F;", 3}, Case{"MD09;", 3}}) {
    Scenario sc;
    prepareRelay(sc);
    sc.state().modeIndex = 3;
    fromPeer(sc, c.command);
    servicePanel(sc.panel);
    // The panel's redraw may follow with commands of its own.
    EXPECT_EQ(splitCommands(sc.takeRadio()).front(), c.command);
    EXPECT_EQ(sc.state().modeIndex, c.mode) << c.command;
    EXPECT_EQ(sc.takePort(kRelayPort), "") << c.command;  // nothing is read back
  }
}

TEST(Relay, ModeQueryIsAnsweredNotTakenAsASetting) {
  Scenario sc;
  prepareRelay(sc);
  sc.state().modeIndex = 3;
  fromPeer(sc, "MD0;");
  const auto [radio, peer] = serviceAll(sc, 1);
  EXPECT_EQ(radio, Commands{"MD0;"});
  EXPECT_EQ(peer, "MD02;");
  EXPECT_EQ(sc.state().modeIndex, 3);
}

TEST(Relay, IncompleteCommandWaitsForItsEnd) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, "I");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "");
  EXPECT_EQ(sc.state().relayPending, "I");
  fromPeer(sc, "D;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "ID;");
  EXPECT_EQ(sc.takePort(kRelayPort), "ID0670;");
  EXPECT_EQ(sc.state().relayPending, "");
}

TEST(Relay, BurstIsForwardedAtOnceInOrder) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, "FA014250000;FA;MD02;MD0;TX1;TX;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.state().relayPending, "");
  const auto [radio, peer] = serviceAll(sc);
  EXPECT_TRUE(inOrder(radio, {"FA;", "MD02;", "MD0;", "TX1;", "TX;"}));
  EXPECT_EQ(peer, "FA014250000;MD02;TX0;");
  EXPECT_EQ(sc.state().relayPending, "");
}

TEST(Relay, SetAndReadBackPairsFromALoggerAllArriveThroughTheTick) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, "ID;AI;");
  sc.tick(4);  // the pair goes with the first wake, after that tick's poll
  const Commands radio = splitCommands(sc.takeRadio());
  EXPECT_EQ(radio, (Commands{"FA;", "ID;", "AI;", "SM0;"}));
  EXPECT_EQ(sc.takePort(kRelayPort), "ID0670;AI0;");
}

TEST(Relay, RepeatedCommandsAreEachForwardedAndAnswered) {
  Scenario sc;
  prepareRelay(sc);
  // Three steps up are three steps; each query gets its own answer.
  fromPeer(sc, "UP;UP;UP;ID;ID;FA;");
  const auto [radio, peer] = serviceAll(sc);
  EXPECT_EQ(radio, (Commands{"UP;", "UP;", "UP;", "ID;", "ID;", "FA;"}));
  EXPECT_EQ(peer, "ID0670;ID0670;FA014250000;");
}

TEST(Relay, OnlyTheAnswerToTheForwardedCommandGoesBack) {
  Scenario sc;
  prepareRelay(sc);
  sc.feedRadio("SM0120;");  // the panel's last poll, answered late
  fromPeer(sc, "ID;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takePort(kRelayPort), "ID0670;");
  // Answers nobody asked for among its answers are left out too, and the
  // radio's refusal of a command is passed on.
  testing::answerFrom(sc, {{"AI;", "SM0120;AI0;"}, {"ZZ;", "FA007100000;?;"}});
  fromPeer(sc, "AI;");
  servicePanel(sc.panel);
  fromPeer(sc, "ZZ;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takePort(kRelayPort), "AI0;?;");

  // A setting the radio refuses: the refusal goes back before the answer to
  // the query sent after it, and the panel does not speak it as its own.
  testing::answerFrom(sc, {{"MD0E;", "?;"}, {"FA;", "FA014250000;"}});
  sc.takePhrases();
  fromPeer(sc, "MD0E;FA;");
  const auto [radio, peer] = serviceAll(sc);
  EXPECT_EQ(peer, "?;FA014250000;");
  const Commands heard = sc.takePhrases();
  EXPECT_EQ(std::find(heard.begin(), heard.end(), "invalid"), heard.end());
}

TEST(Relay, UnansweredCommandSendsNothingBack) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, "RA00;");
  sc.serial.setResponder([](int port, const std::string&) {
    return port == testing::kRadioPort ? std::string(";") : std::string();
  });
  fromPeer(sc, "PS;");
  const auto [radio, peer] = serviceAll(sc);
  EXPECT_EQ(radio, (Commands{"RA00;", "PS;"}));
  EXPECT_EQ(peer, "");
}

TEST(Relay, EndlessTextWithoutSemicolonIsDiscarded) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, std::string(600, 'x'));
  serviceAll(sc, 4);
  EXPECT_LT(sc.state().relayPending.size(), BasicString::kCapacity);
  while (sc.serial.bytesWaiting(kRelayPort) > 0) servicePanel(sc.panel);
  fromPeer(sc, ";FA;");
  const auto [radio, peer] = serviceAll(sc);
  ASSERT_FALSE(radio.empty());
  EXPECT_EQ(radio.back(), "FA;");
  EXPECT_EQ(peer.substr(peer.size() - 12), "FA014250000;");
}

TEST(Relay, FloodingPeerNeverStopsThePoll) {
  Scenario sc;
  prepareRelay(sc);
  std::string flood;
  for (int i = 0; i < 500; ++i) flood += i % 2 == 0 ? "ID;" : "AI;";
  testing::answerFrom(sc, {{"FA;", "FA014250000;"},
                           {"ID;", "ID0670;"},
                           {"AI;", "AI0;"},
                           {"SM0;", "SM0050;"},
                           {"MD0;", "MD01;"}});
  fromPeer(sc, flood);
  sc.tick(40);
  const Commands radio = splitCommands(sc.takeRadio());
  // Every command is forwarded once, and the panel's polls go on meanwhile.
  EXPECT_EQ(std::count(radio.begin(), radio.end(), "ID;"), 250);
  EXPECT_EQ(std::count(radio.begin(), radio.end(), "AI;"), 250);
  EXPECT_EQ(std::count(radio.begin(), radio.end(), "FA;"), 10);
  // Once a second the mode is read in a meter's turn.
  EXPECT_EQ(std::count(radio.begin(), radio.end(), "SM0;"), 9);
  EXPECT_EQ(std::count(radio.begin(), radio.end(), "MD0;"), 1);
  EXPECT_EQ(sc.takePort(kRelayPort).size(), 250u * 7 + 250u * 4) << "each query answered";
  EXPECT_LE(sc.state().relayPending.size(), BasicString::kCapacity);
}

TEST(Relay, LogLinesForBothDirections) {
  Scenario sc;
  prepareRelay(sc);
  testing::openDebugLog(sc);
  fromPeer(sc, "FA;ID;");
  servicePanel(sc.panel);
  closeFile(sc.state().debugFile);
  EXPECT_EQ(sc.readFile("debug.dat"),
            "***VRX1=FA;ID;\r\nTX=FA;\r\n***VRX1=ID;\r\nTX=ID;\r\n"
            "RX=FA014250000;ID0670;\r\n***VTX1=FA014250000;\r\n***VTX1=ID0670;\r\n");
}

TEST(Relay, NotServicedWithoutAPortOrOnTheRadiosOwnPort) {
  Scenario sc;
  prepareRelay(sc);
  PanelState& s = sc.state();
  s.relayPort = 0;
  fromPeer(sc, "FA;");
  sc.tick(2);
  EXPECT_EQ(sc.takeRadio(), "FA;");
  EXPECT_EQ(sc.takePort(kRelayPort), "");
  s.relayPort = testing::kRadioPort;
  sc.feedRadio("FA014250000;");
  servicePanel(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "") << "the radio's answer is never fed back to it";
}

// The other program keys the transmitter; once the panel is gone its release
// could no longer reach the radio, so the panel's end releases it.
TEST(Relay, ATransmitterKeyedByThePeerIsReleasedWhenThePanelEnds) {
  Scenario sc;
  prepareRelay(sc);
  fromPeer(sc, "TX1;");
  EXPECT_EQ(serviceAll(sc).first, Commands{"TX1;"});
  sc.closeRequest();
  shutDown(sc.panel);
  EXPECT_EQ(splitCommands(sc.takeRadio()), Commands{"TX0;"});

  // Released by the peer itself: nothing more at the end.
  Scenario released;
  prepareRelay(released);
  fromPeer(released, "TX1;TX0;");
  EXPECT_EQ(serviceAll(released).first, (Commands{"TX1;", "TX0;"}));
  shutDown(released.panel);
  EXPECT_EQ(released.takeRadio(), "");
}

}  // namespace
}  // namespace keldar
