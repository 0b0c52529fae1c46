#include "panel/display.h"

#include <cctype>
#include <string>

#include "panel/window.h"
#include "radio/cat.h"
#include "radio/exchange.h"
#include "radio/frequency_reply.h"
#include "radio/radio_modes.h"
#include "radio/repeater.h"
#include "radio/stepping.h"
#include "speech/player.h"

namespace keldar {

namespace {

// The face is asked for by this name; the platform resolves it.
constexpr const char* kFaceName = "Ariel";

enum class WidthRule { kSsb, kCw, kUnchanged };

struct ModeRow {
  // Padded so that the longest name is covered by any shorter one.
  std::string_view name;
  BasicString PanelState::*command;
  WidthRule width;
};

// Rows 1..7 are modeIndex 1..7.
constexpr ModeRow kModes[] = {
    {"", nullptr, WidthRule::kUnchanged},
    {"LSB    ", &PanelState::modeCommandLsb, WidthRule::kSsb},
    {"USB    ", &PanelState::modeCommandUsb, WidthRule::kSsb},
    {"CW      ", &PanelState::modeCommandCw, WidthRule::kCw},
    {"AM     ", &PanelState::modeCommandAm, WidthRule::kUnchanged},
    {"FMN     ", &PanelState::modeCommandFmNarrow, WidthRule::kUnchanged},
    {"C4FM  ", &PanelState::modeCommandC4fm, WidthRule::kUnchanged},
    {"FM      ", &PanelState::modeCommandFmWide, WidthRule::kUnchanged},
};
constexpr int kModeCount = 7;

constexpr int kCw = 3;
constexpr int kFmNarrow = 5;
constexpr int kFmWide = 7;
// In CW a width index below this means the narrow filter.
constexpr int kCwNarrowBelow = 11;

// A damaged band record can carry any mode digit; such a mode is not applied.
const ModeRow* modeRow(int32_t modeIndex) {
  if (modeIndex < 1 || modeIndex > kModeCount) return nullptr;
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
       const bool sideband = s.modeIndex == 1 || s.modeIndex == 2;
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

void send(Panel& panel, std::string_view command) {
  panel.state.commandText = command;
  sendCommand(panel);
}

bool allDigits(std::string_view text) {
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return !text.empty();
}

void takeOverWidth(PanelState& s, WidthRule rule) {
  if (rule == WidthRule::kSsb) s.widthIndex = s.ssbWidthIndex;
  if (rule == WidthRule::kCw) s.widthIndex = s.cwWidthIndex;
}

// The squelch answer may follow a poll answer that was still waiting
// ("FA014500000;SQ0008;"), so the level is read where "SQ" stands. An answer
// cut short leaves the level as it was.
void readSquelchLevel(Panel& panel) {
  askRadio(panel, "SQ0", Asker::kWork, [&panel](const RadioAnswer& answer) {
    // "SQ0" and three digits; an answer cut short leaves the level as it was.
    const std::string level = midText(answer.text, 4, 3);
    if (level.size() == 3 && allDigits(level)) {
      panel.state.squelchLevel = toInt32(textToNumber(level));
    }
  });
}

// A mode without a key of its own (DATA-U) shows as the radio names it.
std::string_view modeFieldText(const PanelState& s, const ModeRow& mode) {
  const RadioModeRow* radioMode = currentRadioMode(s);
  return radioMode != nullptr && s.radioModeCode != 0 ? radioMode->shown : mode.name;
}

}  // namespace

void drawModeField(Panel& panel) {
  PanelState& s = panel.state;
  const ModeRow* mode = modeRow(s.modeIndex);
  if (mode == nullptr) return;
  takeOverWidth(s, mode->width);
  setFont(panel, largeFont());
  moveTextPosition(panel, kModeField.x, kModeField.y);
  printText(panel, modeFieldText(s, *mode));
  drawStatusLine(panel);
}

FontSpec largeFont() {
  return FontSpec{kFaceName, 50, 700, 0};
}

FontSpec statusFont() {
  return FontSpec{kFaceName, 20, 20, 0};
}

std::string toneFieldText(const PanelState& state) {
  const std::string& code = state.toneCode.str();
  // Tone 000 (67.0 Hz) set is shown like any other; a band record's "000"
  // that was not applied means no tone.
  if (code == "999" || (code == "000" && state.toneEntry != 1)) return spaceText(30);
  if (charAt(code, 1) > '4') {  // a DCS code
    return state.toneIsDcs == 1 ? "dcs=" + code + spaceText(14) : spaceText(28);
  }
  return "ctcss=" + code + spaceText(13);
}

void drawFrequencyPanel(Panel& panel) {
  PanelState& s = panel.state;
  setFont(panel, largeFont());
  moveTextPosition(panel, kModeField.x, kModeField.y);
  s.quietLimits = 1;
  if (s.repeaterMode == 1) setRepeaterShift(panel);  // switches the shift off
  if (s.toneEntry == 1) {
    send(panel, "CT00");
    s.toneCode = "999";
    s.toneEntry = 0;
  }
  const ModeRow* mode = modeRow(s.modeIndex);
  if (mode != nullptr) {
    takeOverWidth(s, mode->width);
    s.commandText = s.*(mode->command);
    printText(panel, modeFieldText(s, *mode));
    // A mode set by the program on the relay port has reached the radio
    // already; the panel's own command is one of its seven modes.
    if (s.relayActive != 1) {
      sendCommand(panel);
      s.radioModeCode = 0;
    }
  }
  // "NA0" alone is the radio's query for the filter, not a setting; the
  // setting carries the selector digit too.
  send(panel, s.modeIndex == kCw && s.widthIndex < kCwNarrowBelow ? "NA01" : "NA00");
  drawStatusLine(panel);
  if (s.modeIndex == kFmNarrow || s.modeIndex == kFmWide) {
    readSquelchLevel(panel);
    return;
  }
  // Before the first frequency answer the frequency is not known; the start
  // band has just been tuned.
  if (s.frequency != 0) sendFrequency(panel);
  if (s.modeIndex >= 1 && s.modeIndex <= kCw) sendWidth(panel);
  if (mode != nullptr) rememberBandMode(panel);
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
