// A randomized run over the timer tick's read path and the relay: random
// bytes, cut and run-together replies, long replies, CR/LF/NUL and echoes
// from the link, a radio that falls silent or vanishes and comes back, and a
// flooding relay peer, with the panel state shaken in between.
// Fixed seed; the number of inputs comes from KELDAR_NOISE_INPUTS (the
// environment) or the build.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/tick.h"
#include "cat/exchange.h"
#include "support/dice.h"
#include "support/radio_support.h"

#ifndef KELDAR_NOISE_INPUTS
#define KELDAR_NOISE_INPUTS 1000000
#endif

namespace keldar {
namespace {

using testing::kRadioPort;
using testing::kRelayPort;
using testing::Scenario;

long inputCount() {
  if (const char* env = std::getenv("KELDAR_NOISE_INPUTS")) return std::atol(env);
  return KELDAR_NOISE_INPUTS;
}

class Noise : public testing::Dice {
 public:
  using Dice::Dice;

  // Something a radio might say, whole.
  std::string reply() {
    static const std::vector<std::string> mnemonics = {"AG0", "SQ0", "NR0", "ML0", "ML1", "PR0",
                                                       "PR",  "VX",  "BI",  "MD0", "PL",  "AI"};
    switch (below(9)) {
      case 0:
        return "FA" + digits(9) + ";";
      case 1:
        return "FB" + digits(9) + ";";
      case 2:
        return "FA" + digits(8) + ";";
      case 3:
        return "SM0" + digits(3) + ";";
      case 4:
        return "RM6" + digits(3) + ";";
      case 5:
        return "RM4" + digits(3) + ";";
      case 6:
        return "ID" + (chance(50) ? std::string("0670") : digits(4)) + ";";
      case 7:
        return mnemonics[below(static_cast<int>(mnemonics.size()))] + digits(below(5)) + ";";
      default:
        return chance(50) ? ";" : "?;";
    }
  }

  // What a link adds: CR LF or NUL after answers, bytes in between, the echo
  // of the panel's own poll in front.
  std::string throughLink(std::string input) {
    static const std::vector<std::string> extras = {"\r\n", "\r", "\n", std::string(1, '\0')};
    if (chance(20)) input = (chance(50) ? "FA;" : "SM0;") + input;
    for (int n = below(3); n > 0 && !input.empty(); --n) {
      const auto at = static_cast<std::size_t>(below(static_cast<int>(input.size()) + 1));
      input.insert(at, extras[below(static_cast<int>(extras.size()))]);
    }
    return input;
  }

  // One input for the radio's port.
  std::string radioInput() { return chance(40) ? throughLink(rawInput()) : rawInput(); }

  std::string rawInput() {
    switch (below(8)) {
      case 0:
        return {};  // silent
      case 1:
        return bytes(below(40));
      case 2: {
        const std::string whole = reply();
        return whole.substr(0, static_cast<std::size_t>(below(static_cast<int>(whole.size()))));
      }
      case 3: {
        std::string run;
        for (int n = below(4) + 2; n > 0; --n) run += reply();
        return run;
      }
      case 4: {
        std::string run;
        while (run.size() < 255) run += chance(80) ? reply() : bytes(below(20));
        return run;
      }
      default:
        return reply();
    }
  }

