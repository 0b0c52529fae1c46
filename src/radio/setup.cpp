#include "radio/setup.h"

namespace keldar {

// Placeholder until its issue lands.
void radioSetup(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
