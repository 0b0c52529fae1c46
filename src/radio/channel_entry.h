// Digits, bands, memory store and recall, split off.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void handleDigitKey(Panel& panel);
void bandForTypedMhz(Panel& panel);
void selectBand(Panel& panel);
void saveBandState(Panel& panel);
void splitOff(Panel& panel);

}  // namespace keldar
