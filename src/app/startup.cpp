#include "app/startup.h"

namespace keldar {

// Placeholder until its issue lands.
int startUp(Panel& panel) {
  (void)panel;
  return 0;
}

// Placeholder until its issue lands.
void initialisePanel(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
