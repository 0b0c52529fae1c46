#include "radio/apply_mode.h"

#include <cctype>
#include <string>
#include <string_view>

#include "cat/cat.h"
#include "cat/exchange.h"
#include "cat/send_text.h"
#include "core/radio_modes.h"
#include "core/window.h"
#include "display/display.h"
#include "radio/frequency_reply.h"
#include "radio/repeater.h"
#include "radio/stepping.h"

namespace keldar {

namespace {

// In CW a width index below this means the narrow filter.
constexpr int kCwNarrowBelow = 11;

bool allDigits(std::string_view text) {
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return !text.empty();
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

}  // namespace

void drawFrequencyPanel(Panel& panel) {
  PanelState& s = panel.state;
  setFont(panel, largeFont());
  moveTextPosition(panel, kModeField.x, kModeField.y);
  s.quietLimits = true;
  if (s.repeaterMode == 1) setRepeaterShift(panel);  // switches the shift off
  if (s.toneEntry) {
    sendText(panel, "CT00");
    s.toneCode = "999";
    s.toneEntry = false;
  }
  const bool known = panelModeKnown(s.modeIndex);
  if (known) {
    takeOverModeWidth(s);
    s.commandText = *modeCommandOf(s, s.modeIndex);
    printText(panel, modeFieldText(s));
    // A mode set by the program on the relay port has reached the radio
    // already; the panel's own command is one of its seven modes.
    if (!s.relayActive) {
      sendCommand(panel);
      s.radioModeCode = 0;
    }
  }
  // "NA0" alone is the radio's query for the filter, not a setting; the
  // setting carries the selector digit too.
  sendText(panel, s.modeIndex == kCw && s.widthIndex < kCwNarrowBelow ? "NA01" : "NA00");
  drawStatusLine(panel);
  if (isFmMode(s.modeIndex)) {
    readSquelchLevel(panel);
    return;
  }
  // Before the first frequency answer the frequency is not known; the start
  // band has just been tuned.
  if (s.frequency != 0) sendFrequency(panel);
  if (s.modeIndex >= kLsb && s.modeIndex <= kCw) sendWidth(panel);
  if (known) rememberBandMode(panel);
}

}  // namespace keldar
