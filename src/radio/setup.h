// The set-up sequence run when the radio first answers.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

// Receive first: a transmitter the panel may have keyed is released, then
// the set-up sequence.
void radioSetup(Panel& panel);

// Whether the space key, a tune, or the relay's or a network client's PTT may
// have keyed the transmitter.
bool transmitterMayBeKeyed(const PanelState& state);

// Sends "TX0" when the transmitter may be keyed; a tune ends as T ends it,
// with the operator's power and mode back. The keyed states are cleared.
void releaseTransmitter(Panel& panel);

}  // namespace keldar
