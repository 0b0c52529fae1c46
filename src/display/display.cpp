#include "display/display.h"

#include <iterator>
#include <string>

#include "core/radio_modes.h"
#include "core/window.h"

namespace keldar {

namespace {

// The face is asked for by this name; the platform resolves it.
constexpr const char* kFaceName = "Ariel";

enum class WidthRule { kSsb, kCw, kUnchanged };

struct ModeRow {
  // Padded so that the longest name is covered by any shorter one.
  std::string_view name;
  WidthRule width;
};

// By PanelMode; row 0 is no mode.
constexpr ModeRow kModes[] = {
    {"", WidthRule::kUnchanged},        {"LSB    ", WidthRule::kSsb},
    {"USB    ", WidthRule::kSsb},       {"CW      ", WidthRule::kCw},
    {"AM     ", WidthRule::kUnchanged}, {"FMN     ", WidthRule::kUnchanged},
    {"C4FM  ", WidthRule::kUnchanged},  {"FM      ", WidthRule::kUnchanged},
};
static_assert(std::size(kModes) == kPanelModeCount + 1);

// A damaged band record can carry any mode digit; such a mode is not applied.
const ModeRow* modeRow(int32_t modeIndex) {
  if (!isPanelMode(modeIndex)) return nullptr;
  return &kModes[modeIndex];
}

struct StatusField {
  int x;
  int offBlanks;
  // The text shown when the function is on; empty when it is off.
  std::string_view (*onText)(const PanelState&);
};

// Drawn left to right: a field's blanks may reach into the next field, which
// is drawn after it.
constexpr StatusField kStatusFields[] = {
    {40, 12,
     [](const PanelState& s) -> std::string_view { return s.preampOn == 1 ? "preamp " : ""; }},
    {170, 4,
     [](const PanelState& s) -> std::string_view { return s.attenuatorOn == 1 ? "att" : ""; }},
    {240, 4,
     [](const PanelState& s) -> std::string_view { return s.noiseBlankerOn == 1 ? "nb" : ""; }},
    {310, 3,
     [](const PanelState& s) -> std::string_view { return s.noiseReduction == 1 ? "nr" : ""; }},
    {360, 9, [](const PanelState& s) -> std::string_view { return s.notchOn == 1 ? "notch" : ""; }},
    {460, 8,
     [](const PanelState& s) -> std::string_view { return s.contourState > 0 ? "Cont." : ""; }},
    {550, 7,
     [](const PanelState& s) -> std::string_view {
       const bool sideband = isSidebandMode(s.modeIndex);
       return s.speechProcessor > 0 && sideband ? "spc" : "";
     }},
    {620, 5,
     [](const PanelState& s) -> std::string_view {
       if (s.modeIndex == kCw) return s.breakInOn == 1 ? "bin " : "";
       return s.voxOn == 1 ? "vox" : "";
     }},
    {690, 11,
     [](const PanelState& s) -> std::string_view { return s.monitorOn == 1 ? "mon" : ""; }},
};
constexpr int kToneFieldX = 780;

void takeOverWidth(PanelState& s, WidthRule rule) {
  if (rule == WidthRule::kSsb) s.widthIndex = s.ssbWidthIndex;
  if (rule == WidthRule::kCw) s.widthIndex = s.cwWidthIndex;
}

}  // namespace

bool panelModeKnown(int32_t modeIndex) {
  return modeRow(modeIndex) != nullptr;
}

void takeOverModeWidth(PanelState& s) {
  if (const ModeRow* mode = modeRow(s.modeIndex)) takeOverWidth(s, mode->width);
}

std::string_view modeFieldText(const PanelState& s) {
  const ModeRow* mode = modeRow(s.modeIndex);
  if (mode == nullptr) return {};
  // A mode without a key of its own (DATA-U) shows as the radio names it.
  const RadioModeRow* radioMode = currentRadioMode(s);
  return radioMode != nullptr && s.radioModeCode != 0 ? radioMode->shown : mode->name;
}

void drawModeField(Panel& panel) {
  PanelState& s = panel.state;
  const ModeRow* mode = modeRow(s.modeIndex);
  if (mode == nullptr) return;
  takeOverWidth(s, mode->width);
  setFont(panel, largeFont());
  moveTextPosition(panel, kModeField.x, kModeField.y);
  printText(panel, modeFieldText(s));
  drawStatusLine(panel);
}

FontSpec largeFont() {
  return FontSpec{kFaceName, 50, 700, 0};
}

FontSpec statusFont() {
  return FontSpec{kFaceName, 20, 20, 0};
}

std::string frequencyFieldText(std::string_view nineDigits) {
  std::string text = leftText(nineDigits, 3) + "." + rightText(nineDigits, 6);
  for (char& c : text) {
    if (c != '0') break;
    c = ' ';
  }
  return text;
}

std::string toneFieldText(const PanelState& state) {
  const std::string& code = state.toneCode.str();
  // Tone 000 (67.0 Hz) set is shown like any other; a band record's "000"
  // that was not applied means no tone.
  if (code == "999" || (code == "000" && !state.toneEntry)) return spaceText(30);
  if (charAt(code, 1) > '4') {  // a DCS code
    return state.toneIsDcs == 1 ? "dcs=" + code + spaceText(14) : spaceText(28);
  }
  return "ctcss=" + code + spaceText(13);
}

void drawStatusLine(Panel& panel) {
  PanelState& s = panel.state;
  setFont(panel, statusFont());
  for (const StatusField& field : kStatusFields) {
    moveTextPosition(panel, field.x, kStatusLineY);
    const std::string_view on = field.onText(s);
    printText(panel, on.empty() ? spaceText(field.offBlanks) : std::string(on));
  }
  moveTextPosition(panel, kToneFieldX, kStatusLineY);
  printText(panel, toneFieldText(s));
  // Redrawn with each frequency answer, like the status line.
  drawTransmitFields(panel);
  drawEntryField(panel);
  setFont(panel, largeFont());
}

}  // namespace keldar
