// The radio's line: queries written with what to do with their answers, and
// the reading of what the radio sends. Every query waits for its own answer
// (matched by mnemonic; radios answer in order) or for its deadline, and
// nothing here ever waits. The panel's work, its polls and the other
// program's queries share this one line, so nobody gets another's answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/panel.h"

namespace keldar {

constexpr uint32_t kAnswerTimeoutMs = 1000;

using AnswerHandler = std::function<void(const RadioAnswer&)>;

// Writes the query (through sendCommand, so it is logged and traced like
// every command) and calls handler with its answer, or without one at the
// deadline. A query that could not be written is answered at once, empty.
void askRadio(Panel& panel, std::string_view query, Asker asker, AnswerHandler handler,
              uint32_t timeoutMs = kAnswerTimeoutMs);
using NewsHandler = std::function<void(const RadioAnswer&)>;

// Reads what has arrived, gives each answer to its query and an answer no
// query waits for to news, and ends the waits whose deadline has passed.
// True when something arrived.
bool readRadioLine(Panel& panel, const NewsHandler& news);
// Every command written to the radio is noted here, in order (sendCommand
// does it), with whose it is: a setting may be refused.
void noteWritten(Panel& panel, std::string_view command, Asker setter);
// Queries of one asker still waiting.
int queriesOut(const Panel& panel, Asker asker);
// The link is gone: every wait ends unanswered now.
void abandonQueries(Panel& panel);

// Whether a CAT command asks (the radio answers it) rather than sets: a
// mnemonic alone, or with just the selector the mnemonic takes ("SM0;",
// "EX0301;" for a menu of menuDigits digits).
bool isQueryCommand(std::string_view command, int menuDigits);

}  // namespace keldar
