#include "radio/relay.h"

namespace keldar {

// Placeholder until its issue lands.
void serviceRelay(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
