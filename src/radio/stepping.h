// Value senders and Up/Down stepping.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

void sendFrequency(Panel& panel);
void roundFrequencyToKhz(Panel& panel);
void sendMicGain(Panel& panel);
void sendRfGain(Panel& panel);
void sendPowerLevel(Panel& panel);
void sendWidth(Panel& panel);
void sendKeySpeed(Panel& panel);
void readProcessorLevel(Panel& panel);
void stepUp(Panel& panel);
void stepDown(Panel& panel);

}  // namespace keldar
