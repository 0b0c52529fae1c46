// keldar_phrase_bench [DIR]: plays generated phrases through the real SDL
// player on SDL's disk driver, serviced as the panel's loop services it (at
// its 50 ms ticks), and prints how well they join, how long a readout takes
// against its recordings, how soon a phrase begins to sound after it is
// asked for (read from the file then, or kept in memory from the start), how
// fast a missing phrase returns and what the open device costs while idle. DIR holds wave/; without
// it the phrases are generated into a temporary folder with scripts/make-phrases.
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/panel.h"
#include "platform/clock_posix.h"
#include "platform/sound_sdl.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {
namespace {

using Clock = std::chrono::steady_clock;
using Samples = std::vector<int16_t>;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The panel's other platform parts do nothing here.
class NoSerial : public SerialPorts {
 public:
  int openPort(int, int) override { return 0; }
  void setReadTimeouts(int, int) override {}
  int setLineFormat(int, int, int, int) override { return 0; }
  int bytesWaiting(int) override { return 0; }
  int readPort(int, char*, int) override { return 0; }
  int writePort(int, const char*, int) override { return 0; }
  void closePort(int) override {}
  bool portLost(int) override { return false; }
};
class NoScreen : public FrontEnd {
 public:
  bool openWindow(const std::string&, int, int, int, int) override { return true; }
  void closeWindow() override {}
  void moveTextPosition(int, int) override {}
  void printText(std::string_view) override {}
  void setFont(const FontSpec&) override {}
  void flushDrawing() override {}
  void startTimer(int, int) override {}
  void stopTimer(int) override {}
  void waitForEvents(EventSink&, bool) override {}
};
class NoFiles : public FileSystem {
 public:
  bool replaceFileDurably(const std::string&, const std::string&) override { return false; }
};

// Forwards to the real player and notes what was asked of it.
class RecordingSound : public Sound {
 public:
  explicit RecordingSound(Sound& inner) : inner_(inner) {}
  void queueFile(const std::string& path) override {
    paths.push_back(path);
    inner_.queueFile(path);
  }
  void stop() override { inner_.stop(); }
  uint64_t startedCount() override { return inner_.startedCount(); }
  int unfinishedCount() override { return inner_.unfinishedCount(); }
  std::vector<std::string> paths;

 private:
  Sound& inner_;
};

Samples loadWav(const std::string& path) {
  SDL_AudioSpec spec;
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV(path.c_str(), &spec, &data, &length) == nullptr) return {};
  Samples s(length / 2);
  std::memcpy(s.data(), data, s.size() * 2);
  SDL_FreeWAV(data);
  return s;
}

void writeWav(const std::string& path, const Samples& samples) {
  const auto bytes = static_cast<uint32_t>(samples.size() * 2);
  auto put = [](std::ofstream& o, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) o.put(static_cast<char>((v >> (8 * i)) & 0xff));
  };
  std::ofstream o(path, std::ios::binary);
  o << "RIFF";
  put(o, 36 + bytes, 4);
  o << "WAVEfmt ";
  put(o, 16, 4);
  put(o, 1, 2);
  put(o, 1, 2);
  put(o, 22050, 4);
  put(o, 44100, 4);
  put(o, 2, 2);
  put(o, 16, 2);
  o << "data";
  put(o, bytes, 4);
  o.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(bytes));
}

