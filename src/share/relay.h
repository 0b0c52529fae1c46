// The relay port through which another program shares the radio.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

void serviceRelay(Panel& panel);

}  // namespace keldar
