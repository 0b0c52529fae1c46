// Phrase playback on SDL audio: one output device opened once and kept
// running, fed through SDL's queue so that phrases played one after the
// other join without a gap.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/platform.h"

namespace keldar {

class SdlSound : public Sound {
 public:
  static constexpr int kRate = 22050;
  static constexpr int kBufferSamples = 256;

  SdlSound() = default;
  ~SdlSound() override;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  // Opens the output device; call once at start-up so the first phrase is
  // not held up by it. Without a usable device it falls back to SDL's
  // "dummy" driver, which takes samples at the same pace but plays nothing,
  // and says so on stderr. False only when not even that opens.
  bool open();
  // The SDL driver in use ("pulseaudio", "alsa", "dummy", "disk"), or empty.
  const std::string& driver() const { return driver_; }

  // Plays a WAV file; with wait, returns once at most one buffer of it is
  // left to play, so the next phrase follows it without a gap.
  void playFile(const std::string& path, bool wait) override;

 private:
  bool openDevice();
  // Waits until at most leftBytes of the queue are still to be played.
  void waitForQueue(uint32_t bytes, uint32_t leftBytes);

  uint32_t device_ = 0;
  bool initialised_ = false;
  bool opened_ = false;
  bool asyncPlaying_ = false;
  std::string driver_;
};

}  // namespace keldar
