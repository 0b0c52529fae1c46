// Shared set-up for the radio link tests: a scenario whose radio port is
// open, with the default band table, and a radio that answers by a table.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "base/files.h"
#include "core/panel_state.h"
#include "support/scenario.h"

namespace keldar::testing {

constexpr int kRadioPort = 3;
constexpr int kRelayPort = 5;

inline void prepareRadio(Scenario& sc) {
  PanelState& s = sc.state();
  s.comPort = kRadioPort;
  s.baudRate = 38400;
  s.radioPortOpen = sc.serial.openPort(kRadioPort, s.baudRate);
  sc.serial.setReadTimeouts(kRadioPort, -1);
  for (int band = 1; band <= kBandCount; ++band) s.bandTable[band] = kDefaultBandTable[band];
}

// Answers each command written to the radio's port from a table keyed by the
// command as sent ("ID;" -> "ID0670;"); commands not in it get no answer.
inline void answerFrom(Scenario& sc, std::map<std::string, std::string> answers) {
  sc.serial.setResponder([answers = std::move(answers)](int port, const std::string& written) {
    if (port != kRadioPort) return std::string();
    const auto it = answers.find(written);
    return it == answers.end() ? std::string() : it->second;
  });
}

// Switches debug.dat on, written into the scenario's directory.
inline void openDebugLog(Scenario& sc) {
  sc.state().debugLog = 1;
  openFile(sc.state().debugFile, sc.path("debug.dat"), "W");
}

}  // namespace keldar::testing
