#include "share/relay.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "cat/answers.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "core/models.h"
#include "core/radio_modes.h"
#include "display/display.h"
#include "radio/apply_mode.h"
#include "radio/frequency_reply.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

// Commands forwarded per service: a burst is passed on at once, and a
// program that floods the port cannot hold the loop.
constexpr int kCommandsPerService = 32;

// The mode a command such as "MD0B" sets, read back through the panel's own
// mode command table; nothing for a code the panel has no mode for.
std::optional<int32_t> modeForCommand(const PanelState& s, std::string_view command) {
  const std::string code = leftText(command, 4);
  for (int32_t mode = kLsb; mode <= kFmWide; ++mode) {
    if (modeCommandOf(s, mode)->str() == code) return mode;
  }
  return std::nullopt;
}

bool relayUsable(const PanelState& s) {
  // A relay on the radio's own port would feed the radio's answers back to it.
  return s.relayPort > 0 && s.relayPort != s.comPort;
}

// Appends what the other program has sent, as much as relayPending can hold;
// the rest waits in the port for the next service.
void takeRelayBytes(Panel& panel) {
  PanelState& s = panel.state;
  s.portBytes = panel.serial.bytesWaiting(s.relayPort);
  const int room = static_cast<int>(BasicString::kCapacity - s.relayPending.size());
  if (s.portBytes <= 0 || room <= 0) return;
  std::array<char, BasicString::kCapacity> buffer{};
  const int count = std::clamp(panel.serial.readPort(s.relayPort, buffer.data(), room), 0, room);
  s.relayChunk = std::string_view(buffer.data(), static_cast<std::size_t>(count));
  s.relayPending = s.relayPending + s.relayChunk;
}

// A mode set by the other program: true when the panel took it over.
bool followModeSetting(Panel& panel) {
  PanelState& s = panel.state;
  const std::string_view sent = s.commandText;
  if (!sent.starts_with("MD0") || charAt(sent, 4) == ';') return false;
  if (const std::optional<int32_t> mode = modeForCommand(s, sent)) {
    const bool changed = *mode != s.modeIndex || s.radioModeCode != 0;
    s.modeIndex = *mode;
    s.radioModeCode = 0;
    drawFrequencyPanel(panel);
    // The operator hears a mode the other program chose, once.
    if (changed) speakMode(panel);
  }
  return true;
}

// The radio's refusals of the program's settings, in their turn: before
// the answer to any query the program sent after them.
void passRefusalsBack(Panel& panel) {
  std::string& refused = panel.exchange.forRelay;
  if (refused.empty()) return;
  const int port = panel.state.relayPort;
  panel.serial.writePort(port, refused.data(), static_cast<int>(refused.size()));
  refused.clear();
}

// Passes the radio's answer to the program's query back as it came; a VFO A
// frequency answer no older than the panel's latest command is the panel's
// too.
void passAnswerBack(Panel& panel, const RadioAnswer& answer, int32_t stamp) {
  PanelState& s = panel.state;
  if (!answer.arrived || !relayUsable(s)) return;
  writeDebugLine(panel, "***VTX1=" + answer.raw);
  passRefusalsBack(panel);
  panel.serial.writePort(s.relayPort, answer.raw.data(), static_cast<int>(answer.raw.size()));
  const std::string& text = answer.text;
  if (text.starts_with("FA") && text.size() > 5 && stamp == s.commandCount) {
    s.relayActive = true;
    handleFrequencyReply(panel, text);
  }
}

// Follows the transmitter as the other program keys and releases it.
void noteRelayKeying(PanelState& s) {
  const std::string_view sent = s.commandText;
  if (sent == "TX1;" || sent == "TX2;") s.relayKeyed = true;
  if (sent == "TX0;") s.relayKeyed = false;
}

// Forwards the first complete command waiting; false when there is none.
// A query waits for its own answer on the shared line while the panel goes
// on; a setting is simply written.
bool forwardCommand(Panel& panel) {
  PanelState& s = panel.state;
  s.relayPos = static_cast<int32_t>(findText(s.relayPending, ";"));
  if (s.relayPos == 0) {
    // A text that fills the buffer without ever ending is no command.
    if (s.relayPending.size() >= BasicString::kCapacity) s.relayPending.clear();
    return false;
  }
  writeDebugLine(panel, "***VRX1=" + s.relayPending);
  const std::string command = leftText(s.relayPending, s.relayPos - 1);
  s.relayPending = midText(s.relayPending, s.relayPos + 1);
  s.relayActive = true;
  if (isQueryCommand(command + ";", radioModel(s.radioId).menuDigits)) {
    const int32_t stamp = s.commandCount;
    askRadio(panel, command, Asker::kRelay,
             [&panel, stamp](const RadioAnswer& answer) { passAnswerBack(panel, answer, stamp); });
  } else {
    s.commandText = command;
    sendCommand(panel, Asker::kRelay);
    noteRelayKeying(s);
    followModeSetting(panel);
  }
  s.relayChunk.clear();
  return true;
}

}  // namespace

void serviceRelay(Panel& panel) {
  PanelState& s = panel.state;
  if (!relayUsable(s)) return;
  s.relayPos = 0;
  passRefusalsBack(panel);
  takeRelayBytes(panel);
  // Every command is forwarded, repeats included, in the order sent.
  for (int n = 0; n < kCommandsPerService && forwardCommand(panel); ++n) {
  }
}

}  // namespace keldar
