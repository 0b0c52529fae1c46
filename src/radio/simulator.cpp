#include "radio/simulator.h"

#include <array>
#include <string>

#include "radio/cat.h"
#include "radio/models.h"

namespace keldar {

namespace {

struct FixedReply {
  std::string_view prefix;
  std::string_view reply;
};

// Answers that do not depend on the panel state, before the processor digit.
constexpr std::array<FixedReply, 8> kLevelReplies{{
    {"AG", "AG0090"},
    {"SQ", "SQ0008"},
    {"NR0", "NR01"},
    {"NL", "NL0005"},
    {"RL", "RL008"},
    {"EX", "EX001020"},
    {"ML0", "ML0001"},
    {"ML1", "ML1040"},
}};

// Answers that replace everything built before them.
constexpr std::array<FixedReply, 4> kLateReplies{{
    {"PL", "PL050"},
    {"ID", "ID0670"},
    {"BI", "BI1"},
    {"VX", "VX0"},
}};

char modeDigit(int32_t modeIndex) {
  return static_cast<char>('0' + (modeIndex >= 0 && modeIndex <= 9 ? modeIndex : 0));
}

std::string simulatedReply(const PanelState& s) {
  const std::string_view command = s.commandText;
  std::string reply;
  for (const FixedReply& row : kLevelReplies) {
    if (command.starts_with(row.prefix)) reply = row.reply;
  }
  if (command.starts_with("PR")) {
    reply = radioModel(s.radioId).shortProcessorCmds ? "PR" : "PR0";
  }
  reply += s.speechProcessor != 0 ? "1" : "0";
  if (command.starts_with("FA"))
    reply = leftText(s.lastFrequencyCommand, static_cast<long>(s.lastFrequencyCommand.size()) - 1);
  if (command.starts_with("MD")) reply = std::string("MD0") + modeDigit(s.modeIndex);
  for (const FixedReply& row : kLateReplies) {
    if (command.starts_with(row.prefix)) reply = row.reply;
  }
  return reply + ";";
}

}  // namespace

void simulateCommand(Panel& panel) {
  PanelState& s = panel.state;
  s.replyText = simulatedReply(s);
  panel.traceLine("READ", std::to_string(s.comPort) + " " + Trace::escape(s.replyText));
  if (!s.replyText.empty()) writeDebugLine(panel, "RX=" + s.replyText);
}

void simulatePollReply(Panel& panel) {
  PanelState& s = panel.state;
  // The tick has already turned pollPhase over: 1 means "FA" went out last.
  if (s.pollPhase == 1) {
    s.replyText = (s.vfoB == 1 ? "FB" : "FA") + midText(s.lastFrequencyCommand, 3);
    return;
  }
  std::string reply = (s.tuneActive == 1 || s.txState > 0) ? "RM6083" : "SM0120";
  if (s.alcAnnounce > 0) {
    const int32_t r = toInt32(panel.random.next(80, 0, panel.clock.tickMs()));
    reply = "RM4" + zeroPadded(r, 3);
  }
  s.replyText = reply;
}

}  // namespace keldar
