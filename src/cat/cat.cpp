#include "cat/cat.h"

#include <algorithm>
#include <array>
#include <string>

#include "cat/answers.h"
#include "cat/commanded_state.h"
#include "cat/exchange.h"
#include "core/models.h"
#include "speech/player.h"

namespace keldar {

namespace {

// "FA" + nine digits + ";"
constexpr std::size_t kNineDigitCommandLength = 12;

bool isFrequencyMnemonic(std::string_view text) {
  return text.starts_with("FA") || text.starts_with("FB");
}

bool allDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The eight-digit form drops the digits between the mnemonic and the last
// eight; true when that is safe (every dropped digit is "0").
bool narrowFrequencyCommand(std::string& text) {
  if (text.size() <= kNineDigitCommandLength - 1) return true;  // nothing to drop
  const std::string dropped = midText(text, 3, static_cast<long>(text.size()) - 11);
  if (dropped.find_first_not_of('0') != std::string::npos) return false;
  text = leftText(text, 2) + rightText(text, 9);
  return true;
}

// True when `command` (";" included) is not to be written yet.
bool heldFromDevice(const PanelState& s, std::string_view command) {
  if (!s.deviceUnproven) return false;
  // Unkeying is never held back; waking a radio switched off is configured.
  static constexpr std::array<std::string_view, 4> kAlways = {"ID;", "TX0;", "PS1;", "Power on;"};
  return std::find(kAlways.begin(), kAlways.end(), command) == kAlways.end();
}

}  // namespace

bool sendCommand(Panel& panel) {
  return sendCommand(panel, Asker::kWork);
}

bool sendCommand(Panel& panel, Asker setter) {
  PanelState& s = panel.state;
  std::string text = s.commandText.str();
  if (s.vfoB == 1 && text.starts_with("FA")) text.replace(0, 2, "FB");
  text += ";";
  s.commandText = text;
  const bool frequencySetting = isFrequencyMnemonic(text) && text.size() >= 6;
  if (frequencySetting && usesEightDigits(s)) {
    const std::string nineDigits = text;
    if (!narrowFrequencyCommand(text)) {
      // The radio would read the remaining eight digits as another frequency.
      writeDebugLine(panel, "TX!=" + nineDigits + " not sent: beyond eight digits");
      playPhrase(panel, "invalid");
      return false;
    }
    // A command that already came in the eight-digit form (from the relay)
    // is remembered in the nine-digit form like every other.
    s.lastFrequencyCommand = nineDigits.size() == kNineDigitCommandLength - 1
                                 ? leftText(nineDigits, 2) + "0" + midText(nineDigits, 3)
                                 : nineDigits;
  } else if (frequencySetting) {
    s.lastFrequencyCommand = text;
  }
  const bool held = heldFromDevice(s, text);
  if (held) {
    writeDebugLine(panel, "TX!=" + text + " held: no radio has answered");
  } else if (s.simulationMode == 1) {
    // The simulated radio takes it: no device is written, and the trace shows
    // the command as a real port's write would.
    panel.traceLine("WRITE", std::to_string(s.comPort) + " " + Trace::escape(text));
  } else {
    panel.serial.writePort(s.comPort, text.data(), static_cast<int>(text.size()));
    noteCommandSent(s, text);
    noteWritten(panel, text, setter);
  }
  if (!held) writeDebugLine(panel, "TX=" + text);
  noteSentCommand(panel, frequencySetting ? s.lastFrequencyCommand.str() : text);
  return !held;
}

std::string widenedFrequencyReply(const PanelState& s, std::string_view reply) {
  if (!usesEightDigits(s) || !isFrequencyMnemonic(reply)) return std::string(reply);
  return leftText(reply, 2) + "0" + midText(reply, 3, 9);
}

std::optional<std::string> replyField(std::string_view reply, std::string_view mnemonic,
                                      long offset, long length) {
  const long p = findText(reply, mnemonic);
  if (p == 0) return std::nullopt;
  const long start = p + offset;
  if (length < 0) return midText(reply, start);
  if (start < 1 || start + length - 1 > static_cast<long>(reply.size())) return std::nullopt;
  return midText(reply, start, length);
}

std::optional<int32_t> replyNumber(std::string_view reply, std::string_view mnemonic, long offset,
                                   long length) {
  const std::optional<std::string> field = replyField(reply, mnemonic, offset, length);
  if (!field || field->empty() || field->size() > 9 || !allDigits(*field)) return std::nullopt;
  return toInt32(textToNumber(*field));
}

std::string frequencyCommand(std::string_view mnemonic, int64_t hertz) {
  hertz = std::max<int64_t>(hertz, 0) % 1000000000;
  return std::string(mnemonic) + zeroPadded(static_cast<double>(hertz), 9);
}

}  // namespace keldar
