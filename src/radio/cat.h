// CAT exchange: framing, sending, reading, and the debug log.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void sendCommand(Panel& panel);
void readReply(Panel& panel);
void widenFrequencyReply(Panel& panel);
void writeDebugLine(Panel& panel, std::string_view text);

}  // namespace keldar
