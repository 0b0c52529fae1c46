#include "radio/stepping.h"

namespace keldar {

// Placeholder until its issue lands.
void sendFrequency(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void roundFrequencyToKhz(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void sendMicGain(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void sendRfGain(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void sendPowerLevel(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void sendWidth(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void sendKeySpeed(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void readProcessorLevel(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void stepUp(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void stepDown(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
