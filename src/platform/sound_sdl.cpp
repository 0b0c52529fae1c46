#include "platform/sound_sdl.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace keldar {

namespace {

constexpr uint32_t kBytesPerSample = 2;
constexpr uint32_t kBufferBytes = SdlSound::kBufferSamples * kBytesPerSample;

uint32_t bytesToMs(uint32_t bytes) {
  return static_cast<uint32_t>(uint64_t{bytes} * 1000 / (SdlSound::kRate * kBytesPerSample));
}

// A WAV file as samples in the device's format; empty when the file is
// missing or is not a WAV SDL can read.
std::vector<uint8_t> loadSamples(const std::string& path) {
  SDL_AudioSpec format;
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV(path.c_str(), &format, &data, &length) == nullptr) return {};
  // Conversion works on whole frames; a cut-off last frame is dropped.
  const Uint32 frame = SDL_AUDIO_BITSIZE(format.format) / 8 * format.channels;
  if (frame > 0) length -= length % frame;
  SDL_AudioCVT cvt;
  const int build = SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq,
                                      AUDIO_S16SYS, 1, SdlSound::kRate);
  std::vector<uint8_t> samples;
  if (build == 0) {
    samples.assign(data, data + length);
  } else if (build > 0) {
    samples.resize(static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(samples.data(), data, length);
    cvt.buf = samples.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) == 0) {
      samples.resize(static_cast<std::size_t>(cvt.len_cvt));
    } else {
      samples.clear();
    }
  }
  SDL_FreeWAV(data);
  samples.resize(samples.size() - samples.size() % kBytesPerSample);
  return samples;
}

}  // namespace

SdlSound::SdlSound() : cache_(loadSamples) {}

SdlSound::~SdlSound() {
  if (device_ != 0) {
    // Let the last phrases ("quit") be heard to their end before the device
    // goes; a stalled device gives up well after they should have ended.
    update();
    drain(static_cast<uint32_t>(2 * bytesToMs(SDL_GetQueuedAudioSize(device_)) + 2000));
    SDL_CloseAudioDevice(device_);
  }
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSound::openDevice() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  initialised_ = true;
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = kBufferSamples;
  want.callback = nullptr;  // fed with SDL_QueueAudio
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    initialised_ = false;
    return false;
  }
  const char* name = SDL_GetCurrentAudioDriver();
  driver_ = name != nullptr ? name : "";
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

bool SdlSound::open() {
  if (opened_) return device_ != 0;
  opened_ = true;
  if (openDevice()) return true;
  const std::string reason = SDL_GetError();
  // No sound card or sound server: keep the same pacing, silently, so the
  // panel behaves as it does with sound.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  const bool fallback = openDevice();
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  std::fprintf(stderr, "keldar: no sound device (%s); %s\n", reason.c_str(),
               fallback ? "playing silently" : "no sound at all");
  return fallback;
}

std::size_t SdlSound::preload(const std::vector<std::string>& folders) {
  return cache_.preload(folders);
}

void SdlSound::update() {
  if (device_ == 0) {
    queue_.clear();
    return;
  }
  const uint64_t queuedBytes = queue_.queuedSamples() * kBytesPerSample;
  const uint64_t waiting = SDL_GetQueuedAudioSize(device_);
  queue_.setPlayed((queuedBytes - std::min(queuedBytes, waiting)) / kBytesPerSample);
  // Nothing left in SDL's queue: start the count afresh, so it never grows
  // without end over a long run.
  if (waiting == 0 && queue_.empty()) queue_.clear();
}

void SdlSound::drain(uint32_t limitMs) {
  const uint64_t deadline = SDL_GetTicks64() + limitMs;
  while (SDL_GetQueuedAudioSize(device_) > 0 && SDL_GetTicks64() < deadline) SDL_Delay(5);
  // What the device itself still holds.
  SDL_Delay(2 * bytesToMs(kBufferBytes) + 1);
  queue_.clear();
}

void SdlSound::queueFile(const std::string& path) {
  if (!opened_) open();
  update();
  const std::vector<uint8_t>& samples = cache_.get(path);
  if (device_ == 0 || samples.empty() ||
      SDL_QueueAudio(device_, samples.data(), static_cast<Uint32>(samples.size())) != 0) {
    queue_.add(0);
    return;
  }
  queue_.add(samples.size() / kBytesPerSample);
}

void SdlSound::stop() {
  if (device_ != 0) SDL_ClearQueuedAudio(device_);
  queue_.clear();
}

uint64_t SdlSound::startedCount() {
  update();
  return queue_.startedCount();
}

int SdlSound::unfinishedCount() {
  update();
  return queue_.unfinishedCount();
}

}  // namespace keldar
