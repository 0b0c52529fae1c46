// A randomized soak: the whole panel, started from its configuration, run for
// ten minutes of 50 ms ticks on the fake clock with random keys over the whole
// key map, a radio that answers well, badly or not at all, and a relay peer
// that sends commands and noise. After every step each band row and each
// channel must keep its record layout; after every quit and at the close the
// transmitter must be released. Fixed seed, printed; the tick count comes from
// KELDAR_SOAK_TICKS (the environment) or the build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/startup.h"
#include "memory/records.h"
#include "support/dice.h"
#include "support/scenario.h"

#ifndef KELDAR_SOAK_TICKS
#define KELDAR_SOAK_TICKS 12000
#endif

namespace keldar {
namespace {

using testing::Scenario;
using testing::splitCommands;

constexpr int kRadioPort = 3;
constexpr int kRelayPort = 5;
constexpr uint32_t kSeeds[] = {20261208, 7, 4242, 99991};

long tickCount() {
  if (const char* env = std::getenv("KELDAR_SOAK_TICKS")) return std::atol(env);
  return KELDAR_SOAK_TICKS;
}

std::string configText() {
  return "COM=3\r\nSpeed=38400\r\nPower=100\r\nSwr=1\r\nAtu=0\r\nBands  =7\r\nSwitch=0\r\n"
         "Dcs=1\r\n10m = +100\r\n6m = -500\r\n2m = -600\r\n70cm= -7600\r\nRelay=5\r\nDebug=1\r\n";
}

// Every key the panel maps: letters, digits, ".", Enter, space, arrows, page
// keys, "=", "-", F1..F12.
std::vector<int32_t> keyMap() {
  std::vector<int32_t> keys;
  for (int32_t k = 'A'; k <= 'Z'; ++k) keys.push_back(k);
  for (int32_t k = '0'; k <= '9'; ++k) keys.push_back(k);
  for (int32_t k : {190, 13, 32, 37, 38, 39, 40, 33, 34, 187, 189}) keys.push_back(k);
  for (int32_t k = 112; k <= 123; ++k) keys.push_back(k);
  return keys;
}

using testing::Dice;

struct Level {
  const char* mnemonic;
  int width;
};
const std::vector<Level> kLevels = {
    {"AG0", 3}, {"RG0", 3}, {"SQ0", 3}, {"PC", 3},  {"MG", 3},  {"KS", 3},   {"PL", 3},
    {"NL0", 3}, {"RL0", 2}, {"SH0", 2}, {"NA0", 1}, {"NB0", 1}, {"NR0", 1},  {"RA0", 1},
    {"PA0", 1}, {"BC0", 1}, {"BI", 1},  {"VX", 1},  {"ML0", 3}, {"ML1", 3},  {"PR0", 1},
    {"PR1", 1}, {"AI", 1},  {"CT0", 1}, {"OS0", 1}, {"VS", 1},  {"CN00", 3}, {"CN01", 3},
    {"AC", 3},  {"TX", 1},  {"FT", 1},  {"PS", 1},  {"SM0", 3}, {"RM1", 3},  {"RM2", 3},
    {"RM3", 3}, {"RM4", 3}, {"RM5", 3}, {"RM6", 3}, {"RM7", 3}, {"RM8", 3},
};

// The well-formed answer of a radio to one query (the command without its
// ";"); empty for a setting, which a radio does not answer.
std::string answerTo(Dice& dice, const std::string& query) {
  if (query == "FA" || query == "FB") return query + dice.digits(9) + ";";
  if (query == "ID") return "ID" + std::string(dice.chance(90) ? "0670" : "0241") + ";";
  if (query == "MD0") return std::string("MD0") + "123456789ABC"[dice.below(12)] + ";";
  if (query == "IF") {
    return "IF001" + dice.digits(9) + "+0000" + "00" + std::to_string(1 + dice.below(9)) + "00000;";
  }
  if (query.starts_with("EX") && query.size() >= 5) {
    return query + dice.digits(1 + dice.below(3)) + ";";
  }
  for (const Level& level : kLevels) {
    if (query == level.mnemonic) return query + dice.digits(level.width) + ";";
  }
  return {};
}

// What the radio puts on the line after a write: mostly its answers, else
// garbage, a cut answer, answers run together, or nothing.
std::string radioReply(Dice& dice, const std::string& written) {
  std::string answers;
  for (std::string command : splitCommands(written)) {
    if (command.ends_with(";")) command.pop_back();
    answers += answerTo(dice, command);
  }
  switch (dice.below(20)) {
    case 0:
    case 1:
      return {};
    case 2:
      return dice.bytes(dice.below(40));
    case 3:
      return answers.substr(
          0, static_cast<std::size_t>(dice.below(static_cast<int>(answers.size()) + 1)));
    case 4:
      return answers + answerTo(dice, dice.pick(std::vector<std::string>{"FA", "SM0", "RM6"}));
    case 5:
      return answers + dice.bytes(dice.below(10));
    default:
      return answers;
  }
}

// One input from the program on the relay's port.
std::string relayInput(Dice& dice) {
  static const std::vector<std::string> commands = {
      "FA;",   "FB;",         "ID;",  "IF;",    "MD0;", "MD03;",        "MD0C;",
      "AI;",   "FT;",         "SM0;", "AG0;",   "PC;",  "FA014074000;", "FB007050000;",
      "MD02;", "FA00014074;", "TX;",  "EX032;", "TX1;", "TX0;"};
  switch (dice.below(6)) {
    case 0:
      return dice.bytes(dice.below(30));
    case 1: {
      std::string burst;
      for (int n = dice.below(8) + 2; n > 0; --n) burst += dice.pick(commands);
      return burst;
    }
    case 2:
      return "FA" + dice.digits(dice.below(12)) + ";";
    default:
      return dice.pick(commands);
  }
}

// Follows the transmitter through the bytes written to the radio.
class TransmitWatch {
 public:
  void see(const std::string& bytes) {
    for (const std::string& command : splitCommands(bytes)) {
      ++commands_;
      if (command == "TX1;" || command == "TX2;") {
        keyed_ = true;
        ++keyings_;
      }
      if (command == "TX0;") keyed_ = false;
    }
  }
  bool keyed() const { return keyed_; }
  int keyings() const { return keyings_; }
  long commands() const { return commands_; }

