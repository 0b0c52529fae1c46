#include "radio/commanded_state.h"

#include <algorithm>
#include <array>

#include "radio/record_checks.h"

namespace keldar {

namespace {

// Reading ticks in a row without an answer after which the queries
// outstanding count as lost (a radio that slow is not answering them).
constexpr int32_t kLostAfterEmptyReads = 4;

bool isFrequencyAnswer(std::string_view text) {
  return text.starts_with("FA") || text.starts_with("FB");
}

bool isFrequencyQuery(std::string_view command) {
  return command == "FA;" || command == "FB;";
}

void stampFrequencyQuery(PanelState& s) {
  auto& stamps = s.frequencyQueryStamps;
  const auto capacity = static_cast<int32_t>(stamps.size());
  if (s.frequencyQueriesOut == capacity) {
    // The oldest is given up for lost; the newest must be kept.
    std::rotate(stamps.begin(), stamps.begin() + 1, stamps.end());
    s.frequencyQueriesOut -= 1;
  }
  stamps[static_cast<std::size_t>(s.frequencyQueriesOut)] = s.commandCount;
  s.frequencyQueriesOut += 1;
}

// The display text as a frequency answer draws it: ' 14.250000'.
std::string displayText(std::string_view nineDigits) {
  std::string text = leftText(nineDigits, 3) + "." + rightText(nineDigits, 6);
  for (char& c : text) {
    if (c != '0') break;
    c = ' ';
  }
  return text;
}

}  // namespace

bool movesRadio(std::string_view command) {
  if (isFrequencyAnswer(command)) return command.size() > 3;  // "FA;" asks
  if (command.starts_with("MD")) return command.size() > 4;   // "MD0;" asks
  static constexpr std::array<std::string_view, 12> kMoving = {"FT", "BS", "BU", "BD", "UP", "DN",
                                                               "ZI", "AB", "BA", "SV", "VM", "MC"};
  const std::string_view mnemonic = command.substr(0, 2);
  const bool setting = command.size() > 3 || mnemonic == "ZI" || mnemonic == "UP" ||
                       mnemonic == "DN" || mnemonic == "AB" || mnemonic == "BA" || mnemonic == "SV";
  return setting && std::find(kMoving.begin(), kMoving.end(), mnemonic) != kMoving.end();
}

void noteSentCommand(Panel& panel, std::string_view command) {
  PanelState& s = panel.state;
  if (isFrequencyQuery(command)) {
    stampFrequencyQuery(s);
    return;
  }
  if (!movesRadio(command)) return;
  s.commandCount += 1;
  if (isFrequencyAnswer(command)) takeCommandedFrequency(panel, command);
}

void takeCommandedFrequency(Panel& panel, std::string_view command) {
  PanelState& s = panel.state;
  const std::string digits = midText(command, 3, 9);
  // Until the radio has answered, its frequency is not the panel's to know
  // (keys say "nc" while there is none).
  if (s.connected == 0 || digits.size() != 9 || !isDigitText(digits)) return;
  const bool onB = command.starts_with("FB");
  if (onB) {
    s.vfoBText = "B" + digits;
  } else {
    s.vfoAText = "A" + digits;
  }
  if (onB != (s.vfoB == 1)) return;
  s.frequencyReply = leftText(command, 11);
  s.frequency = toInt32(textToNumber(digits));
  s.frequencyDisplay = displayText(digits);
}

bool frequencyAnswerStale(PanelState& s) {
  // An answer nobody asked for (the radio's own report) is news.
  if (s.frequencyQueriesOut <= 0) return false;
  auto& stamps = s.frequencyQueryStamps;
  const int32_t stamp = stamps[0];
  std::rotate(stamps.begin(), stamps.begin() + 1, stamps.end());
  s.frequencyQueriesOut -= 1;
  return stamp != s.commandCount;
}

const std::string* takenFrequencyAnswer(PanelState& s, const std::vector<std::string>& answers) {
  s.emptyPollReads = 0;
  const std::string* taken = nullptr;
  for (const std::string& answer : answers) {
    if (!isFrequencyAnswer(answer)) continue;
    const bool stale = frequencyAnswerStale(s);
    if (!stale || s.connected == 0) taken = &answer;
  }
  return taken;
}

void countReadAnswers(PanelState& s, std::string_view text) {
  s.frequencyAnswerFresh = 1;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    if (isFrequencyAnswer(text.substr(start)) && frequencyAnswerStale(s)) {
      s.frequencyAnswerFresh = 0;
    }
    start = end + 1;
  }
}

void noteEmptyPollRead(PanelState& s) {
  s.emptyPollReads += 1;
  if (s.emptyPollReads < kLostAfterEmptyReads) return;
  s.emptyPollReads = 0;
  s.frequencyQueriesOut = 0;
}

}  // namespace keldar
