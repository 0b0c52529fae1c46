#include "app/keys.h"

namespace keldar {

// Placeholder until its issue lands.
void handleKey(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
