#include "cat/answers.h"

#include <algorithm>

#include "cat/cat.h"
#include "core/models.h"

namespace keldar {

namespace {

// Longer than any answer the panel reads: an unfinished end beyond it is noise.
constexpr std::size_t kLongestTail = 64;

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isPrintable(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u < 0x7f;
}

// The answer a piece ending in ";" holds: from the last place an answer can
// begin (two capitals after anything but a capital: where noise ends, or
// where the end of a cut answer meets the next), or the radio's "?;"
// refusal. Empty when none.
std::string answerIn(std::string_view piece) {
  std::size_t start = std::string_view::npos;
  for (std::size_t i = 0; i + 1 < piece.size(); ++i) {
    if (isUpper(piece[i]) && isUpper(piece[i + 1]) && (i == 0 || !isUpper(piece[i - 1]))) {
      start = i;
    }
  }
  if (start != std::string_view::npos) return std::string(piece.substr(start));
  return piece.ends_with("?;") ? "?;" : "";
}

bool isPollEcho(std::string_view answer) {
  return answer == "FA;" || answer == "FB;";
}

// Leaves out what the link echoed of the commands written since the last
// read. An echo comes in the order of the commands; until the link has shown
// that it echoes (a bare "FA;", which no radio answers), only such bare
// queries are taken for echoes, so a real answer that happens to equal an
// earlier setting is never lost.
std::vector<std::string> withoutEchoes(PanelState& s, std::vector<std::string> answers) {
  const std::vector<std::string> sent = splitCommands(s.sentSinceRead);
  std::vector<std::string> kept;
  std::size_t next = 0;
  for (std::string& answer : answers) {
    const auto echo = std::find(sent.begin() + static_cast<long>(next), sent.end(), answer);
    if (echo != sent.end() && isPollEcho(answer)) s.linkEchoes = true;
    if (echo != sent.end() && (s.linkEchoes || isPollEcho(answer))) {
      next = static_cast<std::size_t>(echo - sent.begin()) + 1;
      continue;
    }
    kept.push_back(std::move(answer));
  }
  return kept;
}

// Eight or nine digits, from the frequency answers; true when the width in
// use changed.
bool learnFrequencyWidth(PanelState& s, const std::vector<std::string>& answers) {
  const bool before = usesEightDigits(s);
  for (const std::string& answer : answers) {
    if (!answer.starts_with("FA") && !answer.starts_with("FB")) continue;
    const std::string_view digits = std::string_view(answer).substr(2, answer.size() - 3);
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) continue;
    if (digits.size() == 8 || digits.size() == 9) {
      s.frequencyDigits = static_cast<int32_t>(digits.size());
    }
  }
  return usesEightDigits(s) != before;
}

// Tunes the band's frequency again, now in the width the radio uses.
void resendBandFrequency(Panel& panel) {
  PanelState& s = panel.state;
  if (s.bandIndex < 1 || s.bandIndex > kBandCount) return;
  const std::string_view record = s.bandTable[static_cast<std::size_t>(s.bandIndex)];
  const std::string digits = midText(record, 4, 9);
  if (charAt(record, 3) != 'A' || digits.size() != 9 ||
      !std::all_of(digits.begin(), digits.end(), isDigit)) {
    return;
  }
  const BasicString keep = s.commandText;
  s.commandText = "F" + midText(record, 3, 10);
  sendCommand(panel);
  s.commandText = keep;
}

}  // namespace

std::vector<std::string> splitCommands(std::string_view text) {
  std::vector<std::string> pieces;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(';', start), text.size() - 1);
    pieces.emplace_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  return pieces;
}

FoundAnswers findAnswers(std::string_view text) {
  FoundAnswers found;
  std::string piece;
  for (const char c : text) {
    if (c == ';') {
      piece += c;
      std::string answer = answerIn(piece);
      if (!answer.empty()) found.answers.push_back(std::move(answer));
      piece.clear();
    } else if (isPrintable(c)) {
      piece += c;
    } else {
      piece.clear();  // CR, LF, NUL or line noise: what came before is no answer
    }
  }
  if (piece.size() <= kLongestTail) found.tail = piece;
  return found;
}

std::string takeRadioBytes(Panel& panel, std::string_view bytes) {
  PanelState& s = panel.state;
  if (!bytes.empty()) writeDebugLine(panel, "RX=" + Trace::escape(bytes));
  FoundAnswers found = findAnswers(s.pollReplyTail.str() + std::string(bytes));
  s.pollReplyTail = found.tail;
  const std::vector<std::string> answers = withoutEchoes(s, std::move(found.answers));
  if (!bytes.empty()) s.sentSinceRead.clear();
  std::string joined;
  for (const std::string& answer : answers) joined += answer;
  if (!answers.empty()) {
    s.lastAnswerMs = panel.clock.tickMs();
    s.unansweredPolls = 0;
  }
  if (learnFrequencyWidth(s, answers) && s.connected) resendBandFrequency(panel);
  return joined;
}

void noteCommandSent(PanelState& s, std::string_view command) {
  std::string sent = s.sentSinceRead.str() + std::string(command);
  // Only the latest commands can still be echoed; the oldest go first.
  while (sent.size() > BasicString::kCapacity) {
    const std::size_t end = sent.find(';');
    sent.erase(0, end == std::string::npos ? sent.size() : end + 1);
  }
  s.sentSinceRead = sent;
}

bool usesEightDigits(const PanelState& s) {
  if (s.frequencyDigits != 0) return s.frequencyDigits == 8;
  return isEightDigitRadio(s.radioId);
}

bool isRefusal(std::string_view answer) {
  return answer == "?;";
}

}  // namespace keldar
