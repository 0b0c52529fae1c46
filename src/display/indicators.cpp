// The fields that show what the operator hears beyond the fixed layout: the
// transmit marker and meters, the entry being typed, and the key help.
#include <string>

#include "base/key_codes.h"
#include "base/text.h"
#include "core/window.h"
#include "display/display.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int kTypedEntryKept = kEntryFieldChars - 2;

std::string padded(std::string text, int width) {
  if (static_cast<int>(text.size()) < width)
    text += spaceText(width - static_cast<int>(text.size()));
  return text;
}

// White on black: the front-ends' inverse style.
FontSpec inverse(FontSpec font) {
  font.style |= 0x100;
  return font;
}

// An entry is open from its first key until its Enter (or the last digit
// of a channel) ends it.
bool entryOpen(const PanelState& s) {
  return s.freqEntryActive || s.pendingMode == kEntryMenuNumber ||
         s.pendingMode == kEntryMenuValue || s.memoryMode >= 1 || (s.toneEntry && s.toneTyping);
}

// The key as the entry shows it: letters start a group, Enter ends one.
std::string keyLabel(int32_t k) {
  if (k >= '0' && k <= '9') return std::string(1, static_cast<char>(k));
  if (k >= vk::kPadZero && k <= vk::kPadNine) {
    return std::string(1, static_cast<char>('0' + k - vk::kPadZero));
  }
  if (k == vk::kPoint || k == vk::kPadPoint) return ".";
  if (k == vk::kEnter) return " ";
  if (k >= 'A' && k <= 'Z') return std::string(1, static_cast<char>(k)) + " ";
  return "";
}

void printAt(Panel& panel, FieldPosition at, const std::string& text) {
  moveTextPosition(panel, at.x, at.y);
  printText(panel, text);
}

}  // namespace

FontSpec helpFont() {
  return FontSpec{"Ariel", 15, 400, 0};
}

void drawHelpLines(Panel& panel) {
  const FontSpec before = panel.state.panelWindow.font;
  setFont(panel, helpFont());
  int y = kHelpLinesTop;
  for (std::string_view line : kHelpLines) {
    printAt(panel, {kHelpLinesX, y}, std::string(line));
    y += kHelpLineStep;
  }
  setFont(panel, before);
}

bool transmitterKeyed(const PanelState& s) {
  return s.txState != 0 || s.tuneActive || s.relayKeyed;
}

void drawTransmitFields(Panel& panel) {
  PanelState& s = panel.state;
  const bool keyed = transmitterKeyed(s);
  if (!keyed && !s.panelWindow.showsTransmit) return;
  const FontSpec before = s.panelWindow.font;
  setFont(panel, keyed ? inverse(largeFont()) : largeFont());
  printAt(panel, kTxMarkerField, keyed ? " TX " : spaceText(kTxFieldChars));
  if (keyed && !s.panelWindow.showsTransmit) {
    // The receive reading goes; the next S-meter answer after the
    // transmission draws it again.
    setFont(panel, largeFont());
    printAt(panel, kSMeterField, spaceText(5));
  }
  setFont(panel, statusFont());
  const std::string swr = keyed ? "SWR " + swrFigure(s) : "";
  const std::string power = keyed ? "PWR " + std::to_string(s.powerLevel) + " W" : "";
  printAt(panel, kSwrField, padded(swr, kMeterFieldChars));
  printAt(panel, kPowerField, padded(power, kMeterFieldChars));
  setFont(panel, before);
  s.panelWindow.showsTransmit = keyed;
}

void noteEntryKey(Panel& panel, bool repeat) {
  PanelState& s = panel.state;
  if (repeat) return;
  if (!entryOpen(s)) {
    s.typedEntry = "";
  } else {
    std::string typed = s.typedEntry.str() + keyLabel(s.keyCode);
    if (static_cast<int>(typed.size()) > kTypedEntryKept) {
      typed = typed.substr(typed.size() - kTypedEntryKept);
    }
    s.typedEntry = typed;
  }
  drawEntryField(panel);
}

void drawEntryField(Panel& panel) {
  PanelState& s = panel.state;
  if (s.typedEntry.empty() && !s.panelWindow.showsEntry) return;
  const FontSpec before = s.panelWindow.font;
  setFont(panel, statusFont());
  printAt(panel, kEntryField, padded(s.typedEntry.str(), kEntryFieldChars));
  setFont(panel, before);
  s.panelWindow.showsEntry = !s.typedEntry.empty();
}

}  // namespace keldar
