// Phrase playback on Windows' waveOut: one device opened once and kept, each
// phrase queued as a row of short buffers; a phrase played with wait returns
// while its last buffer still plays, so the next one joins without a gap.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform.h"

namespace keldar {

class WaveOutSound : public Sound {
 public:
  static constexpr int kRate = 22050;
  static constexpr int kBufferSamples = 1024;

  WaveOutSound();
  ~WaveOutSound() override;
  WaveOutSound(const WaveOutSound&) = delete;
  WaveOutSound& operator=(const WaveOutSound&) = delete;

  // Opens the output device; call once at start-up so the first phrase is
  // not held up by it. Without a device the phrases take their time in
  // silence, and stderr says so. False when there is no device.
  bool open();
  bool silent() const { return device_ == nullptr; }

  void playFile(const std::string& path, bool wait) override;

 private:
  struct Buffer;
  // Frees the buffers the device has finished with; the number left.
  std::size_t reclaim();
  // Waits until at most left buffers are still queued.
  void waitForQueue(std::size_t left, uint32_t limitMs);
  void stopAll();
  void playSilently(std::size_t samples, bool wait);

  void* device_ = nullptr;  // an HWAVEOUT
  void* done_ = nullptr;    // event the device sets as each buffer ends
  bool opened_ = false;
  bool asyncPlaying_ = false;
  std::list<std::unique_ptr<Buffer>> queued_;  // in the order the device plays them
  uint64_t silentUntilMs_ = 0;
};

}  // namespace keldar
