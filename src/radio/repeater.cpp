#include "radio/repeater.h"

namespace keldar {

// Placeholder until its issue lands.
void setRepeaterShift(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void setToneSquelch(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
