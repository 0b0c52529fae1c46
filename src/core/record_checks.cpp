#include "core/record_checks.h"

#include "base/text.h"

namespace keldar {

bool isDigitText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool isFrequencyPart(std::string_view part, char letter) {
  return part.size() == 10 && part[0] == letter && isDigitText(part.substr(1));
}

bool isShiftPart(std::string_view part) {
  return part.size() == 10 && part[0] == 'B' && (part[1] == '+' || part[1] == '-') &&
         isDigitText(part.substr(2));
}

bool isToneText(std::string_view text) {
  return text.size() == 3 && isDigitText(text);
}

std::string nineDigits(int64_t hz) {
  if (hz < 0) hz = 0;
  if (hz > 999999999) hz = 999999999;
  return zeroPadded(static_cast<double>(hz), 9);
}

std::string displayFromDigits(std::string_view nine) {
  std::string text = leftText(nine, 3) + "." + midText(nine, 4);
  while (!text.empty() && text[0] == '0') text.erase(0, 1);
  return text;
}

int32_t highestBandFitted(std::string_view coverage) {
  if (coverage == "6") return 11;
  if (coverage == "2") return 12;
  if (coverage == "7") return 13;
  return 10;
}

}  // namespace keldar
