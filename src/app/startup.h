// Start-up, configuration file and shutdown.
#pragma once

#include "app/panel.h"

namespace keldar {

// What the command line asks of the run.
struct StartOptions {
  // The built-in simulated radio answers instead of the serial port.
  bool simulate = false;
};

// The whole run: window, greeting, configuration, panel, event loop and
// shutdown. Returns the process's exit status.
int startUp(Panel& panel, const StartOptions& options = {});
void initialisePanel(Panel& panel);

// Everything after the event loop: the transmitter off, banks saved, window
// closed, radio switched off when configured, port and log closed.
void shutDown(Panel& panel);

}  // namespace keldar
