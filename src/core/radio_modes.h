// The radio's own modes, as its "MD0x" codes, beside the panel's seven: the
// data modes, reverse CW and RTTY have no key of their own, so the panel
// holds them as its nearest mode plus the radio's code.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/panel_state.h"

namespace keldar {

struct RadioModeRow {
  char code;                    // after "MD0"
  std::string_view hamlibName;  // as rigctld names it: "PKTUSB"
  int32_t panelMode;            // the nearest of the panel's modes
  bool data;                    // spoken and shown with "data"
  std::string_view shown;       // the mode field's text
};

const RadioModeRow* radioModeByCode(char code);
const RadioModeRow* radioModeByName(std::string_view hamlibName);
// The configured command of one of the panel's modes ("MD02" for USB);
// nothing for a number that is no mode.
const BasicString* modeCommandOf(const PanelState& state, int32_t panelMode);
// The code the panel's own mode command carries ('2' for USB); 0 for none.
char plainModeCode(int32_t panelMode);
// The radio's mode as the panel holds it: the radio's code while it still
// applies, else the code of the panel's own mode.
const RadioModeRow* currentRadioMode(const PanelState& state);
// The radio's mode taken as the panel's: the nearest mode number and, for a
// mode without a key, the code beside it. Nothing is drawn or said.
void holdRadioMode(PanelState& state, const RadioModeRow& mode);
// A mode answer ("MD0C;") taken the same way; false when it is none.
bool takeModeAnswer(PanelState& state, std::string_view answer);
// True when the model offers the mode (its "MD0x" code).
bool modelHasMode(int32_t radioId, char code);

}  // namespace keldar
