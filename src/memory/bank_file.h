// The memory bank file savmem.dat: the header, the 14 band records and the
// 100 memory channels, one per CR LF line.
#pragma once

#include <string>

#include "core/panel.h"

namespace keldar {

// Brings savmem.dat into the band table and channels. Call once, after the
// default band table and empty channels are in place. A missing file, or one
// of the previous format or with an unknown header, is rebuilt from memory
// (the previous format converted first); an existing file is kept as
// savmem.bak before it is replaced. Damaged records load as empty channels or
// repaired band rows. If the rebuild cannot be written the values in memory
// are kept and the reason goes to stderr and debug.dat.
void loadMemoryBanks(Panel& panel);

// Writes savmem.dat whole from memory and then memory.txt. Returns false, with
// the old file untouched and the reason on stderr and in debug.dat, when the
// banks could not be saved; callers then say "notsaved". A listing that
// cannot be written is reported the same way but does not fail the save.
bool saveMemoryBanks(Panel& panel);

// The header line for the current state: "KELDAR v3.2a " and the version,
// then, with a band of 1 to 14, a blank, the band and the noise-reduction
// setting as characters counted from "0".
std::string memoryFileHeader(const PanelState& state);

}  // namespace keldar
