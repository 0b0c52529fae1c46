// FM repeater shift and CTCSS/DCS tone squelch.
#pragma once

#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

void setRepeaterShift(Panel& panel);
// Switches on the tone squelch of toneCode: a CTCSS tone, or a DCS code
// when toneIsDcs is set.
void setToneSquelch(Panel& panel);

// The DCS code command ("523" gives "CN01023", "603" gives "CN01103"): the
// hundreds flag of the DCS number, from the code's value, and the code's last two digits.
std::string dcsCodeCommand(int32_t value, std::string_view toneCode);

// Puts a stored tone code back on the radio by its kind, without a word:
// a DCS code (first digit above 4) with its code command and "CT03", a CTCSS
// tone with "CN00" + code and "CT01". Sets toneIsDcs to match.
void restoreToneSquelch(Panel& panel);

// Ends split if it is on: its command ("FT2" on most radios) once, and vfoB back to 0.
void endSplit(Panel& panel);

}  // namespace keldar
