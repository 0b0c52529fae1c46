// Spoken readouts built from phrases.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void speakFrequency(Panel& panel);
void speakMode(Panel& panel);
void speakBandwidth(Panel& panel);
void speakPower(Panel& panel);
void speakBand(Panel& panel);
void speakSMeter(Panel& panel);
void speakSwr(Panel& panel);
void speakAlc(Panel& panel);
void speakKeySpeed(Panel& panel);

}  // namespace keldar
