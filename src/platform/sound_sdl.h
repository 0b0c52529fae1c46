// Phrase playback on SDL audio: one output device opened once and kept
// running, fed through SDL's queue so that phrases played one after the
// other join without a gap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/play_queue.h"

#include "base/platform.h"

namespace keldar {

class SdlSound : public Sound {
 public:
  static constexpr int kRate = 22050;
  static constexpr int kBufferSamples = 256;

  SdlSound();
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
  // Reads every recording of these folders now, once: later phrases come
  // from memory. Returns how many were read.
  std::size_t preload(const std::vector<std::string>& folders);

  void queueFile(const std::string& path) override;
  void stop() override;
  uint64_t startedCount() override;
  int unfinishedCount() override;

 private:
  bool openDevice();
  // Takes the device's progress into the play queue.
  void update();
  // Waits until everything queued has been played, or limitMs has passed.
  void drain(uint32_t limitMs);

  uint32_t device_ = 0;
  bool initialised_ = false;
  bool opened_ = false;
  std::string driver_;
  PhraseCache<uint8_t> cache_;
  PlayQueue queue_;
};

}  // namespace keldar
