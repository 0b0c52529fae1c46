#include "app/tick.h"

namespace keldar {

// Placeholder until its issue lands.
void handleTimerTick(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
