// The memory bank file savmem.dat.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void loadMemoryBanks(Panel& panel);
bool saveMemoryBanks(Panel& panel);

}  // namespace keldar
