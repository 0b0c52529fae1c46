#include "cat/simulator.h"

#include <array>
#include <string>

#include "cat/cat.h"
#include "core/models.h"
#include "core/radio_modes.h"

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

std::string simulatedReply(const PanelState& s, std::string_view command) {
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
  if (command.starts_with("MD")) {
    // The radio's own code for the panel's mode (AM is "5", FM "4").
    const RadioModeRow* mode = currentRadioMode(s);
    reply = std::string("MD0") + (mode != nullptr ? mode->code : '1');
  }
  for (const FixedReply& row : kLateReplies) {
    if (command.starts_with(row.prefix)) reply = row.reply;
  }
  return reply + ";";
}

}  // namespace

std::string simulatedAnswer(Panel& panel, std::string_view query) {
  const PanelState& s = panel.state;
  if (query.starts_with("FA") || query.starts_with("FB")) {
    // Not tuned yet: where the radio was left, 40 m.
    if (s.lastFrequencyCommand.size() < 4) return leftText(query, 2) + "007100000;";
    return leftText(query, 2) + midText(s.lastFrequencyCommand, 3);
  }
  if (query.starts_with("SM")) return "SM0120;";
  if (query.starts_with("RM6")) return "RM6083;";
  if (query.starts_with("RM4")) {
    const int32_t r = toInt32(panel.random.next(80, 0, panel.clock.tickMs()));
    return "RM4" + zeroPadded(r, 3) + ";";
  }
  return simulatedReply(s, query);
}

}  // namespace keldar
