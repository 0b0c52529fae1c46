// The multi-key entries: handleKey calls each when its key comes and the
// entry it belongs to is open.
#pragma once

#include "core/panel.h"

namespace keldar {

// B: the band letters X, T, S and U after B.
void chooseBandByLetter(Panel& panel);
// U: recall the next stored channel of the bank last recalled from.
void recallNextChannel(Panel& panel);
// K: key-speed entry on (CW, break-in off) or off.
void toggleKeySpeedEntry(Panel& panel);
// Ends a key-speed entry: mode and break-in back as they were.
void endKeySpeedEntry(Panel& panel);
// I in FM: start typing a tone code, or switch the tone off.
void startOrClearTone(Panel& panel);
// Enter after a typed tone code: check and apply it.
void applyTypedTone(Panel& panel);
// N: start a menu number.
void startMenuEntry(Panel& panel);
// Enter after the menu number.
void takeMenuNumber(Panel& panel);
// Enter after the menu value: write it, or read the menu aloud.
void writeOrReadMenu(Panel& panel);
// E: start a frequency entry.
void startFrequencyEntry(Panel& panel);
// The point key in a frequency entry.
void takeFrequencyPoint(Panel& panel);
// Enter at the end of a frequency entry.
void tuneTypedFrequency(Panel& panel);
// F: speak the frequency and mode (after X: transmit frequency or VFO A).
void readOutFrequency(Panel& panel);
// F11: mic gain and ALC readout.
void startMicGainEntry(Panel& panel);
// A key after the prefix X: M toggles FM narrow and wide.
void prefixedKey(Panel& panel);

}  // namespace keldar
