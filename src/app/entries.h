// The multi-key entries: each rule runs at its fixed point of handleKey.
#pragma once

#include "core/panel.h"

namespace keldar {

// B: the band letters X, T, S and U after B.
void ruleBandLetter(Panel& panel);
// U: recall the next stored channel of the bank last recalled from.
void ruleNextChannel(Panel& panel);
// K: key-speed entry on (CW, break-in off) or off.
void ruleKeySpeedKey(Panel& panel);
// Ends a key-speed entry: mode and break-in back as they were.
void ruleEndKeySpeed(Panel& panel);
// I in FM: start typing a tone code, or switch the tone off.
void ruleToneKey(Panel& panel);
// Enter after a typed tone code: check and apply it.
void ruleToneEnter(Panel& panel);
// N: start a menu number.
void ruleMenuKey(Panel& panel);
// Enter after the menu number.
void ruleMenuNumberEnter(Panel& panel);
// Enter after the menu value: write it, or read the menu aloud.
void ruleMenuValueEnter(Panel& panel);
// E: start a frequency entry.
void ruleFrequencyKey(Panel& panel);
// The point key in a frequency entry.
void rulePointKey(Panel& panel);
// Enter at the end of a frequency entry.
void ruleFrequencyEnter(Panel& panel);
// F: speak the frequency and mode (after X: transmit frequency or VFO A).
void ruleFrequencyReadout(Panel& panel);
// F11: mic gain and ALC readout.
void ruleMicGain(Panel& panel);
// A key after the prefix X: M toggles FM narrow and wide.
void ruleExtended(Panel& panel);

}  // namespace keldar
