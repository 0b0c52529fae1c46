// FM repeater shift and CTCSS/DCS tone squelch.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void setRepeaterShift(Panel& panel);
void setToneSquelch(Panel& panel);

}  // namespace keldar
