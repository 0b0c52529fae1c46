// Phrase playback on Windows' waveOut: one device opened once and kept, each
// phrase queued as a row of short buffers behind the ones before it, so
// phrases join without a gap; nothing here waits.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"
#include "platform/play_queue.h"

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
  // Reads every recording of these folders now, once: later phrases come
  // from memory. Returns how many were read.
  std::size_t preload(const std::vector<std::string>& folders);

  void queueFile(const std::string& path) override;
  void stop() override;
  uint64_t startedCount() override;
  int unfinishedCount() override;

 private:
  struct Buffer;
  // Frees the buffers the device has finished with and counts their samples.
  void reclaim();
  // Takes the device's (or the silent clock's) progress into the play queue.
  void update();

  void* device_ = nullptr;  // an HWAVEOUT
  void* done_ = nullptr;    // event the device sets as each buffer ends
  bool opened_ = false;
  std::list<std::unique_ptr<Buffer>> queued_;  // in the order the device plays them
  uint64_t playedSamples_ = 0;
  // Without a device: when the silent "playing" began, so phrases keep their time.
  uint64_t silentStartMs_ = 0;
  PhraseCache<int16_t> cache_;
  PlayQueue queue_;
};

}  // namespace keldar
