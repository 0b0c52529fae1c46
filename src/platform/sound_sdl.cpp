#include "platform/sound_sdl.h"

namespace keldar {

// Placeholder until its issue lands: silent.
void SdlSound::playFile(const std::string&, bool) {}

}  // namespace keldar
