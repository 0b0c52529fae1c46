// Finding the radio's answers in what a read brought: whatever the link adds
// (CR, LF, NUL, noise, an echo of the panel's own commands) is skipped, an
// answer cut short is never joined onto the next one, and the radio's own
// frequency answers show whether it uses eight or nine digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/panel.h"

namespace keldar {

// The complete answers in `text`, each with its ";", and the unfinished end
// that a later read may complete.
struct FoundAnswers {
  std::vector<std::string> answers;
  std::string tail;
};
FoundAnswers findAnswers(std::string_view text);

// Takes bytes read from the radio's port: the "RX=" line (every read,
// complete or not), the answers found after the tail of the last read, the
// link's echo of the panel's own commands left out, the frequency width
// learned, the link noted alive. Returns the answers, joined.
std::string takeRadioBytes(Panel& panel, std::string_view bytes);

// Commands or answers run together ("FA;MD0;"), each with its ";"; a last
// one without it is kept as it is.
std::vector<std::string> splitCommands(std::string_view text);

// The radio's answer to a command it would not take ("?;"): a setting
// refused, a frequency it cannot be tuned to, a command it does not know.
bool isRefusal(std::string_view answer);

// Notes a command as written, for telling its echo from an answer.
void noteCommandSent(PanelState& s, std::string_view command);

// Whether frequencies go to and come from the radio with eight digits: as its
// answers have shown, else as the model table guesses.
bool usesEightDigits(const PanelState& s);

}  // namespace keldar
