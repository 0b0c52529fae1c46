#include "share/shared_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "cat/cat.h"
#include "cat/send_text.h"
#include "core/models.h"
#include "core/radio_modes.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "radio/apply_mode.h"
#include "radio/frequency_reply.h"
#include "radio/stepping.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

using rigctld::Answer;
using rigctld::failure;

// The panel works VFO B while split is on (its frequency keys and polls go
// there); the radio receives on VFO A all the time.
char workingVfo(const PanelState& s) {
  return s.vfoB == 1 ? 'B' : 'A';
}

std::optional<char> vfoNamed(std::string_view name) {
  if (name == "VFOA" || name == "Main" || name == "A" || name == "currVFO") return 'A';
  if (name == "VFOB" || name == "Sub" || name == "B") return 'B';
  return std::nullopt;
}

// A passband: hertz, 0 for the normal width, -1 for no change.
std::optional<int32_t> wholeNumber(std::string_view text) {
  char* end = nullptr;
  const std::string copy(text);
  const long number = std::strtol(copy.c_str(), &end, 10);
  if (copy.empty() || *end != '\0' || number < -1 || number > 1000000) return std::nullopt;
  return static_cast<int32_t>(number);
}

// The one way a frequency from the other program reaches the radio and the
// panel: sent like the panel's own commands, then taken as commanded.
Answer commandFrequency(Panel& panel, char vfo, std::string_view hertzText) {
  PanelState& s = panel.state;
  const std::optional<int32_t> hertz = rigctld::parseHertz(hertzText);
  if (!hertz) return failure(rigctld::kInvalid);
  s.relayActive = true;
  const BasicString previous = s.lastFrequencyCommand;
  s.lastFrequencyCommand.clear();
  s.commandText = frequencyCommand(vfo == 'B' ? "FB" : "FA", *hertz);
  // "FA" would go to VFO B during split; the receive VFO itself is meant.
  const int32_t split = s.vfoB;
  // While split the panel works VFO B: the commanded VFO A frequency is VFO
  // A's text only, not the frequency the panel shows and re-sends.
  const int32_t shown = s.frequency;
  const BasicString shownReply = s.frequencyReply;
  const BasicString shownDisplay = s.frequencyDisplay;
  if (vfo == 'A') s.vfoB = 0;
  sendCommand(panel);
  s.vfoB = split;
  if (vfo == 'A' && split == 1) {
    s.frequency = shown;
    s.frequencyReply = shownReply;
    s.frequencyDisplay = shownDisplay;
  }
  if (s.lastFrequencyCommand.empty()) {
    // Not sent: beyond what this radio takes ("invalid" has been spoken).
    s.lastFrequencyCommand = previous;
    return failure(rigctld::kInvalid);
  }
  followCommandedFrequency(panel, s.lastFrequencyCommand);
  return {};
}

// The normal width of a mode Hamlib's passband 0 asks for, as the panel's
// width number (SSB 2.4 kHz, CW 500 Hz); other modes have one width.
void takePassband(PanelState& s, int32_t mode, int32_t passband) {
  if (passband < 0) return;
  const bool ssb = isSidebandMode(mode);
  if (!ssb && mode != kCw) return;
  const int32_t hertz = passband > 0 ? passband : ssb ? 2400 : 500;
  if (ssb) s.ssbWidthIndex = rigctld::widthForPassband(mode, hertz);
  if (mode == kCw) s.cwWidthIndex = rigctld::widthForPassband(mode, hertz);
}

// As a mode setting through the relay: the mode command first, then the
// panel draws the mode and applies the rest of it (filter, width, frequency).
Answer setMode(Panel& panel, const rigctld::Request& r) {
  PanelState& s = panel.state;
  const std::optional<int32_t> passband = wholeNumber(r.args[1]);
  if (!passband) return failure(rigctld::kInvalid);
  const RadioModeRow* current = currentRadioMode(s);
  const char code =
      rigctld::modeCodeForName(r.args[0], *passband, current != nullptr ? current->code : 0);
  const RadioModeRow* mode = radioModeByCode(code);
  // C4FM only where the model has it; what the radio lacks is refused.
  if (mode == nullptr || (s.radioId != 0 && !modelHasMode(s.radioId, code))) {
    return failure(rigctld::kInvalid);
  }
  s.relayActive = true;
  sendText(panel, std::string("MD0") + code);
  takePassband(s, mode->panelMode, *passband);
  holdRadioMode(s, *mode);
  drawFrequencyPanel(panel);
  // The operator hears a mode another program chose, once.
  if (current == nullptr || current->code != code) speakMode(panel);
  return {};
}

