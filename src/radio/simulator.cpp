#include "radio/simulator.h"

namespace keldar {

// Placeholder until its issue lands.
void simulateCommand(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void simulatePollReply(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
