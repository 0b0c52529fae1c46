// The command line: keldar [--simulate] [--terminal] [-C DIR] [--trace FILE]
// [--help] [--version].
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
  std::string error;      // not empty: the arguments were not understood
};

// args without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageLine();
std::string helpText();

}  // namespace keldar
