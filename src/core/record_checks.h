// The small pieces band and channel records are built from, and checks of
// single fields. Whole-record checks are in memory/records.h. Nothing here
// touches the panel state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keldar {

bool isDigitText(std::string_view text);
// A VFO part: the letter and nine digits ("A014250000").
bool isFrequencyPart(std::string_view part, char letter);
// A repeater shift part: "B", the sign and eight digits ("B-00000600").
bool isShiftPart(std::string_view part);
// A tone code as stored: three digits.
bool isToneText(std::string_view text);

// Nine frequency digits with leading zeros; negative values give 0.
std::string nineDigits(int64_t hz);
// Nine digits as spoken and shown: "." after the megahertz, leading zeros
// dropped ("029700000" gives "29.700000").
std::string displayFromDigits(std::string_view nine);

// The highest band the configured coverage fits; unknown coverage gives 10.
int32_t highestBandFitted(std::string_view coverage);

}  // namespace keldar
