// keldar.cfg: fourteen lines, each value at fixed character positions so that
// a line may carry a label of its own in front of the value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

constexpr int kConfigLineCount = 14;

// Takes the value of configuration line lineNumber (1..14) into the state.
void applyConfigLine(PanelState& state, int lineNumber, std::string_view line);

// Repeater shift digits as menu commands and records need them: only the
// digits, left-padded with "0" to three (a four-digit 70 cm shift keeps four).
std::string normaliseShift(std::string_view text, std::size_t longest);

// A relay port equal to the radio's port would reopen the radio's own port
// as the relay; it is dropped with a line on stderr.
void dropRelayOnRadioPort(PanelState& state);

// A line that may not be taken: its number, its text, what the value taken
// from it holds and what the line may hold; or a line the file lacks.
struct ConfigProblem {
  int line = 0;
  std::string text;
  std::string holds;
  std::string allowed;
  bool missing = false;
};

// Whether configuration line lineNumber (1..14) holds a value the panel may
// use: a port number, a speed the radios take, 5 to 100 W, the digits each
// flag may be, a shift with its sign. Nothing when it does.
std::optional<ConfigProblem> checkConfigLine(int lineNumber, std::string_view line);

// One line for stderr: the line, what it holds, what is allowed.
std::string describeConfigProblem(const ConfigProblem& problem);

enum class ConfigResult { kRead, kMissing, kNotAFile, kRefused };

struct ConfigOutcome {
  ConfigResult result = ConfigResult::kRead;
  int line = 0;  // the refused line
  explicit operator bool() const { return result == ConfigResult::kRead; }
};

// Reads keldar.cfg from the working directory, checking each line before it
// is taken. Anything but kRead is said on stderr (with the folder searched,
// or the refused line) and leaves the rest of the file untaken.
ConfigOutcome readConfiguration(Panel& panel);

}  // namespace keldar
