#include "radio/toggles.h"

namespace keldar {

// Placeholder until its issue lands.
void setPreamp(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleAttenuator(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleNoiseBlanker(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleNoiseReduction(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleNotch(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void cycleContour(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleSpeechProcessor(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleBreakIn(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleVox(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void toggleMonitor(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void cycleTuner(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
