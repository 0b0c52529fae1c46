// The built-in simulated radio.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void simulateCommand(Panel& panel);
void simulatePollReply(Panel& panel);

}  // namespace keldar
