// The set-up sequence run when the radio first answers.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void radioSetup(Panel& panel);

}  // namespace keldar
