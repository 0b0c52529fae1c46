#include "radio/channel_entry.h"

namespace keldar {

// Placeholder until its issue lands.
void handleDigitKey(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void bandForTypedMhz(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void selectBand(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void saveBandState(Panel& panel) {
  (void)panel;
}

// Placeholder until its issue lands.
void splitOff(Panel& panel) {
  (void)panel;
}

}  // namespace keldar
