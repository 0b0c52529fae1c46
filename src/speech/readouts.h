// Spoken readouts: one value of the panel state turned into a row of
// phrases, played in order; each returns when its last phrase has ended.
#pragma once

#include <string>

#include "core/panel.h"

namespace keldar {

void speakFrequency(Panel& panel);
void speakMode(Panel& panel);
void speakBandwidth(Panel& panel);
void speakPower(Panel& panel);
void speakBand(Panel& panel);
// Also redraws the S-meter field at 750,45.
void speakSMeter(Panel& panel);
void speakSwr(Panel& panel);
// The SWR as speakSwr says it, for the window: "1.4", ">5"; "-.-" before a
// reading has come.
std::string swrFigure(const PanelState& state);
void speakAlc(Panel& panel);
void speakKeySpeed(Panel& panel);

// Redraws the S-meter field without a sound: the readout runs with the "xx"
// prefix, which names no recording, and the prefix is put back afterwards.
void refreshSMeterSilently(Panel& panel);

}  // namespace keldar
