// The panel's own commands are the latest word on where the radio is: a
// frequency the panel commands is its frequency at once, and an answer to a
// query written before the panel's latest command that moves the radio is
// stale and changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/panel.h"

namespace keldar {

// True for a command that moves the radio: a frequency, mode or band
// setting, a VFO choice, zero-in, a step up or down.
bool movesRadio(std::string_view command);

// Called by sendCommand for every command written (with its ";"; a frequency
// setting in its nine-digit form): counts the commands that move the radio
// (each query is stamped with that count as it is written) and takes a
// commanded frequency.
void noteSentCommand(Panel& panel, std::string_view command);

// The frequency the panel has just commanded, "FA"/"FB" and nine digits:
// the VFO text follows it, and on the VFO the panel works (A, or B while
// split) so do `frequency`, `frequencyReply` and `frequencyDisplay`. Every
// frequency setting the panel sends, the relay's included, comes here.
void takeCommandedFrequency(Panel& panel, std::string_view command);

}  // namespace keldar
