#include "core/radio_modes.h"

#include <array>

#include "core/models.h"

namespace keldar {

namespace {

// The codes are those of the FT-series CAT manuals; Hamlib's names for them.
constexpr std::array<RadioModeRow, 15> kRadioModes{{
    {'1', "LSB", 1, false, "LSB     "},
    {'2', "USB", 2, false, "USB     "},
    {'3', "CW", 3, false, "CW      "},
    {'4', "FM", 7, false, "FM      "},
    {'5', "AM", 4, false, "AM      "},
    {'6', "RTTY", 1, true, "RTTY    "},
    {'7', "CWR", 3, false, "CW-R    "},
    {'8', "PKTLSB", 1, true, "LSB data"},
    {'9', "RTTYR", 2, true, "RTTY-R  "},
    {'A', "PKTFM", 7, true, "FM data "},
    {'B', "FMN", 5, false, "FMN     "},
    {'C', "PKTUSB", 2, true, "USB data"},
    {'D', "AMN", 4, false, "AM-N    "},
    {'E', "C4FM", 6, false, "C4FM    "},
    {'F', "PKTFMN", 5, true, "FMN data"},
}};

// Panel modes 1..7 as the radio codes of their own mode commands.
constexpr std::array<char, 8> kPlainCodes{0, '1', '2', '3', '5', 'B', 'E', '4'};

}  // namespace

const RadioModeRow* radioModeByCode(char code) {
  for (const RadioModeRow& row : kRadioModes) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

const RadioModeRow* radioModeByName(std::string_view hamlibName) {
  for (const RadioModeRow& row : kRadioModes) {
    if (row.hamlibName == hamlibName) return &row;
  }
  return nullptr;
}

char plainModeCode(int32_t panelMode) {
  return panelMode >= 1 && panelMode <= 7 ? kPlainCodes[static_cast<std::size_t>(panelMode)] : 0;
}

const RadioModeRow* currentRadioMode(const PanelState& s) {
  if (s.radioModeCode != 0 && s.radioModeOf == s.modeIndex) {
    return radioModeByCode(s.radioModeCode);
  }
  return radioModeByCode(plainModeCode(s.modeIndex));
}

void holdRadioMode(PanelState& s, const RadioModeRow& mode) {
  s.modeIndex = mode.panelMode;
  const bool own = plainModeCode(mode.panelMode) == mode.code;
  s.radioModeCode = own ? 0 : mode.code;
  s.radioModeOf = own ? 0 : mode.panelMode;
  if (mode.panelMode == 5) s.wideFm = 0;
  if (mode.panelMode == 7) s.wideFm = 1;
}

bool takeModeAnswer(PanelState& s, std::string_view answer) {
  if (answer.size() < 5 || !answer.starts_with("MD0") || answer[4] != ';') return false;
  const RadioModeRow* mode = radioModeByCode(answer[3]);
  if (mode == nullptr) return false;
  holdRadioMode(s, *mode);
  return true;
}

bool modelHasMode(int32_t radioId, char code) {
  return radioModel(radioId).modeCodes.find(code) != std::string_view::npos;
}

}  // namespace keldar
