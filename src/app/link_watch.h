// The radio link is watched: a device that has gone, or polls that go
// unanswered for about two seconds, is "lost" (said once); keys then answer
// "nc", the panel keeps its state, and the port is opened again about once a
// second. The first answer after that sets the radio up again, as at the
// first connection, and "connected" is said.
#pragma once

#include "core/panel.h"

namespace keldar {

// Runs on every timer tick, before its poll.
void watchLink(Panel& panel);

// Closes and opens the radio's port with the panel's line settings.
void openRadioPort(Panel& panel);

}  // namespace keldar
