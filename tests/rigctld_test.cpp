// Programs sharing the radio over the network (Hamlib's rigctld protocol),
// through the fake server: answer shapes, settings in the panel's order of
// work, limits, and a randomized run of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/events.h"
#include "core/radio_modes.h"
#include "display/display.h"
#include "share/network_share.h"
#include "speech/readouts.h"
#include "support/dice.h"
#include "support/radio_support.h"

#ifndef KELDAR_NETWORK_LINES
#define KELDAR_NETWORK_LINES 100000
#endif

namespace keldar {
namespace {

using testing::splitCommands;
using Commands = std::vector<std::string>;

class Shared : public ::testing::Test {
 protected:
  Shared() {
    testing::prepareRadio(sc);
    PanelState& s = sc.state();
    s.connected = 1;
    s.radioId = 670;
    s.frequency = 14250000;
    s.frequencyReply = "FA014250000";
    s.vfoAText = "A014250000";
    s.modeIndex = 2;
    s.widthIndex = s.ssbWidthIndex = 14;
    s.sMeterReading = 122;
    s.afGain = 51;
    s.maxPower = 100;
    s.powerLevel = 50;
    sc.panel.network = &share;
  }

  // Lines from a client, one service, and what the client got back.
  std::string ask(int client, const std::string& lines) {
    net.receive(client, lines);
    deliverEvent(sc.panel, kNetworkEvent, 0);
    return net.take(client);
  }

  testing::Scenario sc;
  testing::FakeNetworkServer net;
  NetworkShare share{net};
};

// The same script against Hamlib's own rigctld (dummy radio) gives answers
// of these shapes: plain values one per line, "RPRT n" for settings and
// errors, and the extended forms with the command's name and labels.
TEST_F(Shared, AnswersHaveTheShapesHamlibClientsRead) {
  const int c = net.connect();
  const std::vector<std::pair<std::string, std::string>> script = {
      {"f", "14250000\n"},
      {"+f", "get_freq:\nFrequency: 14250000\nRPRT 0\n"},
      {";\\get_freq", "get_freq:;Frequency: 14250000;RPRT 0\n"},
      {"m", "USB\n2400\n"},
      {"+m", "get_mode:\nMode: USB\nPassband: 2400\nRPRT 0\n"},
      {"v", "VFOA\n"},
      {"t", "0\n"},
      {"+s", "get_split_vfo:\nSplit: 0\nTX VFO: VFOA\nRPRT 0\n"},
      {"l STRENGTH", "-3\n"},  // S9 at 130 on the radio's own scale
      {"l COMP", "0.000000\n"},
      {"+l AF", "get_level: AF\n0.200000\nRPRT 0\n"},
      {"l RFPOWER", "0.500000\n"},
      {"\\get_level SQL", "0.080000\n"},
      {"l FOO", "RPRT -1\n"},
      {"+\\get_powerstat", "get_powerstat:\nPower Status: 1\nRPRT 0\n"},
      {"\\chk_vfo", "0\n"},
      {"\\get_lock_mode", "0\n"},
      {"+\\chk_vfo", "ChkVFO: 0\n"},
      {"X", "RPRT -4\n"},
      {"\\set_rit 100", "RPRT -4\n"},
      {"F", "RPRT -1\n"},
      {"F 1e12", "RPRT -1\n"},
      {"V Sub", "RPRT 0\n"},
      {"+v", "get_vfo:\nVFO: VFOB\nRPRT 0\n"},
      {"f", "RPRT -11\n"},  // VFO B not seen yet
      {"V VFOA", "RPRT 0\n"},
      {"", ""},
      // Every command of a line, in order.
      {"f m", "14250000\nUSB\n2400\n"},
      {"fmv", "14250000\nUSB\n2400\nVFOA\n"},
      {"+f +m",
       "get_freq:\nFrequency: 14250000\nRPRT 0\nget_mode:\nMode: USB\nPassband: 2400\nRPRT 0\n"},
      {"F 14074000 f", "RPRT 0\n14074000\n"},
      {"\\get_vfo_info VFOA", "14074000\nUSB\n2400\n0\n0\n"},
      {"+\\get_vfo_info VFOA",
       "get_vfo_info: VFOA\nFreq: 14074000\nMode: USB\nWidth: 2400\nSplit: 0\nSatMode: 0\nRPRT "
       "0\n"},
      {"\\get_vfo_info", "RPRT -1\n"},
  };
  for (const auto& [line, answer] : script) EXPECT_EQ(ask(c, line + "\r\n"), answer) << line;

  const std::string dump = ask(c, "\\dump_state\n");
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < dump.size();) {
    const std::size_t end = dump.find('\n', at);
    lines.push_back(dump.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_GT(lines.size(), 30u);
  EXPECT_EQ(Commands(lines.begin(), lines.begin() + 3), (Commands{"1", "2", "0"}));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "0 0 0 0 0 0 0"), 2);  // ends rx, tx ranges
  EXPECT_NE(std::find(lines.begin(), lines.end(), "0x270011038"), lines.end());  // levels read
  EXPECT_EQ(lines.back(), "done");
  EXPECT_TRUE(ask(c, "+\\dump_state\n").ends_with("done\nRPRT 0\n"));
  const std::string info = ask(c, "\\get_rig_info\n");
  EXPECT_TRUE(
      info.starts_with("VFO=VFOA Freq=14074000 Mode=USB Width=2400 RX=1 TX=1\n"
                       "VFO=VFOB Freq=0 Mode=None Width=0 RX=0 TX=0\n"
                       "Split=0 SatMode=0\n"))
      << info;
  EXPECT_TRUE(info.ends_with("\n\n") && info.find("\nCRC=0x") != std::string::npos) << info;
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"FA014074000;"}));  // reads never do

  EXPECT_EQ(ask(c, "q\n"), "RPRT 0\n");
  EXPECT_EQ(net.dropped.count(c), 1u);
}

