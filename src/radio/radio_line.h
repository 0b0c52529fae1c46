// The radio's line as the loop reads it: answers go to their queries, and
// what the radio reports unasked is taken as news.
#pragma once

#include "core/panel.h"

namespace keldar {

// The loop calls it at every wake. True when something arrived.
bool serviceRadioLine(Panel& panel);

}  // namespace keldar