  // One input from the program on the relay port.
  std::string relayInput() {
    static const std::vector<std::string> commands = {
        "FA;", "FB;", "ID;", "AI;", "MD0;", "MD04;", "MD0B;", "MD0C;", "MD0x;", "TX;", "IF;"};
    switch (below(6)) {
      case 0:
        return bytes(below(30));
      case 1:
        return std::string(static_cast<std::size_t>(below(400)), 'x');
      case 2: {
        std::string burst;
        for (int n = below(60); n > 0; --n) burst += commands[below(11)];
        return burst;
      }
      case 3:
        return "FA" + digits(below(12)) + ";";
      default:
        return commands[below(static_cast<int>(commands.size()))];
    }
  }
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Band rows 1..13 stay 26 characters with "A" and nine digits at 3..12.
void expectBandRecordsIntact(const PanelState& s, long input) {
  for (int band = 1; band <= kBandCount; ++band) {
    const std::string& r = s.bandTable[band].str();
    ASSERT_EQ(r.size(), 26u) << "band " << band << " after input " << input << ": " << r;
    ASSERT_EQ(r[2], 'A') << r;
    for (int i = 3; i < 12; ++i) ASSERT_TRUE(isDigit(r[i])) << r;
    ASSERT_EQ(r[12], 'B') << r;
  }
}

void expectFrequencyStateConsistent(const PanelState& s) {
  const std::string& reply = s.frequencyReply.str();
  if (reply.empty()) return;
  ASSERT_EQ(reply.size(), 11u) << reply;
  ASSERT_TRUE(reply.starts_with("FA") || reply.starts_with("FB")) << reply;
  for (int i = 2; i < 11; ++i) ASSERT_TRUE(isDigit(reply[i])) << reply;
  ASSERT_EQ(s.frequencyDisplay.size(), 10u);
  ASSERT_GE(s.frequency, 0);
  ASSERT_LE(s.frequency, 999999999);
}

// The tick's poll goes out first; the relay's commands may follow it.
bool startsWithPollQuery(const std::string& written) {
  // "TX0;" goes before the asking of a device that may be keyed.
  for (const char* query : {"FA;", "FB;", "SM0;", "RM6;", "RM4;", "MD0;", "ID;", "TX0;ID;"}) {
    if (written.starts_with(query)) return true;
  }
  return false;
}

// Shakes the fields the read path and the relay depend on.
void shakeState(Noise& noise, PanelState& s, Scenario& sc, long& silence) {
  switch (noise.below(13)) {
    case 11:  // the radio falls silent for a while
      silence = 20 + noise.below(100);
      break;
    case 0:
      s.vfoB = noise.below(2);
      break;
    case 1: {
      static const int32_t ids[] = {0, 670, 241, 362, 462, 800};
      s.radioId = ids[noise.below(6)];
      break;
    }
    case 2:
      s.alcAnnounce = noise.below(3) - 1;
      break;
    case 3:
      s.txState = noise.chance(50) ? 0 : 10 + noise.below(3);
      s.swrHoldOff = noise.below(3);
      break;
    case 4:
      s.tuneActive = noise.below(2);
      break;
    case 5:
      s.modeIndex = 1 + noise.below(7);
      s.bandIndex = 1 + noise.below(kBandCount);
      break;
    case 6:
      s.connected = noise.chance(10) ? 0 : 1;  // runs the set-up again
      break;
    case 7:
      s.frequencyTracking = noise.below(3);
      s.announceOnReply = noise.below(2);
      break;
    case 8:
      s.repeaterMode = noise.below(3);
      break;
    case 9:  // the radio vanishes (its device gone, or closed) or comes back
      if (sc.serial.port(kRadioPort).open) {
        if (noise.chance(50)) {
          sc.serial.loseDevice(kRadioPort);
          sc.serial.failOpen(kRadioPort);
        } else {
          sc.serial.closePort(kRadioPort);
        }
      } else {
        sc.serial.restoreOpen(kRadioPort);
        sc.serial.openPort(kRadioPort, s.baudRate);
      }
      break;
    case 10:
      s.simulationMode = noise.chance(20) ? 1 : 0;
      break;
    default:
      s.relayActive = 0;  // a key was pressed
      break;
  }
}

TEST(RadioNoise, ReadPathAndRelaySurviveAnyInput) {
  const long inputs = inputCount();
  ASSERT_GT(inputs, 0);
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.running = 1;
  s.relayPort = kRelayPort;
  s.debugLog = 1;
  ASSERT_EQ(openFile(s.debugFile, "/dev/null", "W"), 0);
  sc.serial.openPort(kRelayPort, s.baudRate);
  Noise noise(20261208u);
  Noise answers(4242u);
  long silence = 0;
  sc.serial.setResponder([&answers, &silence](int port, const std::string&) {
    if (port != kRadioPort || silence > 0 || answers.chance(30)) return std::string();
    return answers.radioInput();
  });

  long losses = 0;
  long sendingTicks = 0;
  long frequencyChanges = 0;
  long setups = 0;
  std::size_t bytesBack = 0;
  for (long input = 0; input < inputs; ++input) {
    if (noise.chance(3)) shakeState(noise, s, sc, silence);
    if (silence > 0) {
      --silence;
    } else if (noise.chance(60)) {
      sc.feedRadio(noise.radioInput());
    } else {
      sc.serial.feed(kRelayPort, noise.relayInput());
    }
    const bool sending = s.replyPending == 0 && queriesOut(sc.panel, Asker::kPoll) == 0;
    const int32_t frequencyBefore = s.frequency;
    const int32_t connectedBefore = s.connected;
    const int32_t lostBefore = s.linkLost;
    sc.tick();
    if (lostBefore == 0 && s.linkLost == 1) ++losses;
    if (s.frequency != frequencyBefore) ++frequencyChanges;
    if (connectedBefore == 0 && s.connected == 1) ++setups;
    const std::string written = sc.takeRadio();
    if (sending) {
      ++sendingTicks;
      ASSERT_EQ(s.replyPending, 1) << "input " << input;
      const bool radioThere = sc.serial.port(kRadioPort).open;
      // The simulated radio leaves the port alone.
      if (s.simulationMode == 1) {
        ASSERT_EQ(written, "") << input;
      } else {
        ASSERT_TRUE(!radioThere || startsWithPollQuery(written)) << input << " " << written;
      }
    }
    ASSERT_EQ(s.running, 1);
    ASSERT_GE(s.tickCount, 0);
    ASSERT_LE(s.tickCount, 20);
    if (input % 64 == 0) {
      expectBandRecordsIntact(s, input);
      expectFrequencyStateConsistent(s);
    }
    if (input % 4096 == 0) {
      // Keep the fakes' records from growing without bound.
      bytesBack += sc.takePort(kRelayPort).size();
      sc.sound.plays.clear();
      sc.screen.prints.clear();
      // The port's queues are the operating system's; a flood is drained
      // there at the rate the relay forwards.
      auto& relay = sc.serial.port(kRelayPort);
      if (relay.incoming.size() > 100000) relay.incoming.clear();
      auto& radio = sc.serial.port(kRadioPort);
      if (radio.incoming.size() > 100000) radio.incoming.clear();
    }
  }
  std::printf("noise: %ld inputs, %ld frequency changes, %ld set-ups, %ld losses, %zu bytes back\n",
              inputs, frequencyChanges, setups, losses, bytesBack);
  // Polls go every other tick unless the last one is still unanswered (noise
  // eats answers, and each then waits out its deadline): never stacked, and
  // never stopped (a port that did not open waits out its deadlines too).
  EXPECT_GE(sendingTicks, inputs / 5);
  // The run reached what it was meant to shake: replies taken over, set-ups
  // run again, answers passed back to the other program.
  EXPECT_GT(frequencyChanges, inputs / 1000);
  EXPECT_GT(setups, inputs / 100000);
  EXPECT_GT(bytesBack, static_cast<std::size_t>(inputs / 1000));
  // The link was lost and found again, many times.
  EXPECT_GT(losses, inputs / 100000);
  // Whatever came before, a radio that answers again is found and set up.
  s.simulationMode = 0;
  sc.serial.restoreOpen(kRadioPort);
  sc.serial.setResponder([](int port, const std::string& written) {
    if (port != kRadioPort) return std::string();
    if (written.ends_with("ID;")) return std::string("ID0670;");
    return written.ends_with("FA;") ? std::string("FA014250000;") : std::string();
  });
  for (int i = 0; i < 200 && !(s.connected == 1 && s.linkLost == 0 && s.frequency == 14250000);
       ++i) {
    sc.tick();
  }
  EXPECT_EQ(s.connected, 1);
  EXPECT_EQ(s.linkLost, 0);
  EXPECT_EQ(s.frequency, 14250000);
}

}  // namespace
}  // namespace keldar
