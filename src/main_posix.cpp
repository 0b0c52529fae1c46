// keldar: the talking front panel. Reads the command line, builds the
// platform parts and runs the panel over them (app/run_panel.h).
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_panel.h"
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
  // the panel sees a serial port either way. A port that will not open or
  // goes away is also noted in debug.dat.
  keldar::RunningPanel running(line);
  keldar::TcpRadioPorts ports(serial, running);
  serial.setReporter([&running](const std::string& message) { running.note(message); });
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
  // The recordings installed with the program are found from where the
  // program itself lies.
  keldar::PlatformParts parts{ports, sound, screen, clock, files, server, traceOut};
  parts.programDir = keldar::executableDirectory();
  parts.preload = [&sound](const std::vector<std::string>& folders) { sound.preload(folders); };
  window.watchReadable(watched);
  terminal.watchReadable(watched);
  return keldar::runPanel(line, parts, running);
}

}  // namespace

int main(int argc, char** argv) {
  // First, before anything can start a thread: close signals are read, not
  // left to kill the program with the transmitter keyed.
  keldar::CloseSignals closeSignals;
  std::signal(SIGPIPE, SIG_IGN);

  const keldar::CommandLine line =
      keldar::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto answered = keldar::answerWithoutPanel(line, {}, std::cout, std::cerr)) {
    return *answered;
  }
  // The trace file is named from where keldar was started, before -C.
  std::ofstream traceOut;
  if (!keldar::openTraceFile(line, traceOut, std::cerr)) return 2;
  if (!line.directory.empty() && ::chdir(line.directory.c_str()) != 0) {
    std::cerr << "keldar: cannot run in " << line.directory << ": " << std::strerror(errno) << '\n';
    return 2;
  }
  std::optional<keldar::PosixNetworkServer> server;
  if (line.rigctldPort >= 0) {
    server.emplace();
    if (!keldar::listenForClients(line, *server, std::cerr)) return 2;
  }
  return run(line, closeSignals, line.traceFile.empty() ? nullptr : &traceOut,
             server ? &*server : nullptr);
}
