// Phrase playback on SDL audio.
#pragma once

#include "runtime/platform.h"

namespace keldar {

class SdlSound : public Sound {
 public:
  void playFile(const std::string& path, bool wait) override;
};

}  // namespace keldar
