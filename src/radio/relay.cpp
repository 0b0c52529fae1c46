#include "radio/relay.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "panel/display.h"
#include "radio/answers.h"
#include "radio/cat.h"
#include "radio/frequency_reply.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr int kCommandsPerService = 4;
constexpr uint32_t kAnswerStepMs = 5;

// The mode a command such as "MD0B" sets, read back through the panel's own
// mode command table; nothing for a code the panel has no mode for.
std::optional<int32_t> modeForCommand(const PanelState& s, std::string_view command) {
  const std::array<const BasicString*, 7> commands{
      &s.modeCommandLsb,      &s.modeCommandUsb,  &s.modeCommandCw,     &s.modeCommandAm,
      &s.modeCommandFmNarrow, &s.modeCommandC4fm, &s.modeCommandFmWide,
  };
  const std::string code = leftText(command, 4);
  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (commands[i]->str() == code) return static_cast<int32_t>(i) + 1;
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

// The answer to the panel's own last poll may still wait at the radio's port:
// a pause merges ticks, so its reading tick can come before the radio has
// answered. It must not go to the other program as the answer to its command.
void dropLateAnswers(Panel& panel) {
  PanelState& s = panel.state;
  if (s.simulationMode == 1 || panel.serial.bytesWaiting(s.comPort) <= 0) return;
  readReply(panel);  // logged as an "RX=" line, then dropped
  s.replyText.clear();
}

// The radio's answers to `command` within `reply`: the pieces that begin
// with its mnemonic, and the radio's "?;" refusal. Anything else answers one
// of the panel's own polls and arrived late.
std::string answersTo(std::string_view command, std::string_view reply) {
  const std::string mnemonic = leftText(command.substr(0, command.find(';')), 2);
  std::string kept;
  std::size_t start = 0;
  while (start < reply.size()) {
    const std::size_t end = reply.find(';', start);
    const std::size_t stop = end == std::string_view::npos ? reply.size() : end + 1;
    const std::string_view piece = reply.substr(start, stop - start);
    if ((!mnemonic.empty() && piece.starts_with(mnemonic)) || isRefusal(piece)) kept += piece;
    start = stop;
  }
  return kept;
}

// A mode set by the other program: true when the panel took it over.
bool followModeSetting(Panel& panel) {
  PanelState& s = panel.state;
  const std::string_view sent = s.commandText;
  if (!sent.starts_with("MD0") || charAt(sent, 4) == ';') return false;
  if (const std::optional<int32_t> mode = modeForCommand(s, sent)) {
    s.modeIndex = *mode;
    drawFrequencyPanel(panel);
  }
  return true;
}

// Waits for the radio's answer to the forwarded command: as long as the
// pause before a reply at most, and no longer than the answer takes to come.
// A program that gets its answers late sends its command again, and answers
// that come late put all its later ones one behind.
void awaitAnswer(Panel& panel) {
  PanelState& s = panel.state;
  s.replyText.clear();
  if (s.simulationMode == 1) {
    readReply(panel);
    return;
  }
  std::string answers;
  for (uint32_t waited = 0; waited < kDelayMs; waited += kAnswerStepMs) {
    panel.clock.waitMs(kAnswerStepMs);
    readReply(panel);
    answers += s.replyText.str();
    if (!answersTo(s.commandText, answers).empty()) break;
  }
  s.replyText = answers;
}

// Passes the radio's answer back; true when it was a frequency the panel took.
bool passAnswerBack(Panel& panel) {
  PanelState& s = panel.state;
  awaitAnswer(panel);
  s.replyText = answersTo(s.commandText, s.replyText);
  if (s.replyText.empty() || s.replyText == ";") return false;
  writeDebugLine(panel, "***VTX1=" + s.replyText);
  panel.serial.writePort(s.relayPort, s.replyText.c_str(), static_cast<int>(s.replyText.size()));
  s.relayPos = static_cast<int32_t>(findText(s.replyText, ";")) + 1;
  s.relayFaPos = static_cast<int32_t>(findText(s.replyText, "FA"));
  s.replyText = midText(s.replyText, s.relayFaPos, s.relayPos - s.relayFaPos);
  // The peer gets every answer; the panel takes none older than its own
  // latest command.
  if (s.relayFaPos > 0 && s.replyText.size() > 5 && s.frequencyAnswerFresh == 1) {
    widenFrequencyReply(panel);  // the panel's own copy; the peer got the radio's form
    handleFrequencyReply(panel);
    return true;
  }
  return false;
}

// Follows the transmitter as the other program keys and releases it.
void noteRelayKeying(PanelState& s) {
  const std::string_view sent = s.commandText;
  if (sent == "TX1;" || sent == "TX2;") s.relayKeyed = 1;
  if (sent == "TX0;") s.relayKeyed = 0;
}

// Forwards the first complete command waiting; false when there is none.
bool forwardCommand(Panel& panel) {
  PanelState& s = panel.state;
  s.relayPos = static_cast<int32_t>(findText(s.relayPending, ";"));
  if (s.relayPos == 0) {
    // A text that fills the buffer without ever ending is no command.
    if (s.relayPending.size() >= BasicString::kCapacity) s.relayPending.clear();
    return false;
  }
  s.relayActive = 1;
  s.relayFaPos = 0;
  writeDebugLine(panel, "***VRX1=" + s.relayPending);
  s.commandText = leftText(s.relayPending, s.relayPos - 1);
  s.relayPending = midText(s.relayPending, s.relayPos + 1);
  dropLateAnswers(panel);
  sendCommand(panel);
  noteRelayKeying(s);
  if (!followModeSetting(panel) && passAnswerBack(panel)) return true;
  s.relayChunk.clear();
  return true;
}

}  // namespace

void serviceRelay(Panel& panel) {
  PanelState& s = panel.state;
  if (!relayUsable(s)) return;
  s.relayPos = 0;
  takeRelayBytes(panel);
  // Every command is forwarded, repeats included, in the order sent; several
  // per service, so a program's burst is answered before it retries.
  for (int n = 0; n < kCommandsPerService && forwardCommand(panel); ++n) {
  }
}

}  // namespace keldar