// A setting goes to the radio at once, even with a poll's answer awaited:
// that answer, to a query written before it, cannot undo it.
TEST_F(Shared, SettingsGoAtOnceThenThePanelFollowsThem) {
  PanelState& s = sc.state();
  const auto bandsBefore = s.bandTable;
  const int a = net.connect();
  const int b = net.connect();
  deliverEvent(sc.panel, kTimerEvent, 0);  // a poll goes out
  EXPECT_EQ(sc.takeRadio(), "FA;");
  EXPECT_EQ(ask(a, "F 7100000.000000\nf\n"), "RPRT 0\n7100000\n");
  EXPECT_EQ(ask(b, "f\n"), "7100000\n");
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"FA007100000;"}));
  sc.feedRadio("FA014250000;");  // the poll's answer, from before the setting
  deliverEvent(sc.panel, kTimerEvent, 0);
  EXPECT_EQ(s.frequency, 7100000);
  EXPECT_EQ(sc.field(kFrequencyField.x, kFrequencyField.y).substr(0, 10), "  7.100000");
  sc.takeRadio();

  EXPECT_EQ(ask(a, "M CW 500\nm\n"), "RPRT 0\nCW\n500\n");
  const Commands mode = splitCommands(sc.takeRadio());
  EXPECT_EQ(std::count(mode.begin(), mode.end(), "MD03;"), 1);
  EXPECT_NE(std::find(mode.begin(), mode.end(), "SH010;"), mode.end());

  // Split: VFO B transmits and the panel works it; F still sets VFO A.
  EXPECT_EQ(ask(a, "S 1 VFOB\nI 14260000\nF 7050000\ns\ni\nf\n"),
            "RPRT 0\nRPRT 0\nRPRT 0\n1\nVFOB\n14260000\n7050000\n");
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"FT3;", "FB014260000;", "FA007050000;"}));
  EXPECT_EQ(s.frequency, 14260000);
  EXPECT_EQ(ask(a, "S 0 VFOA\nf\n"), "RPRT 0\n7050000\n");
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"FT2;"}));

  EXPECT_EQ(ask(a, "T 1\nt\n"), "RPRT 0\n1\n");
  EXPECT_EQ(s.relayKeyed, 1);  // unkeyed at shutdown should the program forget
  EXPECT_EQ(ask(a, "T 0\nt\nL AF 0.5\nL RFPOWER 1\nL STRENGTH 1\n"),
            "RPRT 0\n0\nRPRT 0\nRPRT 0\nRPRT -11\n");
  EXPECT_EQ(splitCommands(sc.takeRadio()), (Commands{"TX1;", "TX0;", "AG0128;", "PC100;"}));
  EXPECT_EQ(s.bandTable, bandsBefore);  // the other program's tuning is not the user's
}

