#include "core/radio_modes.h"

#include <array>

#include "core/models.h"

namespace keldar {

namespace {

// The codes are those of the FT-series CAT manuals; Hamlib's names for them.
constexpr std::array<RadioModeRow, 15> kRadioModes{{
    {'1', "LSB", kLsb, false, "LSB     "},
    {'2', "USB", kUsb, false, "USB     "},
    {'3', "CW", kCw, false, "CW      "},
    {'4', "FM", kFmWide, false, "FM      "},
    {'5', "AM", kAm, false, "AM      "},
    {'6', "RTTY", kLsb, true, "RTTY    "},
    {'7', "CWR", kCw, false, "CW-R    "},
    {'8', "PKTLSB", kLsb, true, "LSB data"},
    {'9', "RTTYR", kUsb, true, "RTTY-R  "},
    {'A', "PKTFM", kFmWide, true, "FM data "},
    {'B', "FMN", kFmNarrow, false, "FMN     "},
    {'C', "PKTUSB", kUsb, true, "USB data"},
    {'D', "AMN", kAm, false, "AM-N    "},
    {'E', "C4FM", kC4fm, false, "C4FM    "},
    {'F', "PKTFMN", kFmNarrow, true, "FMN data"},
}};

// By PanelMode: the radio codes of the panel's own mode commands.
constexpr std::array<char, kPanelModeCount + 1> kPlainCodes{0, '1', '2', '3', '5', 'B', 'E', '4'};

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

const BasicString* modeCommandOf(const PanelState& s, int32_t panelMode) {
  switch (panelMode) {
    case kLsb:
      return &s.modeCommandLsb;
    case kUsb:
      return &s.modeCommandUsb;
    case kCw:
      return &s.modeCommandCw;
    case kAm:
      return &s.modeCommandAm;
    case kFmNarrow:
      return &s.modeCommandFmNarrow;
    case kC4fm:
      return &s.modeCommandC4fm;
    case kFmWide:
      return &s.modeCommandFmWide;
    default:
      return nullptr;
  }
}

char plainModeCode(int32_t panelMode) {
  return isPanelMode(panelMode) ? kPlainCodes[static_cast<std::size_t>(panelMode)] : 0;
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
  if (mode.panelMode == kFmNarrow) s.wideFm = false;
  if (mode.panelMode == kFmWide) s.wideFm = true;
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
