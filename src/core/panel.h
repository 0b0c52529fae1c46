// The context every operation runs over: the state plus the platform parts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "base/text.h"
#include "base/trace.h"
#include "core/exchange_queue.h"
#include "core/panel_state.h"
#include "core/speech_queue.h"
#include "core/steps.h"

namespace keldar {

class NetworkShare;

struct Panel {
  Panel(SerialPorts& serialPorts, Sound& soundOut, FrontEnd& frontEnd, Clock& clockIn,
        FileSystem& fileSystem)
      : serial(serialPorts), sound(soundOut), screen(frontEnd), clock(clockIn), fs(fileSystem) {}

  PanelState state;
  SerialPorts& serial;
  Sound& sound;
  FrontEnd& screen;
  Clock& clock;
  FileSystem& fs;
  Trace* trace = nullptr;
  // The loop's work: what is to be said, the steps to run in order, the
  // queries waiting for answers, and what the next step waits for.
  SpeechQueue speech;
  StepQueue steps;
  ExchangeQueue exchange;
  WorkWaits waits;
  // Programs sharing the radio over the network; none unless asked for.
  NetworkShare* network = nullptr;
  RandomSource random;
  // Directory the panel's files live in; empty means the current directory.
  std::string workDir;
  // Folders of recordings searched, in order, for a phrase the working
  // directory's wave/ lacks (the set installed with the program).
  std::vector<std::string> phraseFolders;

  // A file of the working directory ("savmem.dat", "wave/on.wav").
  std::string path(std::string_view name) const {
    return workDir.empty() ? std::string(name) : workDir + "/" + std::string(name);
  }
  void traceLine(std::string_view kind, std::string_view rest = {}) {
    if (trace != nullptr) trace->line(kind, rest);
  }
};

}  // namespace keldar
