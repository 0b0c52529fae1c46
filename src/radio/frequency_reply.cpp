#include "radio/frequency_reply.h"

namespace keldar {

// Placeholder until its issue lands.
void handleFrequencyReply(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void bandForFrequency(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void rememberBandMode(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
