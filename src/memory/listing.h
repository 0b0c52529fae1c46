// The readable listing memory.txt of the memory channels, for the operator to
// print or read with a screen reader. The panel never reads it back.
#pragma once

#include <string>
#include <vector>

#include "core/panel.h"

namespace keldar {

// Writes memory.txt whole from memoryChannels (replacing it durably). False,
// with the reason on stderr and in debug.dat, when it could not be written;
// the previous listing then stays.
bool writeMemoryListing(Panel& panel);

// The lines of the listing, without line ends.
std::vector<std::string> memoryListingLines(const PanelState& state);

}  // namespace keldar
