// Key command dispatcher: every key press, in its fixed order of checks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

// A key-down event: the key in currentWParam.
void handleKey(Panel& panel);
// A key-up event: that key may act again.
void handleKeyRelease(Panel& panel);
// The window's close request: ends the run, first ending an entry whose
// temporary mode shutdown would otherwise save.
void handleCloseRequest(Panel& panel);

}  // namespace keldar