// The transmitter as the other program keys it; shutdown unkeys it.
Answer setPtt(Panel& panel, std::string_view value) {
  PanelState& s = panel.state;
  if (value == "0") {
    sendText(panel, "TX0");
    s.txState = 0;
    s.tuneActive = false;
    s.relayKeyed = false;
    return {};
  }
  if (value != "1" && value != "2" && value != "3") return failure(rigctld::kInvalid);
  sendText(panel, "TX1");
  s.relayKeyed = true;
  return {};
}

// Split on transmits on VFO B, which the panel then works, as with its own
// split key; the other program sets the frequencies itself.
Answer setSplit(Panel& panel, const rigctld::Request& r) {
  PanelState& s = panel.state;
  const std::optional<char> txVfo = vfoNamed(r.args[1]);
  if ((r.args[0] != "0" && r.args[0] != "1") || !txVfo) return failure(rigctld::kInvalid);
  const int32_t on = r.args[0] == "1" ? 1 : 0;
  if (on == 1 && *txVfo != 'B') return failure(rigctld::kInvalid);
  if (on == s.vfoB) return {};
  s.relayActive = true;
  s.vfoB = on;
  sendText(panel, splitCommand(s.radioId, on == 1));
  // The VFO the panel works now, as last seen, until the next poll.
  const BasicString& text = on == 1 ? s.vfoBText : s.vfoAText;
  followCommandedFrequency(panel, "F" + text.str());
  drawStatusLine(panel);
  return {};
}

long scaled(double fraction, int32_t top) {
  return std::lround(fraction * top);
}

Answer setLevel(Panel& panel, const rigctld::Request& r) {
  PanelState& s = panel.state;
  const std::string& name = r.args[0];
  if (name == "STRENGTH") return failure(rigctld::kNotAvailable);
  const std::optional<double> value = rigctld::parseFraction(r.args[1]);
  if (!value) return failure(rigctld::kInvalid);
  if (name == "AF") {
    s.afGain = static_cast<int32_t>(scaled(*value, 255));
    sendText(panel, "AG0" + zeroPadded(s.afGain, 3));
  } else if (name == "RF") {
    s.rfGain = static_cast<int32_t>(scaled(*value, 255));
    sendRfGain(panel);
  } else if (name == "SQL") {
    s.squelchLevel = static_cast<int32_t>(scaled(*value, 100));
    sendText(panel, "SQ0" + zeroPadded(s.squelchLevel, 3));
  } else if (name == "RFPOWER") {
    // Relative to the power the configuration allows, never above it.
    const int32_t top = std::max<int32_t>(s.maxPower, 5);
    s.powerLevel = std::clamp<int32_t>(static_cast<int32_t>(scaled(*value, top)), 5, top);
    sendPowerLevel(panel);
  } else {
    return failure(rigctld::kInvalid);
  }
  return {};
}

}  // namespace

int32_t knownFrequency(const PanelState& s, char vfo) {
  if (vfo == workingVfo(s)) return s.frequency;
  const std::string_view text = vfo == 'B' ? s.vfoBText : s.vfoAText;
  if (text.size() != 10 || !isDigitText(text.substr(1))) return 0;
  return toInt32(textToNumber(text.substr(1)));
}

rigctld::Answer applySetting(Panel& panel, char vfo, const rigctld::Request& request) {
  using rigctld::Command;
  if (request.args.size() < rigctld::argumentCount(request.command)) {
    return failure(rigctld::kInvalid);
  }
  if (!panel.state.connected) return failure(rigctld::kTimedOut);
  switch (request.command) {
    case Command::kSetFreq:
      return commandFrequency(panel, vfo, request.args[0]);
    case Command::kSetSplitFreq:
      return commandFrequency(panel, 'B', request.args[0]);
    case Command::kSetMode:
      return setMode(panel, request);
    case Command::kSetPtt:
      return setPtt(panel, request.args[0]);
    case Command::kSetSplitVfo:
      return setSplit(panel, request);
    case Command::kSetLevel:
      return setLevel(panel, request);
    default:
      return failure(rigctld::kNotImplemented);
  }
}

}  // namespace keldar
