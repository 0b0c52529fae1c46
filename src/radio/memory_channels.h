// Storing and recalling memory channels by their slot digit.
#pragma once

#include <cstdint>

#include "core/panel.h"

namespace keldar {

// The channel digit d after C (and an optional bank digit after B).
void storeChannel(Panel& panel, int32_t d);
// The channel digit d after G, or the slot U steps to.
void recallChannel(Panel& panel, int32_t d);

}  // namespace keldar
