// The command line: keldar [--simulate] [--terminal] [-C DIR] [--trace FILE]
// [--rigctld [ADDRESS:]PORT] [--help] [--version].
#pragma once

#include <string>
#include <vector>

namespace keldar {

struct CommandLine {
  bool simulate = false;
  bool terminal = false;
  bool help = false;
  bool version = false;
  std::string directory;  // -C: where the panel's files live
  std::string traceFile;  // relative to the directory keldar was started in
  // --rigctld: where the radio is shared over the network; port -1 for not at all.
  std::string rigctldAddress;
  int rigctldPort = -1;
  // --radio: the radio's CAT port over TCP ("tcp:HOST:PORT"); empty: as configured.
  std::string radioAddress;
  std::string error;  // not empty: the arguments were not understood
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// "4532" -> 127.0.0.1 and 4532 (nothing outside the machine can reach it
// unless an address is named); "0.0.0.0:4532"; "[::1]:4532". False with the
// reason in error.
bool parseListenAddress(const std::string& text, std::string& address, int& port,
                        std::string& error);

// The options a platform's program offers: the Windows program has no
// terminal panel.
struct OfferedOptions {
  bool terminal = true;
  bool rigctld = true;
  bool radio = true;  // --radio tcp:HOST:PORT
};

std::string usageLine(const OfferedOptions& offered = {});
// The same descriptions on every platform, of the options it offers.
std::string helpText(const OfferedOptions& offered = {});

}  // namespace keldar
