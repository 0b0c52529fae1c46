// Settings another program asks for over the network, carried out the way
// the panel carries out its own: sent to the radio, the panel's state and
// display following, the user's band records left as they are.
#pragma once

#include "core/panel.h"
#include "share/rigctld.h"

namespace keldar {

// A set_* request of the rigctld protocol; vfo is the client's own VFO
// ('A' or 'B'). The radio must be connected.
rigctld::Answer applySetting(Panel& panel, char vfo, const rigctld::Request& request);

// The frequency of VFO 'A' or 'B' as the panel knows it; 0 when unknown.
int32_t knownFrequency(const PanelState& state, char vfo);

}  // namespace keldar
