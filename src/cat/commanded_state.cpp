#include "cat/commanded_state.h"

#include <algorithm>
#include <array>

#include "core/record_checks.h"
#include "display/display.h"

namespace keldar {

namespace {

bool isFrequencyAnswer(std::string_view text) {
  return text.starts_with("FA") || text.starts_with("FB");
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
  if (!movesRadio(command)) return;
  s.commandCount += 1;
  if (isFrequencyAnswer(command)) takeCommandedFrequency(panel, command);
}

void takeCommandedFrequency(Panel& panel, std::string_view command) {
  PanelState& s = panel.state;
  const std::string digits = midText(command, 3, 9);
  // Until the radio has answered, its frequency is not the panel's to know
  // (keys say "nc" while there is none).
  if (!s.connected || digits.size() != 9 || !isDigitText(digits)) return;
  const bool onB = command.starts_with("FB");
  if (onB) {
    s.vfoBText = "B" + digits;
  } else {
    s.vfoAText = "A" + digits;
  }
  if (onB != (s.vfoB == 1)) return;
  s.frequencyReply = leftText(command, 11);
  s.frequency = toInt32(textToNumber(digits));
  s.frequencyDisplay = frequencyFieldText(digits);
}

}  // namespace keldar
