// keldar.cfg: fourteen lines, each value at fixed character positions so that
// a line may carry a label of its own in front of the value.
#pragma once

#include <string>
#include <string_view>

#include "app/panel.h"

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

// Reads keldar.cfg from the working directory. False, with nothing taken,
// when it is missing or not a readable file.
bool readConfiguration(Panel& panel);

}  // namespace keldar
