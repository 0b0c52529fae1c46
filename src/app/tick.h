// The 50 ms timer tick: alternate polls of the frequency and a meter.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

void handleTimerTick(Panel& panel);

}  // namespace keldar
