// The readable listing memory.txt.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

bool writeMemoryListing(Panel& panel);

}  // namespace keldar
