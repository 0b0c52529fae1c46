// Key command dispatcher: every window event and every key press.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void handleKey(Panel& panel);

}  // namespace keldar
