// The front panel: fields drawn at fixed positions, and mode changes applied to the radio.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void drawFrequencyPanel(Panel& panel);
void drawStatusLine(Panel& panel);

}  // namespace keldar
