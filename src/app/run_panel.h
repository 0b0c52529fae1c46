// The run every platform's entry shares: what the command line answers by
// itself, the network port's listening, and the panel over the parts the
// entry built for its platform.
#pragma once

#include <fstream>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/platform.h"
#include "core/panel.h"

namespace keldar {

// --help, --version and arguments not understood are answered on out and
// err without a panel: the exit status. None when the panel is to run.
std::optional<int> answerWithoutPanel(const CommandLine& line, const OfferedOptions& offered,
                                      std::ostream& out, std::ostream& err);

// Opens --trace's file, if one is asked for. False (said on err) when it
// cannot be written.
bool openTraceFile(const CommandLine& line, std::ofstream& traceOut, std::ostream& err);

// Listens where --rigctld asks, before the panel starts, so that a port
// that cannot be had is said at once, and says on err where the radio is
// shared. False (said on err) when it cannot listen.
bool listenForClients(const CommandLine& line, ListeningServer& server, std::ostream& err);

// The panel as the platform's parts built before it see it: the TCP radio
// asks it where the radio is, the serial ports hand it their problems.
// Before and after the run it holds no panel.
class RunningPanel : public RadioPlace {
 public:
  explicit RunningPanel(const CommandLine& line) : line_(line) {}
  RunningPanel(const RunningPanel&) = delete;
  RunningPanel& operator=(const RunningPanel&) = delete;

  void follow(Panel* panel) { panel_ = panel; }
  // The radio's slot of the serial ports; 0 without a panel.
  int radioPort() const override;
  // --radio when given, else where the panel's configuration puts the radio
  // ("tcp:HOST:PORT", empty for its serial port).
  std::string radioAddress() const override;
  // A line for debug.dat (a port that will not open or has gone away);
  // without a panel it is dropped.
  void note(const std::string& message) const;

 private:
  const CommandLine& line_;
  Panel* panel_ = nullptr;
};

// What the platform's entry built, seen through the base interfaces.
struct PlatformParts {
  SerialPorts& ports;  // the radio's (serial or TCP) and the relay's
  Sound& sound;
  FrontEnd& screen;
  Clock& clock;
  FileSystem& files;
  // Listening already (listenForClients); null when the radio is not shared.
  ListeningServer* server = nullptr;
  // Where the trace is written; null for none.
  std::ostream* traceOut = nullptr;
  // Where the program lies: the recordings installed with it are found from
  // there. Empty when unknown.
  std::string programDir{};
  // Reads every recording of these folders now, once, so that speech then
  // needs no file at all.
  std::function<void(const std::vector<std::string>& folders)> preload{};
};

// Builds the panel over the parts (traced when asked), runs it to its end
// and returns the process's exit status. running follows the panel meanwhile.
int runPanel(const CommandLine& line, PlatformParts& parts, RunningPanel& running);

}  // namespace keldar
