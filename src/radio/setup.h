// The set-up sequence run when the radio first answers.
#pragma once

#include <functional>
#include <string_view>

#include "core/panel.h"

namespace keldar {

// Receive first: a transmitter the panel may have keyed is released. Then
// identifies the radio, brings it to the panel's state and reads back what
// the panel shows, and runs done. Each query waits for its own answer, so a
// slow radio is set up exactly as a fast one.
void radioSetup(Panel& panel, std::function<void()> done = {});

// Whether the space key, a tune, or the relay's or a network client's PTT may
// have keyed the transmitter.
bool transmitterMayBeKeyed(const PanelState& state);

// Sends "TX0" when the transmitter may be keyed; a tune ends as T ends it,
// with the operator's power and mode back. The keyed states are cleared.
void releaseTransmitter(Panel& panel);

}  // namespace keldar
