// keldar: the talking front panel. Builds the platform parts and runs it.
#include <cstring>
#include <iostream>

#include "app/panel.h"
#include "app/startup.h"
#include "platform/clock_posix.h"
#include "platform/files_posix.h"
#include "platform/serial_posix.h"
#include "platform/sound_sdl.h"
#include "platform/terminal_posix.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "keldar 3.3b\n";
      return 0;
    }
  }
  keldar::PosixSerialPorts serial;
  keldar::SdlSound sound;
  keldar::TerminalPanel screen;
  keldar::SystemClock clock;
  keldar::PosixFileSystem files;
  keldar::Panel panel(serial, sound, screen, clock, files);
  return keldar::startUp(panel);
}
