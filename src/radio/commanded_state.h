// The panel's own commands are the latest word on where the radio is: a
// frequency the panel commands is its frequency at once, and an answer to a
// query written before the panel's latest command that moves the radio is
// stale and changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/panel.h"

namespace keldar {

// True for a command that moves the radio: a frequency, mode or band
// setting, a VFO choice, zero-in, a step up or down.
bool movesRadio(std::string_view command);

// Called by sendCommand for every command written (with its ";"; a frequency
// setting in its nine-digit form): counts the commands that move the radio,
// stamps each frequency query with that count and takes a commanded
// frequency.
void noteSentCommand(Panel& panel, std::string_view command);

// The frequency the panel has just commanded, "FA"/"FB" and nine digits:
// the VFO text follows it, and on the VFO the panel works (A, or B while
// split) so do `frequency`, `frequencyReply` and `frequencyDisplay`. Every
// frequency setting the panel sends, the relay's included, comes here.
void takeCommandedFrequency(Panel& panel, std::string_view command);

// One frequency answer read: true when it answers a query written before
// the latest command. Its query leaves the list of those outstanding.
bool frequencyAnswerStale(PanelState& s);

// The frequency answer of a poll read to act on, or nothing: the last one
// that is not stale (before the radio is connected, the last one at all).
// Every frequency answer among them is counted off.
const std::string* takenFrequencyAnswer(PanelState& s, const std::vector<std::string>& answers);

// A key's own read took these bytes: their frequency answers are counted
// off; `frequencyAnswerFresh` says whether all of them were fresh.
void countReadAnswers(PanelState& s, std::string_view text);

// A reading tick found no answer. Several in a row mean the radio has not
// answered the queries outstanding and will not: they are forgotten.
void noteEmptyPollRead(PanelState& s);

}  // namespace keldar
