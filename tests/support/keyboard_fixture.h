// A panel as the keys find it once the radio has answered: default band
// table, empty channels, 20 m USB at 14.200 MHz. Shared by the keyboard,
// entry and control tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/scenario.h"

namespace keldar::testing {

using Rows = std::vector<std::string>;

class KeyScenario : public Scenario {
 public:
  KeyScenario() {
    PanelState& s = state();
    s.comPort = 1;
    serial.openPort(1, 38400);
    for (int i = 1; i <= kBandCount; ++i) s.bandTable[i] = kDefaultBandTable[i];
    for (auto& channel : s.memoryChannels) channel = "9";
    s.connected = 1;
    s.running = 1;
    s.bandCoverage = "7";
    s.maxPower = 100;
    s.powerLevel = 100;
    s.tickCount = 5;
    tuneTo(14200000, 6, 2);
  }

  // The radio's state after a frequency reply from band `band` in `mode`.
  void tuneTo(int32_t hz, int32_t band, int32_t mode) {
    PanelState& s = state();
    s.frequency = hz;
    s.frequencyReply = "FA" + zeroPadded(hz, 9);
    s.bandIndex = band;
    s.bandRecordValid = 1;
    s.modeIndex = mode;
  }

  Rows commands() { return splitCommands(takeRadio()); }

  // Presses a key and returns what was heard and sent in the order it
  // happened: "say on", "send NB01;". Takes the commands and phrases.
  Rows timeline(int32_t key) {
    auto log = std::make_shared<Rows>();
    auto heard = std::make_shared<std::size_t>(sound.plays.size());
    auto catchUp = [this, log, heard] {
      for (; *heard < sound.plays.size(); ++*heard) {
        std::string name = sound.plays[*heard].path;
        name = name.substr(name.find_last_of('/') + 1);
        log->push_back("say " + name.substr(0, name.rfind(".wav")));
      }
    };
    serial.setResponder([log, catchUp](int, const std::string& written) {
      catchUp();
      log->push_back("send " + written);
      return std::string();
    });
    press(key);
    catchUp();
    serial.setResponder(nullptr);
    takeRadio();
    takePhrases();
    return *log;
  }
  void type(const std::string& keys) { pressKeys(keys); }
};

// True when every row of `expected` occurs in `actual` in the same order
// (other rows may stand between them).
inline ::testing::AssertionResult inOrder(const Rows& actual, const Rows& expected) {
  std::size_t next = 0;
  for (const std::string& row : actual) {
    if (next < expected.size() && row == expected[next]) ++next;
  }
  if (next == expected.size()) return ::testing::AssertionSuccess();
  std::string text;
  for (const std::string& row : actual) text += row + " ";
  return ::testing::AssertionFailure()
         << "missing '" << expected[next] << "' (in order) among: " << text;
}

// True when no row of `actual` equals `row`.
inline ::testing::AssertionResult absent(const Rows& actual, const std::string& row) {
  for (const std::string& r : actual) {
    if (r == row) return ::testing::AssertionFailure() << "'" << row << "' was sent";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace keldar::testing
