// keldar.exe: the talking front panel on Windows. Reads the command line,
// builds the Windows platform parts and runs the panel over them
// (app/run_panel.h).
#include <windows.h>

#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_panel.h"
#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/net_win32.h"
#include "platform/program_location.h"
#include "platform/serial_win32.h"
#include "platform/sound_win32.h"
#include "platform/tcp_radio.h"
#include "platform/window_win32.h"

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
  // the panel sees a serial port either way. A port that will not open or
  // goes away is also noted in debug.dat.
  keldar::RunningPanel running(line);
  keldar::TcpRadioPorts ports(serial, running);
  serial.setReporter([&running](const std::string& message) { running.note(message); });
  // The radio's answer, the relay's command and a client's line each end
  // the window's wait at once.
  window.watchReadable(
      [server] { return std::vector<void*>{server != nullptr ? server->waitEvent() : nullptr}; },
      [&serial] { return lookAt(serial); });
  // The wave folder beside keldar.exe (or an installed share\keldar\wave)
  // is found from where keldar.exe lies.
  keldar::PlatformParts parts{ports, sound, window, clock, files, server, traceOut};
  parts.programDir = keldar::executableDirectory();
  parts.preload = [&sound](const std::vector<std::string>& folders) { sound.preload(folders); };
  return keldar::runPanel(line, parts, running);
}

}  // namespace

int main(int argc, char** argv) {
  // First: Ctrl-C in the console is a close request, so shutdown unkeys the
  // transmitter and saves the channels.
  keldar::Win32Window::takeConsoleBreaks();

  const keldar::CommandLine line =
      keldar::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto answered = keldar::answerWithoutPanel(line, kOffered, std::cout, std::cerr)) {
    return *answered;
  }
  if (line.terminal) {
    std::cerr << "keldar: the terminal panel is not available on Windows; the window reads "
                 "the same keys\n";
    return 2;
  }
  // The trace file is named from where keldar was started, before -C.
  std::ofstream traceOut;
  if (!keldar::openTraceFile(line, traceOut, std::cerr)) return 2;
  if (!line.directory.empty() && SetCurrentDirectoryA(line.directory.c_str()) == 0) {
    std::cerr << "keldar: cannot run in " << line.directory << ": "
              << keldar::windowsErrorText(GetLastError()) << '\n';
    return 2;
  }
  std::optional<keldar::Win32NetworkServer> server;
  if (line.rigctldPort >= 0) {
    server.emplace();
    if (!keldar::listenForClients(line, *server, std::cerr)) return 2;
  }
  return run(line, line.traceFile.empty() ? nullptr : &traceOut, server ? &*server : nullptr);
}