Samples readStream(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Samples s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

double cpuSeconds() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
         static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double idleCpuPercentNow() {
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const double cpu0 = cpuSeconds();
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  return 100.0 * (cpuSeconds() - cpu0) / (msSince(t0) / 1000.0);
}

double idleCpuPercent(const char* driver, const std::string& diskFile) {
  setenv("SDL_AUDIODRIVER", driver, 1);
  setenv("SDL_DISKAUDIOFILE", diskFile.c_str(), 1);
  SdlSound sound;
  sound.open();
  return idleCpuPercentNow();
}

// The same device opened straight with SDL, nothing of the player: what
// SDL's own audio thread costs at this buffer size.
double bareSdlIdleCpuPercent(const char* driver) {
  setenv("SDL_AUDIODRIVER", driver, 1);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return -1;
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = SdlSound::kRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = SdlSound::kBufferSamples;
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  SDL_PauseAudioDevice(device, 0);
  const double percent = idleCpuPercentNow();
  SDL_CloseAudioDevice(device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return percent;
}

struct Readout {
  std::string display;
  double wallMs = 0;
  std::size_t firstPlay = 0, endPlay = 0;  // range in the recorded plays
};

struct Stats {
  std::vector<double> values;
  double max = 0, sum = 0;
  int count = 0;
  void add(double v) {
    values.push_back(v);
    max = std::max(max, v);
    sum += v;
    ++count;
  }
  double mean() const { return count ? sum / count : 0; }
  double percentile(double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
  }
};

// Services speech at the loop's tick until everything said has been heard.
void speakOut(Panel& panel) {
  while (!speechDone(panel)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void waitUntilIdle(Sound& sound) {
  while (sound.unfinishedCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// From asking for a phrase to the device taking its first samples.
double msToFirstSound(Panel& panel, Sound& sound, const std::string& name) {
  waitUntilIdle(sound);
  const uint64_t before = sound.startedCount();
  const auto t0 = Clock::now();
  playPhrase(panel, name);
  while (sound.startedCount() == before) std::this_thread::sleep_for(std::chrono::microseconds(50));
  return msSince(t0);
}

int run(const std::string& dir) {
  const std::string rawFile = dir + "/stream.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", rawFile.c_str(), 1);
  auto real = std::make_unique<SdlSound>();
  if (!real->open() || real->driver() != "disk") {
    std::fprintf(stderr, "bench: the SDL disk driver did not open\n");
    return 1;
  }
  RecordingSound sound(*real);
  NoSerial serial;
  NoScreen screen;
  SystemClock systemClock;
  NoFiles files;
  Panel panel(serial, sound, screen, systemClock, files);
  panel.workDir = dir;
  // The device is running before anything is timed.
  real->queueFile(dir + "/wave/delay.wav");
  waitUntilIdle(*real);

  // Frequency readouts, each started from an idle device as after a key.
  std::vector<Readout> readouts;
  const char* displays[] = {"14.074000", "145.612500", "7.100000", "3.573125", "28.000000"};
  for (int round = 0; round < 2; ++round) {
    for (const char* display : displays) {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      Readout r{display};
      panel.state.frequencyDisplay = display;
      r.firstPlay = sound.paths.size();
      const auto t0 = Clock::now();
      speakFrequency(panel);
      speakOut(panel);
      r.wallMs = msSince(t0);
      r.endPlay = sound.paths.size();
      readouts.push_back(r);
    }
  }

  // The same samples as one file: the driver's own pace, for comparison.
  Samples joined;
  for (std::size_t i = readouts[1].firstPlay; i < readouts[1].endPlay; ++i) {
    const Samples s = loadWav(sound.paths[i]);
    joined.insert(joined.end(), s.begin(), s.end());
  }
  writeWav(dir + "/joined.wav", joined);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  auto t0 = Clock::now();
  real->queueFile(dir + "/joined.wav");
  while (real->unfinishedCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double joinedWallMs = msSince(t0);
  const double joinedMs = 1000.0 * static_cast<double>(joined.size()) / SdlSound::kRate;

  // A missing phrase.
  Stats missing;
  for (int i = 0; i < 2000; ++i) {
    t0 = Clock::now();
    playPhrase(panel, "nosuchphrase");
    missing.add(msSince(t0));
  }

  speakOut(panel);
  real.reset();  // plays out the queue and closes the file
  const Samples stream = readStream(rawFile);
  // Key to first sound, on a device of its own so its phrases stay out of
  // the stream measured above: each digit read from its file when first
  // asked for (as every phrase was before recordings were kept), then again
  // from memory.
  Stats fromFile, fromMemory;
  {
    SdlSound fresh;
    fresh.open();
    RecordingSound heard(fresh);
    Panel timed(serial, heard, screen, systemClock, files);
    timed.workDir = dir;
    fresh.queueFile(dir + "/wave/delay.wav");
    waitUntilIdle(fresh);
    for (int digit = 0; digit <= 9; ++digit) {
      fromFile.add(msToFirstSound(timed, heard, std::to_string(digit)));
    }
    for (int round = 0; round < 3; ++round) {
      for (int digit = 0; digit <= 9; ++digit) {
        fromMemory.add(msToFirstSound(timed, heard, std::to_string(digit)));
      }
    }
    waitUntilIdle(fresh);
  }

  // Find every phrase of the readouts in the stream, in order.
  Stats gaps, ratio;
  std::size_t at = 0;
  std::map<std::string, Samples> cache;
  int lost = 0;
  for (const Readout& r : readouts) {
    std::size_t previousEnd = std::string::npos;
    double summedMs = 0;
    for (std::size_t i = r.firstPlay; i < r.endPlay; ++i) {
      Samples& s = cache[sound.paths[i]];
      if (s.empty()) s = loadWav(sound.paths[i]);
      summedMs += 1000.0 * static_cast<double>(s.size()) / SdlSound::kRate;
      const auto it =
          std::search(stream.begin() + static_cast<long>(at), stream.end(), s.begin(), s.end());
      if (it == stream.end()) {
        ++lost;
        continue;
      }
      const auto start = static_cast<std::size_t>(it - stream.begin());
      if (previousEnd != std::string::npos) {
        gaps.add(1000.0 * static_cast<double>(start - previousEnd) / SdlSound::kRate);
      }
      previousEnd = start + s.size();
      at = previousEnd;
    }
    ratio.add(r.wallMs / summedMs);
  }

  const double pace = joinedWallMs / joinedMs;
  std::printf("phrase bench (SDL disk driver, %d Hz, %d-sample buffers)\n", SdlSound::kRate,
              SdlSound::kBufferSamples);
  std::printf("  joins measured: %d in %zu frequency readouts (%d phrases not found)\n", gaps.count,
              readouts.size(), lost);
  std::printf("  gap between consecutive phrases: max %.3f ms, mean %.3f ms   (goal <= 2 ms)\n",
              gaps.max, gaps.mean());
  std::printf("  readout wall time / summed WAV durations: mean %.4f, max %.4f\n", ratio.mean(),
              ratio.max);
  std::printf("  driver pace: %.1f ms of samples took %.1f ms as one file (%.4f)\n", joinedMs,
              joinedWallMs, pace);
  std::printf(
      "  readout ratio on a real-time clock (ratio / pace): mean %.4f, max %.4f"
      "   (goal <= 1.01)\n",
      ratio.mean() / pace, ratio.max / pace);
  std::printf(
      "  key to first sound: read from the file %.3f ms mean (max %.3f);"
      " kept in memory %.3f ms mean (max %.3f)\n",
      fromFile.mean(), fromFile.max, fromMemory.mean(), fromMemory.max);
  std::printf(
      "  missing phrase returns in: mean %.4f ms, median %.4f ms, 99th %.4f ms,"
      " max %.4f ms   (goal <= 0.1 ms)\n",
      missing.mean(), missing.percentile(0.5), missing.percentile(0.99), missing.max);
  std::printf(
      "  idle CPU with the device open: disk %.3f %%, dummy %.3f %% of a core"
      "   (goal <= 0.3 %%)\n",
      idleCpuPercent("disk", dir + "/idle.raw"), idleCpuPercent("dummy", ""));
  std::printf("  for comparison, a bare SDL device of the same format: dummy %.3f %% of a core\n",
              bareSdlIdleCpuPercent("dummy"));
  return lost == 0 ? 0 : 1;
}

}  // namespace
}  // namespace keldar

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const fs::path work = fs::temp_directory_path() / ("keldar-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  std::string dir = work.string();
  if (argc > 1) {
    fs::copy(fs::path(argv[1]) / "wave", work / "wave", fs::copy_options::recursive);
  } else {
    const std::string make =
        "bash '" + std::string(KELDAR_SOURCE_DIR) + "/scripts/make-phrases' '" + dir + "'";
    if (std::system(make.c_str()) != 0) {
      std::fprintf(stderr, "bench: could not generate the phrases\n");
      return 1;
    }
  }
  const int status = keldar::run(dir);
  std::error_code ec;
  fs::remove_all(work, ec);
  return status;
}
