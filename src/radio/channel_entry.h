// Digits, bands, memory store and recall, split off.
#pragma once

#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

void handleDigitKey(Panel& panel);
void bandForTypedMhz(Panel& panel);
void selectBand(Panel& panel);
void saveBandState(Panel& panel);
void splitOff(Panel& panel);
// The band number selectBand ends up with: wrapped by the coverage, and
// never outside the band table.
int32_t wrappedBand(const PanelState& s);
// Whether the radio has this band and can be tuned to its stored frequency.
bool bandAvailable(const PanelState& s, int32_t band);

// The band state of the current band as saveBandState builds it, without
// tone and preamp: kind, mode, the "A" part and the "B" part (in repeater
// form on bands 10 to 13 while the shift is on).
std::string bandStateText(const PanelState& s);
// The tone to write into a record: toneCode when it is a three-digit code,
// otherwise fallback.
std::string recordTone(const PanelState& s, std::string_view fallback);
// A reply accepted as a frequency: "FA" or "FB" and nine digits.
bool isFrequencyReplyText(std::string_view reply);

}  // namespace keldar