// A digital-mode program's session: data modes set and read back, shown
// and spoken as the nearest mode plus "data", the mode the radio reports
// taken, the normal width for passband 0, meters read at one poll, the VFO
// kept for the next connection and every setting in debug.dat.
TEST_F(Shared, DataModesMetersAndTheLogOfSettings) {
  PanelState& s = sc.state();
  testing::openDebugLog(sc);
  const int a = net.connect();
  EXPECT_EQ(ask(a, "M PKTUSB 0\nm\n"), "RPRT 0\nPKTUSB\n2400\n");
  Commands sent = splitCommands(sc.takeRadio());
  EXPECT_EQ(sent.front(), "MD0C;");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "MD02;"), 0);  // not undone by the redraw
  EXPECT_EQ(sc.field(kModeField.x, kModeField.y), "USB data");
  sc.takePhrases();
  speakMode(sc.panel);
  EXPECT_EQ(sc.takePhrases(), (Commands{"usb", "data"}));
  EXPECT_EQ(ask(a, "M CWR 0\nm\nM PKTFM 0\nm\nM RTTYR 0\nm\nM PKTAM 0\nm\n"),
            "RPRT 0\nCWR\n500\nRPRT 0\nFM-D\n16000\nRPRT 0\nRTTYR\n2400\nRPRT -1\nRTTYR\n2400\n");
  EXPECT_EQ(ask(a, "M C4FM 0\nm\n"), "RPRT 0\nC4FM\n12500\n");  // the FT-991A has it
  s.radioId = 650;
  EXPECT_EQ(ask(a, "M C4FM 0\n"), "RPRT -1\n");
  // The mode the radio answers, as a mode poll takes it.
  EXPECT_TRUE(takeModeAnswer(s, "MD08;"));
  EXPECT_FALSE(takeModeAnswer(s, "MD0Z;"));
  EXPECT_EQ(ask(a, "m\n"), "PKTLSB\n2400\n");
  EXPECT_EQ(s.modeIndex, 1);
  // Passband 0 is the mode's normal width, -1 leaves it.
  s.ssbWidthIndex = 9;
  EXPECT_EQ(ask(a, "M LSB 0\nm\nM USB 1800\nM LSB -1\nm\n"),
            "RPRT 0\nLSB\n2400\nRPRT 0\nRPRT 0\nLSB\n1800\n");
  EXPECT_EQ(sc.field(kModeField.x, kModeField.y).substr(0, 3), "LSB");
  sc.takeRadio();
  sc.takePhrases();

  // SWR is not polled while receiving: one meter poll reads it for the client.
  testing::answerFrom(sc, {{"FA;", "FA014250000;"}, {"RM6;", "RM6039;"}, {"SM0;", "SM0100;"}});
  EXPECT_EQ(ask(a, "l SWR\nf\n"), "");
  for (int i = 0; i < 4 && net.sent[a].empty(); ++i) {
    sc.tick();
    deliverEvent(sc.panel, kNetworkEvent, 0);
  }
  EXPECT_EQ(net.take(a), "1.350000\n14250000\n");
  EXPECT_EQ(sc.takePhrases(), Commands{});  // the panel does not read it out
  EXPECT_EQ(ask(a, "l ALC\n"), "");         // no answer to RM4: timed out after a while
  sc.clock.ms += NetworkShare::kMeterWaitMs;
  deliverEvent(sc.panel, kNetworkEvent, 0);
  EXPECT_EQ(net.take(a), "RPRT -5\n");
  s.alcReading = 32;
  s.alcAnnounce = 1;  // polled by the panel itself: answered at once
  EXPECT_EQ(ask(a, "l ALC\n"), "0.500000\n");

  // The VFO chosen lasts beyond the connection, as with one rigctld.
  EXPECT_EQ(ask(a, "V VFOB\nq\n"), "RPRT 0\nRPRT 0\n");
  const int b = net.connect();
  EXPECT_EQ(ask(b, "v\nV VFOA\n"), "VFOB\nRPRT 0\n");
  closeFile(s.debugFile);
  const std::string debug = sc.readFile("debug.dat");
  const std::string who = "***NET 127.0.0.1:" + std::to_string(40000 + a) + " ";
  EXPECT_NE(debug.find(who + "set_mode PKTUSB 0 RPRT 0\r\n"), std::string::npos) << debug;
  EXPECT_NE(debug.find(who + "set_mode PKTAM 0 RPRT -1\r\n"), std::string::npos) << debug;
  EXPECT_EQ(debug.find("get_mode"), std::string::npos);  // reads are not settings
}

