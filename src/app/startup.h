// Start-up, configuration file and shutdown.
#pragma once

#include <string>
#include <vector>

#include "core/panel.h"

namespace keldar {

// What the command line asks of the run.
struct StartOptions {
  // The built-in simulated radio answers instead of the serial port.
  bool simulate = false;
  // Lines for debug.dat once it is open (where the radio is shared).
  std::vector<std::string> logNotes;
};

// The whole run: window, greeting, configuration, panel, event loop and
// shutdown. Returns the process's exit status.
int startUp(Panel& panel, const StartOptions& options = {});
// Where the radio is shared (for stderr and StartOptions::logNotes), and a
// warning when more than this machine can reach it: the protocol has no
// password, and a client can key the transmitter.
std::vector<std::string> sharingNotes(const std::string& boundAddress, bool loopbackOnly);
// "*** Keldar Front Panel v3.3 ***": the window's title, with the version.
std::string windowTitle();
void initialisePanel(Panel& panel);

// Sends the start band: "FA" and the nine digits of VFO A of row bandIndex
// (a band outside 1..14 becomes 4), then "VS0"; takes its mode.
void tuneStartBand(Panel& panel);

// Sends "TX0" when the space key, a tune or the other program through the
// relay may have keyed the transmitter.
void unkeyTransmitter(Panel& panel);

// Everything after the event loop: the transmitter off, banks saved, window
// closed, radio switched off when configured, port and log closed.
void shutDown(Panel& panel);

}  // namespace keldar
