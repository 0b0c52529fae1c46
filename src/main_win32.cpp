// keldar.exe: the talking front panel on Windows. Reads the command line,
// builds the Windows platform parts (traced when asked) and runs the panel.
#include <windows.h>

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
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/net_win32.h"
#include "platform/program_location.h"
#include "platform/serial_win32.h"
#include "platform/sound_win32.h"
#include "platform/tcp_radio.h"
#include "platform/window_win32.h"
#include "share/network_share.h"
#include "speech/player.h"

namespace {

// What --help offers here: the terminal panel, refused below, is left out.
constexpr keldar::OfferedOptions kOffered{false, true, true};

// The serial ports have no event to wait on: while one is open, the wait
// looks at them every few milliseconds instead.
keldar::Win32Wait::Look lookAt(const keldar::Win32SerialPorts& serial) {
  bool open = false;
  if (serial.inputWaiting(open)) return keldar::Win32Wait::Look::kReadable;
  return open ? keldar::Win32Wait::Look::kNothingYet : keldar::Win32Wait::Look::kNothingWatched;
}

int run(const keldar::CommandLine& line, std::ostream* traceOut,
        keldar::Win32NetworkServer* server) {
  keldar::Win32SerialPorts serial;
  keldar::WaveOutSound sound;
  // Opened now, so the greeting is not held up by the device.
  sound.open();
  keldar::Win32Window window;
  keldar::Win32Clock clock;
  keldar::Win32FileSystem files;

  // The radio's port may be a TCP connection (--radio, or keldar.cfg line 1);
  // the panel sees a serial port either way.
  keldar::Panel* running = nullptr;
  keldar::TcpRadioPorts ports(
      serial, [&running] { return running != nullptr ? running->state.comPort : 0; },
      [&running, &line] {
        if (!line.radioAddress.empty()) return line.radioAddress;
        return running != nullptr ? running->state.radioAddress.str() : std::string();
      });
  keldar::TracedParts traced(ports, window, clock, traceOut);
  keldar::Panel panel(traced.serial(), sound, traced.screen(), clock, files);
  running = &panel;
  panel.trace = traced.trace();
  // Phrases the working directory's wave folder lacks come from the wave
  // folder beside keldar.exe (or an installed share\keldar\wave).
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
  // The radio's answer, the relay's command and a client's line each end
  // the window's wait at once.
  window.watchReadable(
      [server] { return std::vector<void*>{server != nullptr ? server->waitEvent() : nullptr}; },
      [&serial] { return lookAt(serial); });
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
    // memory, still unkey the radio.
    std::cerr << "keldar: " << e.what() << '\n';
    keldar::unkeyTransmitter(panel);
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // First: Ctrl-C in the console is a close request, so shutdown unkeys the
  // transmitter and saves the channels.
  keldar::Win32Window::takeConsoleBreaks();

  const keldar::CommandLine line =
      keldar::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) {
    std::cerr << "keldar: " << line.error << '\n' << keldar::usageLine(kOffered) << '\n';
    return 2;
  }
  if (line.help) {
    std::cout << keldar::helpText(kOffered);
    return 0;
  }
  if (line.version) {
    std::cout << "keldar " << keldar::kVersion << '\n';
    return 0;
  }
  if (line.terminal) {
    std::cerr << "keldar: the terminal panel is not available on Windows; the window reads "
                 "the same keys\n";
    return 2;
  }
  // The trace file is named from where keldar was started, before -C.
  std::ofstream traceOut;
  if (!line.traceFile.empty()) {
    // Binary: the lines end in LF as on every platform, for the tools
    // that read traces.
    traceOut.open(line.traceFile, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!traceOut) {
      std::cerr << "keldar: cannot write the trace file " << line.traceFile << '\n';
      return 2;
    }
  }
  if (!line.directory.empty() && SetCurrentDirectoryA(line.directory.c_str()) == 0) {
    std::cerr << "keldar: cannot run in " << line.directory << ": "
              << keldar::windowsErrorText(GetLastError()) << '\n';
    return 2;
  }
  // Listening before the panel starts: a port that cannot be had is said at once.
  std::optional<keldar::Win32NetworkServer> server;
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
  return run(line, line.traceFile.empty() ? nullptr : &traceOut, server ? &*server : nullptr);
}
