#include "app/run_panel.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <ostream>

#include "app/startup.h"
#include "base/trace.h"
#include "core/debug_log.h"
#include "keldar/version.h"
#include "share/network_share.h"
#include "speech/player.h"

namespace keldar {

namespace {

// Follows the panel for as long as it lives.
class Following {
 public:
  Following(RunningPanel& running, Panel& panel) : running_(running) { running_.follow(&panel); }
  ~Following() { running_.follow(nullptr); }
  Following(const Following&) = delete;
  Following& operator=(const Following&) = delete;

 private:
  RunningPanel& running_;
};

int startGuarded(Panel& panel, const StartOptions& options) {
  try {
    return startUp(panel, options);
  } catch (const std::exception& e) {
    // Nothing in the panel throws by design; should the library run out of
    // memory, still unkey the radio, and let the platform's parts (the
    // terminal) be restored on the way out.
    std::cerr << "keldar: " << e.what() << '\n';
    unkeyTransmitter(panel);
    return 1;
  }
}

}  // namespace

std::optional<int> answerWithoutPanel(const CommandLine& line, const OfferedOptions& offered,
                                      std::ostream& out, std::ostream& err) {
  if (!line.error.empty()) {
    err << "keldar: " << line.error << '\n' << usageLine(offered) << '\n';
    return 2;
  }
  if (line.help) {
    out << helpText(offered);
    return 0;
  }
  if (line.version) {
    out << "keldar " << kVersion << '\n';
    return 0;
  }
  return std::nullopt;
}

bool openTraceFile(const CommandLine& line, std::ofstream& traceOut, std::ostream& err) {
  if (line.traceFile.empty()) return true;
  // Binary: the lines end in LF on every platform, for the tools that read
  // traces.
  traceOut.open(line.traceFile, std::ios::out | std::ios::trunc | std::ios::binary);
  if (traceOut) return true;
  err << "keldar: cannot write the trace file " << line.traceFile << ": " << std::strerror(errno)
      << '\n';
  return false;
}

bool listenForClients(const CommandLine& line, ListeningServer& server, std::ostream& err) {
  std::string error;
  if (!server.listen(line.rigctldAddress, line.rigctldPort, error)) {
    err << "keldar: cannot share the radio on " << line.rigctldAddress << ":" << line.rigctldPort
        << ": " << error << '\n';
    return false;
  }
  for (const std::string& note : sharingNotes(server.boundAddress(), server.loopbackOnly())) {
    err << "keldar: " << note << '\n';
  }
  return true;
}

int RunningPanel::radioPort() const {
  return panel_ != nullptr ? panel_->state.comPort : 0;
}

std::string RunningPanel::radioAddress() const {
  if (!line_.radioAddress.empty()) return line_.radioAddress;
  return panel_ != nullptr ? panel_->state.radioAddress.str() : std::string();
}

void RunningPanel::note(const std::string& message) const {
  if (panel_ != nullptr) writeDebugLine(*panel_, message);
}

int runPanel(const CommandLine& line, PlatformParts& parts, RunningPanel& running) {
  TracedParts traced(parts.ports, parts.screen, parts.clock, parts.traceOut);
  Panel panel(traced.serial(), parts.sound, traced.screen(), parts.clock, parts.files);
  const Following following(running, panel);
  panel.trace = traced.trace();
  // Phrases the working directory's wave folder lacks come from the set
  // installed with the program.
  panel.phraseFolders = phraseFoldersBeside(parts.programDir);
  if (parts.preload) {
    std::vector<std::string> folders{"wave"};
    folders.insert(folders.end(), panel.phraseFolders.begin(), panel.phraseFolders.end());
    parts.preload(folders);
  }
  std::optional<NetworkShare> share;
  StartOptions options;
  options.simulate = line.simulate;
  if (parts.server != nullptr) {
    share.emplace(*parts.server);
    panel.network = &*share;
    options.logNotes = sharingNotes(parts.server->boundAddress(), parts.server->loopbackOnly());
  }
  return startGuarded(panel, options);
}

}  // namespace keldar
