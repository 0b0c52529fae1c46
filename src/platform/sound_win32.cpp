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

WaveOutSound::WaveOutSound()
    : cache_([](const std::string& path) { return loadWaveSamples(path, kRate); }) {}

WaveOutSound::~WaveOutSound() {
  // Let the last phrases ("quit") be heard to their end before the device
  // goes; a stalled device gives up well after they should have ended.
  update();
  const uint64_t deadline =
      GetTickCount64() + samplesToMs(queue_.queuedSamples() - playedSamples_) * 2 + 2000;
  while (queue_.unfinishedCount() > 0 && GetTickCount64() < deadline) {
    if (device_ != nullptr) WaitForSingleObject(static_cast<HANDLE>(done_), 10);
    if (device_ == nullptr) Sleep(10);
    update();
  }
  stop();
  if (device_ != nullptr) waveOutClose(deviceOf(device_));
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

void WaveOutSound::reclaim() {
  // The device finishes its buffers in order.
  while (!queued_.empty() && (queued_.front()->header.dwFlags & WHDR_DONE) != 0) {
    Buffer& buffer = *queued_.front();
    waveOutUnprepareHeader(deviceOf(device_), &buffer.header, sizeof buffer.header);
    playedSamples_ += buffer.samples.size();
    queued_.pop_front();
  }
}

void WaveOutSound::update() {
  if (device_ != nullptr) {
    reclaim();
  } else {
    // No device: the phrases still take their time, so the panel's pace is
    // the same with sound or without.
    const uint64_t now = GetTickCount64();
    if (queue_.unfinishedCount() == 0) silentStartMs_ = now;
    playedSamples_ = (now - silentStartMs_) * kRate / 1000;
  }
  queue_.setPlayed(playedSamples_);
  if (queue_.empty()) {
    queue_.clear();
    playedSamples_ = 0;
  }
}

std::size_t WaveOutSound::preload(const std::vector<std::string>& folders) {
  return cache_.preload(folders);
}

void WaveOutSound::stop() {
  if (device_ != nullptr) {
    // Marks every queued buffer done.
    waveOutReset(deviceOf(device_));
    reclaim();
  }
  queue_.clear();
  playedSamples_ = 0;
}

uint64_t WaveOutSound::startedCount() {
  update();
  return queue_.startedCount();
}

int WaveOutSound::unfinishedCount() {
  update();
  return queue_.unfinishedCount();
}

void WaveOutSound::queueFile(const std::string& path) {
  if (!opened_) open();
  update();
  const std::vector<int16_t>& samples = cache_.get(path);
  if (samples.empty()) {
    queue_.add(0);
    return;
  }
  if (device_ == nullptr) {
    if (queue_.unfinishedCount() == 0) silentStartMs_ = GetTickCount64();
    queue_.add(samples.size());
    return;
  }
  std::size_t written = 0;
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
    written += count;
  }
  queue_.add(written);
}

}  // namespace keldar