 private:
  bool keyed_ = false;
  int keyings_ = 0;
  long commands_ = 0;
};

class Soak {
 public:
  explicit Soak(uint32_t seed) : dice_(seed) {
    sc_.writeFile("keldar.cfg", configText());
    sc_.serial.setResponder([this](int port, const std::string& written) {
      if (port != kRadioPort) return std::string();
      return radioReply(dice_, written);
    });
    start();
  }

  void run(long ticks) {
    const std::vector<int32_t> keys = keyMap();
    for (long tick = 0; tick < ticks && !::testing::Test::HasFatalFailure(); ++tick) {
      if (dice_.chance(25)) pressKey(keys);
      if (dice_.chance(8)) sc_.serial.feed(kRelayPort, relayInput(dice_));
      if (dice_.chance(3)) sc_.feedRadio(dice_.bytes(dice_.below(20)));  // unasked noise
      step("port input");
      sc_.tick();
      step("tick");
    }
  }

  // The close request while whatever is keyed stays keyed, then shutdown.
  void close() {
    sc_.closeRequest();
    step("close request");
    shutDown(sc_.panel);
    expectReleased("close");
  }

  int quits() const { return quits_; }
  int keyings() const { return watch_.keyings(); }
  long commands() const { return watch_.commands(); }
  int storedChannels() {
    int count = 0;
    for (const auto& channel : sc_.state().memoryChannels) count += channel.str() != kEmptyChannel;
    return count;
  }

 private:
  void start() {
    sc_.state().running = 1;
    ASSERT_TRUE(readConfiguration(sc_.panel));
    initialisePanel(sc_.panel);
    sc_.state().running = 1;
    ASSERT_EQ(sc_.state().comPort, kRadioPort);
    ASSERT_EQ(sc_.state().relayPort, kRelayPort);
  }

  void pressKey(const std::vector<int32_t>& keys) {
    // Some keys are held across ticks; their release comes later.
    if (held_ != 0 && dice_.chance(50)) {
      sc_.keyUp(held_);
      held_ = 0;
      step("key up");
      return;
    }
    const int32_t k = dice_.pick(keys);
    sc_.keyDown(k);
    step("key down " + std::to_string(k));
    if (held_ == 0 && dice_.chance(10)) {
      held_ = k;
      return;
    }
    sc_.keyUp(k);
    step("key up " + std::to_string(k));
  }

  // After every event: the records keep their layout, every phrase exists,
  // and a quit releases the transmitter before the panel starts again.
  void step(const std::string& what) {
    ++steps_;
    recent_.push_back(what);
    if (recent_.size() > 6) recent_.erase(recent_.begin());
    SCOPED_TRACE("step " + std::to_string(steps_) + ", last events: " + history());
    watch_.see(sc_.takeRadio());
    sc_.takePort(kRelayPort);
    sc_.takePhrases();
    expectRecords(what);
    if (sc_.state().running == 0) {
      shutDown(sc_.panel);
      expectReleased(what);
      ++quits_;
      held_ = 0;
      start();
    }
  }

  void expectRecords(const std::string& what) {
    const PanelState& s = sc_.state();
    for (int band = 1; band <= kBandCount; ++band) {
      ASSERT_TRUE(isBandRecord(s.bandTable[band].str()))
          << "band " << band << " after step " << steps_ << " (" << what
          << "): " << s.bandTable[band].str();
    }
    for (int i = 0; i < kChannelCount; ++i) {
      const std::string& channel = s.memoryChannels[i].str();
      ASSERT_TRUE(channel == kEmptyChannel || isMemoryRecord(channel))
          << "channel " << i << " after step " << steps_ << " (" << what << "): " << channel;
    }
  }

  void expectReleased(const std::string& what) {
    watch_.see(sc_.takeRadio());
    ASSERT_FALSE(watch_.keyed()) << "transmitter left keyed after step " << steps_ << " (" << what
                                 << ")";
    ASSERT_EQ(sc_.state().txState, 0);
    ASSERT_EQ(sc_.state().tuneActive, 0);
  }

  std::string history() const {
    std::string text;
    for (const std::string& event : recent_) text += event + "; ";
    return text;
  }

  Scenario sc_;
  Dice dice_;
  std::vector<std::string> recent_;
  TransmitWatch watch_;
  int32_t held_ = 0;
  long steps_ = 0;
  int quits_ = 0;
};

TEST(Soak, TenMinutesOfRandomKeysRepliesAndRelayTrafficKeepEveryRecordAndReleaseTheTransmitter) {
  const long ticks = tickCount();
  for (uint32_t seed : kSeeds) {
    std::printf("soak seed %u, %ld ticks\n", seed, ticks);
    Soak soak(seed);
    soak.run(ticks);
    if (HasFatalFailure()) return;
    soak.close();
    if (HasFatalFailure()) return;
    std::printf(
        "soak seed %u: %ld commands sent, %d quits and restarts, %d keyings, %d channels stored at "
        "the end\n",
        seed, soak.commands(), soak.quits(), soak.keyings(), soak.storedChannels());
    // The release checks mean something only when the run keyed the radio.
    if (ticks >= 1000) {
      EXPECT_GT(soak.keyings(), 0) << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace keldar