TEST_F(Shared, LimitsDropTheClientAndNothingElse) {
  PanelState& s = sc.state();
  s.connected = 0;
  const int a = net.connect();
  EXPECT_EQ(ask(a, "f\nF 7000000\n\\get_powerstat\n"), "RPRT -5\nRPRT -5\n0\n");
  s.connected = 1;

  const int longLine = net.connect();
  EXPECT_EQ(ask(longLine, std::string(NetworkShare::kMaxLineLength + 1, 'f')), "");
  const int vanishing = net.connect();
  net.receive(vanishing, "F 71");
  net.end(vanishing);
  const int halfClosed = net.connect();
  net.receive(halfClosed, "f\n");
  net.end(halfClosed);
  s.replyPending = 1;
  const int flooding = net.connect();
  std::string flood;
  for (std::size_t i = 0; i <= NetworkShare::kMaxWaitingLines; ++i) flood += "F 7000000\n";
  EXPECT_EQ(ask(flooding, flood), "");
  EXPECT_EQ(net.take(halfClosed), "14250000\n");  // answered, then let go
  for (int id : {longLine, vanishing, halfClosed, flooding}) EXPECT_EQ(net.dropped.count(id), 1u);
  s.replyPending = 0;

  // All places taken: the client longest without a whole line makes room,
  // whether it is silent or trickles a byte at a time.
  testing::openDebugLog(sc);
  const int idle = net.connect();
  deliverEvent(sc.panel, kNetworkEvent, 0);
  std::vector<int> busy;
  for (std::size_t n = share.clientCount(); n < NetworkShare::kMaxClients; ++n) {
    sc.clock.ms += 10;
    busy.push_back(net.connect());
  }
  deliverEvent(sc.panel, kNetworkEvent, 0);
  sc.clock.ms += 1000;
  EXPECT_EQ(ask(a, "f\n"), "14250000\n");  // a, first of all, completed a line just now
  for (int i = 0; i < 5; ++i) {
    sc.clock.ms += 1000;
    net.receive(busy.front(), "f");  // a byte a second, never a line
  }
  const int newcomer = net.connect();
  EXPECT_EQ(ask(newcomer, "f\n"), "14250000\n");
  EXPECT_EQ(net.dropped.count(idle), 1u);
  const int another = net.connect();
  EXPECT_EQ(ask(another, "f\n"), "14250000\n");
  EXPECT_EQ(net.dropped.count(busy.front()), 1u);  // trickling counts as idle
  EXPECT_EQ(net.dropped.count(a), 0u);
  EXPECT_EQ(share.clientCount(), NetworkShare::kMaxClients);
  closeFile(s.debugFile);
  const std::string debug = sc.readFile("debug.dat");
  EXPECT_NE(debug.find("***NET 127.0.0.1:" + std::to_string(40000 + idle) +
                       " closed to admit 127.0.0.1:" + std::to_string(40000 + newcomer) +
                       ": all 32 places taken\r\n"),
            std::string::npos)
      << debug;
  EXPECT_EQ(sc.takeRadio(), "");  // nothing half-received reached the radio
}

