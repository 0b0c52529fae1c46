// A mode chosen on the panel (or a band's stored mode) applied to the radio.
#pragma once

#include "core/panel.h"

namespace keldar {

// Draws the mode and applies it to the radio: mode command, narrow filter,
// then the FM squelch level or the frequency and width.
void drawFrequencyPanel(Panel& panel);

}  // namespace keldar
