// keldar: the talking front panel. Reads the command line, builds the
// platform parts (traced when asked) and runs the panel.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "base/trace.h"
#include "cat/cat.h"
#include "core/panel.h"
#include "keldar/version.h"
#include "platform/clock_posix.h"
#include "platform/files_posix.h"
#include "platform/front_end_choice.h"
#include "platform/net_posix.h"
#include "platform/program_location.h"
#include "platform/serial_posix.h"
#include "platform/sound_sdl.h"
#include "platform/tcp_radio.h"
#include "platform/terminal_posix.h"
#include "platform/window_sdl.h"
#include "share/network_share.h"
#include "speech/player.h"

namespace {

int run(const keldar::CommandLine& line, keldar::CloseSignals& closeSignals, std::ostream* traceOut,
        keldar::PosixNetworkServer* server) {
  keldar::PosixSerialPorts serial;
  keldar::SdlSound sound;
  // Opened now, so the greeting is not held up by the device.
  sound.open();
  keldar::SdlWindow window;
  keldar::TerminalPanel terminal(STDIN_FILENO, STDOUT_FILENO, closeSignals.fd());
  // The window takes SIGINT and SIGTERM as close requests itself; a hang-up
  // of the launching terminal still ends the panel through shutdown.
  keldar::FrontEndChoice screen(
      window, terminal, !line.terminal, [&closeSignals] { closeSignals.releaseAllButHangup(); },
      [&closeSignals] { return closeSignals.takePending(); });
  keldar::SystemClock clock;
  keldar::PosixFileSystem files;

  // The radio's port may be a TCP connection (--radio, or keldar.cfg line 1);
  // the panel sees a serial port either way.
  keldar::Panel* running = nullptr;
  keldar::TcpRadioPorts ports(
      serial, [&running] { return running != nullptr ? running->state.comPort : 0; },
      [&running, &line] {
        if (!line.radioAddress.empty()) return line.radioAddress;
        return running != nullptr ? running->state.radioAddress.str() : std::string();
      });
  keldar::TracedParts traced(ports, screen, clock, traceOut);
  keldar::Panel panel(traced.serial(), sound, traced.screen(), clock, files);
  running = &panel;
  panel.trace = traced.trace();
  // Phrases the working directory's wave/ lacks come from the set installed
  // with the program, found from where the program itself lies.
  panel.phraseFolders = keldar::phraseFoldersBeside(keldar::executableDirectory());
  // Every recording read now, once: speech then needs no file at all.
  std::vector<std::string> folders{"wave"};
  folders.insert(folders.end(), panel.phraseFolders.begin(), panel.phraseFolders.end());
  sound.preload(folders);
  std::optional<keldar::NetworkShare> share;
  if (server != nullptr) {
    share.emplace(*server);
    panel.network = &*share;
  }
  // The radio's answer, the relay's command and a client's line each wake
  // whichever front-end waits, at once.
  const auto watched = [&serial, &ports, server] {
    std::vector<int> fds = serial.descriptors();
    if (const std::intptr_t radio = ports.readableSocket(); radio >= 0) {
      fds.push_back(static_cast<int>(radio));
    }
    if (server != nullptr) fds.push_back(server->waitFd());
    return fds;
  };
  window.watchReadable(watched);
  terminal.watchReadable(watched);
  // A port that will not open or goes away is also noted in debug.dat.
  serial.setReporter(
      [&panel](const std::string& message) { keldar::writeDebugLine(panel, message); });
  keldar::StartOptions options;
  options.simulate = line.simulate;
  if (server != nullptr) {
    options.logNotes = keldar::sharingNotes(server->boundAddress(), server->loopbackOnly());
  }
  try {
    return keldar::startUp(panel, options);
  } catch (const std::exception& e) {
    // Nothing in the panel throws by design; should the library run out of
    // memory, still unkey the radio, and let the terminal be restored on the
    // way out.
    std::cerr << "keldar: " << e.what() << '\n';
    keldar::unkeyTransmitter(panel);
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // First, before anything can start a thread: close signals are read, not
  // left to kill the program with the transmitter keyed.
  keldar::CloseSignals closeSignals;
  std::signal(SIGPIPE, SIG_IGN);

  const keldar::CommandLine line =
      keldar::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) {
    std::cerr << "keldar: " << line.error << '\n' << keldar::usageLine() << '\n';
    return 2;
  }
  if (line.help) {
    std::cout << keldar::helpText();
    return 0;
  }
  if (line.version) {
    std::cout << "keldar " << keldar::kVersion << '\n';
    return 0;
  }
  // The trace file is named from where keldar was started, before -C.
  std::ofstream traceOut;
  if (!line.traceFile.empty()) {
    traceOut.open(line.traceFile, std::ios::out | std::ios::trunc);
    if (!traceOut) {
      std::cerr << "keldar: cannot write the trace file " << line.traceFile << ": "
                << std::strerror(errno) << '\n';
      return 2;
    }
  }
  if (!line.directory.empty() && ::chdir(line.directory.c_str()) != 0) {
    std::cerr << "keldar: cannot run in " << line.directory << ": " << std::strerror(errno) << '\n';
    return 2;
  }
  // Listening before the panel starts: a port that cannot be had is said at once.
  std::optional<keldar::PosixNetworkServer> server;
  if (line.rigctldPort >= 0) {
    server.emplace();
    std::string error;
    if (!server->listen(line.rigctldAddress, line.rigctldPort, error)) {
      std::cerr << "keldar: cannot share the radio on " << line.rigctldAddress << ":"
                << line.rigctldPort << ": " << error << '\n';
      return 2;
    }
    for (const std::string& note :
         keldar::sharingNotes(server->boundAddress(), server->loopbackOnly())) {
      std::cerr << "keldar: " << note << '\n';
    }
  }
  return run(line, closeSignals, line.traceFile.empty() ? nullptr : &traceOut,
             server ? &*server : nullptr);
}
