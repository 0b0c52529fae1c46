// The single-key commands of the dispatcher that take more than a line:
// transmit, split, C4FM, options, tune, the mode cycle and the frequency
// and squelch keys.
#pragma once

#include "core/panel.h"

namespace keldar {

void transmitKey(Panel& panel);  // space
// Space or T on a transmitter that may be keyed, connected or not: a tune
// ends as T ends it, then "TX0" and "tx off".
void releaseKey(Panel& panel);
void levelKey(Panel& panel);        // L
void c4fmKey(Panel& panel);         // D
void optionsReadout(Panel& panel);  // O
void splitKey(Panel& panel);        // V
void zeroInKey(Panel& panel);       // Z
void tuneKey(Panel& panel);         // T
void nextModeKey(Panel& panel);     // M
// What every key not taken before reaches: frequency and squelch keys,
// then the frequency is sent again.
void frequencyOrSquelchKey(Panel& panel);

// What a close request must not leave behind for shutdown to save: a
// key-speed entry's temporary CW mode.
void endKeyActivities(Panel& panel);

}  // namespace keldar
