#include "speech/readouts.h"

namespace keldar {

// Placeholder until its issue lands.
void speakFrequency(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakMode(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakBandwidth(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakPower(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakBand(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakSMeter(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakSwr(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakAlc(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void speakKeySpeed(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