class RandomClients : public testing::Dice {
 public:
  using Dice::Dice;
  std::string line() {
    static const std::vector<std::string> commands = {"f",          "+f",         "m",
                                                      "M USB 2400", "M FM 0",     "F 7",
                                                      "F 14074000", "v",          "V VFOB",
                                                      "V VFOA",     "t",          "T 1",
                                                      "T 0",        "s",          "S 1 VFOB",
                                                      "S 0 VFOA",   "I 14100000", "i",
                                                      "l STRENGTH", "L AF 0.3",   "\\dump_state",
                                                      "\\chk_vfo",  "q",          "\\get_powerstat",
                                                      "+l RFPOWER", ";m"};
    switch (below(5)) {
      case 0:
        return bytes(below(40)) + "\n";
      case 1:
        return pick(commands).substr(0, static_cast<std::size_t>(below(6)));  // half a line
      case 2:
        return chance(2) ? std::string(600, 'x') : pick(commands) + " " + bytes(3) + "\n";
      default:
        return pick(commands) + (chance(50) ? "\n" : "\r\n");
    }
  }
};

// Random bytes, half lines, silent clients, clients vanishing mid-command
// and too many clients: the panel keeps polling, answering keys, and
// answering the clients that behave.
TEST_F(Shared, RandomizedClientsNeverStopThePanel) {
  PanelState& s = sc.state();
  testing::answerFrom(
      sc,
      {{"FA;", "FA014250000;"}, {"FB;", "FB014250000;"}, {"SM0;", "SM0100;"}, {"SQ0;", "SQ0008;"}});
  // The radio is in whatever mode the clients set last.
  auto answers = sc.serial.responder();
  sc.serial.setResponder([&s, answers](int port, const std::string& written) {
    const RadioModeRow* mode = currentRadioMode(s);
    if (written == "MD0;" && mode != nullptr) return "MD0" + std::string(1, mode->code) + ";";
    return answers(port, written);
  });
  RandomClients dice(18);
  std::vector<int> clients;
  int polls = 0;
  int keysHeard = 0;
  for (int i = 0; i < KELDAR_NETWORK_LINES; ++i) {
    if (clients.empty() || dice.chance(3)) clients.push_back(net.connect());
    const int client = dice.pick(clients);
    if (dice.chance(2)) {
      net.end(client);
    } else {
      net.receive(client, dice.line());
    }
    deliverEvent(sc.panel, kNetworkEvent, 0);
    ASSERT_LE(share.clientCount(), NetworkShare::kMaxClients);
    if (i % 20 == 0) sc.tick();
    if (i % 2000 == 0 || i + 1 == KELDAR_NETWORK_LINES) {
      const Commands sent = splitCommands(sc.takeRadio());
      polls += static_cast<int>(std::count(sent.begin(), sent.end(), "FA;") +
                                std::count(sent.begin(), sent.end(), "FB;"));
    }
    if (i % 2000 == 0) {
      sc.takePhrases();
      sc.press(testing::vkOf('F'));
      keysHeard += sc.takePhrases().empty() ? 0 : 1;
    }
    std::erase_if(clients, [&](int id) { return net.dropped.count(id) != 0; });
    for (int id : clients) net.sent[id].clear();
  }
  EXPECT_GE(polls, KELDAR_NETWORK_LINES / 20 / 4);
  EXPECT_EQ(keysHeard, (KELDAR_NETWORK_LINES + 1999) / 2000);
  s.replyPending = 0;
  for (int id : clients) net.end(id);
  deliverEvent(sc.panel, kNetworkEvent, 0);
  const int fresh = net.connect();
  EXPECT_EQ(ask(fresh, "S 0 VFOA\nF 7100000\nf\n"), "RPRT 0\nRPRT 0\n7100000\n");
}

}  // namespace
}  // namespace keldar
