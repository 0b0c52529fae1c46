// debug.dat: one line per command, answer and key while logging is on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

// One line of debug.dat when logging is on.
void writeDebugLine(Panel& panel, std::string_view text);
// The debug.dat line of a key: "*C/R", "*.", "*a (1)" (numeric pad), "*F".
std::string keyLineText(int32_t keyCode);
// Writes the key line of panel.state.keyCode when logging is on.
void writeKeyLine(Panel& panel);

}  // namespace keldar
