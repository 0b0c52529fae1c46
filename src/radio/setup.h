// The set-up sequence run when the radio first answers.
#pragma once

#include <functional>
#include <string_view>

#include "app/panel.h"

namespace keldar {

// Identifies the radio, brings it to the panel's state and reads back what
// the panel shows; then runs done. Each query waits for its own answer, so a
// slow radio is set up exactly as a fast one.
void radioSetup(Panel& panel, std::function<void()> done = {});

}  // namespace keldar
