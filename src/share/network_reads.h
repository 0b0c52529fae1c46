// Reads of the rigctld protocol answered from the panel's state, and the
// meter readings a client may have to wait one poll for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/panel.h"
#include "share/rigctld.h"

namespace keldar {

// A read answered now; vfo is the VFO the clients have chosen, which
// set_vfo changes.
rigctld::Answer answerRead(Panel& panel, char& vfo, const rigctld::Request& request);

// Keeps a meter answer ("RM6045;") for the clients and counts it.
void takeMeterAnswer(PanelState& state, std::string_view answer);
// The radio's meter query a level needs ("RM6" for SWR); empty for a level
// the panel's state answers.
std::string meterQueryOf(std::string_view level);
// True while the panel polls that meter itself, so its reading is current.
bool meterPolled(const PanelState& state, std::string_view query);
// The level's answer from the latest reading; nothing while none is read.
std::optional<rigctld::Answer> meterAnswer(const PanelState& state, std::string_view level);

}  // namespace keldar
