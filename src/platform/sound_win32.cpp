#include "platform/sound_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

#include "platform/wave_file.h"

namespace keldar {

struct WaveOutSound::Buffer {
  WAVEHDR header{};
  std::vector<int16_t> samples;
};

namespace {

HWAVEOUT deviceOf(void* device) {
  return static_cast<HWAVEOUT>(device);
}

uint32_t samplesToMs(std::size_t samples) {
  return static_cast<uint32_t>(uint64_t{samples} * 1000 / WaveOutSound::kRate);
}

}  // namespace

WaveOutSound::WaveOutSound() = default;

WaveOutSound::~WaveOutSound() {
  if (device_ != nullptr) {
    // Let the last phrase ("quit") be heard to its end before the device goes.
    if (asyncPlaying_) {
      stopAll();
    } else {
      waitForQueue(0, samplesToMs(queued_.size() * kBufferSamples) + 2000);
      stopAll();
    }
    waveOutClose(deviceOf(device_));
  } else if (!asyncPlaying_) {
    const uint64_t now = GetTickCount64();
    if (silentUntilMs_ > now) Sleep(static_cast<DWORD>(silentUntilMs_ - now));
  }
  if (done_ != nullptr) CloseHandle(static_cast<HANDLE>(done_));
}

bool WaveOutSound::open() {
  if (opened_) return device_ != nullptr;
  opened_ = true;
  done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = kRate * 2;
  HWAVEOUT device = nullptr;
  const MMRESULT result = done_ == nullptr
                              ? MMSYSERR_NOMEM
                              : waveOutOpen(&device, WAVE_MAPPER, &format,
                                            reinterpret_cast<DWORD_PTR>(done_), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    char reason[MAXERRORLENGTH] = "";
    waveOutGetErrorTextA(result, reason, sizeof reason);
    // No sound device: keep the same pacing, silently, so the panel behaves
    // as it does with sound.
    std::fprintf(stderr, "keldar: no sound device (%s); playing silently\n", reason);
    return false;
  }
  device_ = device;
  return true;
}

std::size_t WaveOutSound::reclaim() {
  // The device finishes its buffers in order.
  while (!queued_.empty() && (queued_.front()->header.dwFlags & WHDR_DONE) != 0) {
    Buffer& buffer = *queued_.front();
    waveOutUnprepareHeader(deviceOf(device_), &buffer.header, sizeof buffer.header);
    queued_.pop_front();
  }
  return queued_.size();
}

void WaveOutSound::waitForQueue(std::size_t left, uint32_t limitMs) {
  // A stalled device must not hold the panel: give up well after the sound
  // should have ended.
  const uint64_t deadline = GetTickCount64() + limitMs;
  while (reclaim() > left) {
    const uint64_t now = GetTickCount64();
    if (now > deadline) {
      stopAll();
      return;
    }
    // The event is set as each buffer ends; the short bound covers a set
    // that raced with the look at the flags.
    WaitForSingleObject(static_cast<HANDLE>(done_), 10);
  }
}

void WaveOutSound::stopAll() {
  if (device_ != nullptr) {
    // Marks every queued buffer done.
    waveOutReset(deviceOf(device_));
    reclaim();
  }
  asyncPlaying_ = false;
  silentUntilMs_ = 0;
}

void WaveOutSound::playSilently(std::size_t samples, bool wait) {
  const uint64_t now = GetTickCount64();
  if (asyncPlaying_ || silentUntilMs_ < now) silentUntilMs_ = now;
  silentUntilMs_ += samplesToMs(samples);
  asyncPlaying_ = !wait;
  if (!wait) return;
  // As with a device: return when one buffer's time is left.
  const uint64_t leave =
      silentUntilMs_ - std::min<uint64_t>(samplesToMs(kBufferSamples), silentUntilMs_ - now);
  if (leave > now) Sleep(static_cast<DWORD>(leave - now));
}

void WaveOutSound::playFile(const std::string& path, bool wait) {
  if (!opened_) open();
  const std::vector<int16_t> samples = loadWaveSamples(path, kRate);
  if (samples.empty()) return;
  if (device_ == nullptr) {
    playSilently(samples.size(), wait);
    return;
  }
  // A phrase started without waiting is cut short by the next one.
  if (asyncPlaying_) stopAll();
  for (std::size_t at = 0; at < samples.size(); at += kBufferSamples) {
    const std::size_t count = std::min<std::size_t>(kBufferSamples, samples.size() - at);
    Buffer& buffer = *queued_.emplace_back(std::make_unique<Buffer>());
    buffer.samples.assign(samples.begin() + static_cast<std::ptrdiff_t>(at),
                          samples.begin() + static_cast<std::ptrdiff_t>(at + count));
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(count * sizeof(int16_t));
    const HWAVEOUT device = deviceOf(device_);
    if (waveOutPrepareHeader(device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
      queued_.pop_back();
      break;
    }
    if (waveOutWrite(device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
      waveOutUnprepareHeader(device, &buffer.header, sizeof buffer.header);
      queued_.pop_back();
      break;
    }
  }
  if (!wait) {
    asyncPlaying_ = true;
    return;
  }
  waitForQueue(1, 2 * samplesToMs(samples.size()) + 2000);
}

}  // namespace keldar
