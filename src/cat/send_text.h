// Sending one command: the text goes into commandText and sendCommand adds
// the ";" and writes it to the radio.
#pragma once

#include <string_view>

#include "cat/cat.h"
#include "core/panel.h"

namespace keldar {

inline void sendText(Panel& panel, std::string_view text) {
  panel.state.commandText = text;
  sendCommand(panel);
}

}  // namespace keldar
