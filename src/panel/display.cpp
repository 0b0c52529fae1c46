#include "panel/display.h"

namespace keldar {

// Placeholder until its issue lands.
void drawFrequencyPanel(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void drawStatusLine(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
