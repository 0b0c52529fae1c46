// The built-in simulated radio.
#pragma once

#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

// The simulated radio's answer to a query the panel wrote, with its ";".
std::string simulatedAnswer(Panel& panel, std::string_view query);

}  // namespace keldar
