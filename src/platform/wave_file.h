// Reading a WAV file into the samples the sound device plays: 16-bit mono
// at one rate. Portable, so that it is tested on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keldar {

// The PCM samples of a RIFF WAVE file (8 or 16 bits, any channels, any rate)
// as 16-bit mono at rate. Empty when the file is missing or not such a WAV.
std::vector<int16_t> loadWaveSamples(const std::string& path, int rate);

// The same for a WAV image already in memory.
std::vector<int16_t> decodeWave(const std::vector<uint8_t>& bytes, int rate);

}  // namespace keldar
