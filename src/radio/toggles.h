// Function toggles of the F keys.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

void setPreamp(Panel& panel);
void toggleAttenuator(Panel& panel);
void toggleNoiseBlanker(Panel& panel);
void toggleNoiseReduction(Panel& panel);
void toggleNotch(Panel& panel);
void cycleContour(Panel& panel);
void toggleSpeechProcessor(Panel& panel);
void toggleBreakIn(Panel& panel);
void toggleVox(Panel& panel);
void toggleMonitor(Panel& panel);
void cycleTuner(Panel& panel);

}  // namespace keldar
