// Connection, frequency replies and band bookkeeping.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void handleFrequencyReply(Panel& panel);
void bandForFrequency(Panel& panel);
void rememberBandMode(Panel& panel);

}  // namespace keldar
