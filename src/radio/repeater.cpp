#include "radio/repeater.h"

#include "cat/send_text.h"
#include "core/models.h"
#include "speech/player.h"

namespace keldar {

namespace {

// The shift command by band; an empty command on bands without a shift.
std::string shiftCommand(const PanelState& s) {
  switch (s.bandIndex) {
    case 10:
      return s.shift10mMinus != 0 ? "OS02" : "OS01";
    case 12:
      return s.shift2mMinus != 0 ? "OS02" : "OS01";
    case 11:
      return s.shift6mMinus != 0 ? "OS02" : "OS01";
    case 13:
      return s.shift70cmMinus != 0 ? "OS02" : "OS01";
    default:
      return "";
  }
}

bool isDcsText(std::string_view code) {
  return charAt(code, 1) > '4';
}

}  // namespace

void endSplit(Panel& panel) {
  PanelState& s = panel.state;
  if (s.vfoB != 1) return;
  s.vfoB = 0;
  sendText(panel, splitCommand(s.radioId, false));
}

void setRepeaterShift(Panel& panel) {
  PanelState& s = panel.state;
  if (s.repeaterMode < 2) playPhrase(panel, "repeater");
  if (s.repeaterMode == 1 || s.repeaterMode == 2) {
    if (s.repeaterMode == 1) playPhrase(panel, "off");
    s.repeaterMode = 0;
    endSplit(panel);
    sendText(panel, "OS00");
    return;
  }
  s.repeaterMode = 1;
  const std::string command = shiftCommand(s);
  if (!command.empty()) sendText(panel, command);
  playPhrase(panel, "on");
  if (s.toneEntry) sendText(panel, s.toneIsDcs == 1 ? "CT03" : "CT01");
}

std::string dcsCodeCommand(int32_t value, std::string_view toneCode) {
  // 500 + the DCS number: numbers 100 and up (600..) carry the hundreds flag.
  const bool hundreds = (value >= 600 && value <= 702) || (value >= 800 && value <= 899);
  return std::string("CN01") + (hundreds ? "1" : "0") + rightText(toneCode, 2);
}

void setToneSquelch(Panel& panel) {
  PanelState& s = panel.state;
  if (s.toneIsDcs != 0) {
    sendText(panel, charAt(s.toneCode, 1) > '6' ? "EX0863" : "EX0860");
    playPhrase(panel, "dcs");
    playPhrase(panel, "on");
    sendText(panel, dcsCodeCommand(toInt32(textToNumber(s.toneCode)), s.toneCode));
    // Announced "on", so switched on: DCS squelch, as CT01 is for a tone.
    sendText(panel, "CT03");
    return;
  }
  playPhrase(panel, "ctcss");
  const std::string command = "CN00" + s.toneCode;
  if (s.toneBeingApplied) {
    playPhrase(panel, "on");
  } else {
    for (long i = 1; i <= 3; ++i) {
      const char c = charAt(s.toneCode, i);
      if (c != '\0') playPhrase(panel, std::string(1, c));
    }
  }
  sendText(panel, command);
  sendText(panel, isDcsText(s.toneCode) ? "CT03" : "CT01");
}

void restoreToneSquelch(Panel& panel) {
  PanelState& s = panel.state;
  if (isDcsText(s.toneCode)) {
    s.toneIsDcs = 1;
    sendText(panel, dcsCodeCommand(toInt32(textToNumber(s.toneCode)), s.toneCode));
    sendText(panel, "CT03");
    return;
  }
  s.toneIsDcs = 0;
  sendText(panel, "CN00" + s.toneCode);
  sendText(panel, "CT01");
}

}  // namespace keldar
