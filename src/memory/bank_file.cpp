#include "memory/bank_file.h"

namespace keldar {

// Placeholder until its issue lands.
void loadMemoryBanks(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
bool saveMemoryBanks(Panel& panel) {
  (void)panel;
  return false;
}

}  // namespace keldar
