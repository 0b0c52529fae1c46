#include "platform/wave_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace keldar {

namespace {

struct Format {
  int channels = 0;
  int rate = 0;
  int bits = 0;
};

uint32_t le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// One sample of one channel as 16 bits.
int sampleAt(const uint8_t* p, int bits) {
  if (bits == 8) return (int{p[0]} - 128) * 256;
  return static_cast<int16_t>(le16(p));
}

// Channels averaged into one.
std::vector<int16_t> mono(const uint8_t* data, std::size_t size, const Format& f) {
  const std::size_t width = static_cast<std::size_t>(f.bits / 8);
  const std::size_t frame = width * static_cast<std::size_t>(f.channels);
  std::vector<int16_t> out;
  out.reserve(size / frame);
  for (std::size_t at = 0; at + frame <= size; at += frame) {
    int sum = 0;
    for (int c = 0; c < f.channels; ++c) sum += sampleAt(data + at + c * width, f.bits);
    out.push_back(static_cast<int16_t>(sum / f.channels));
  }
  return out;
}

// Linear interpolation to the device's rate.
std::vector<int16_t> resample(const std::vector<int16_t>& in, int from, int to) {
  if (from == to || in.empty()) return in;
  const std::size_t count = static_cast<std::size_t>(uint64_t{in.size()} * to / from);
  std::vector<int16_t> out(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double position = static_cast<double>(i) * from / to;
    const std::size_t left = static_cast<std::size_t>(position);
    const std::size_t right = left + 1 < in.size() ? left + 1 : left;
    const double part = position - static_cast<double>(left);
    out[i] = static_cast<int16_t>(in[left] + (in[right] - in[left]) * part);
  }
  return out;
}

}  // namespace

std::vector<int16_t> decodeWave(const std::vector<uint8_t>& bytes, int rate) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return {};
  }
  Format format;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint8_t* chunk = bytes.data() + at;
    const std::size_t size = le32(chunk + 4);
    const std::size_t body = at + 8;
    const std::size_t available = bytes.size() - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
      const uint8_t* f = bytes.data() + body;
      if (le16(f) != 1) return {};  // PCM only
      format = {le16(f + 2), static_cast<int>(le32(f + 4)), le16(f + 14)};
      if (format.channels < 1 || format.rate <= 0 || (format.bits != 8 && format.bits != 16)) {
        return {};
      }
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (format.channels == 0) return {};
      // A file cut short still plays what it holds.
      const std::size_t length = size < available ? size : available;
      return resample(mono(bytes.data() + body, length, format), format.rate, rate);
    }
    at = body + size + (size & 1);
  }
  return {};
}

std::vector<int16_t> loadWaveSamples(const std::string& path, int rate) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  return decodeWave(bytes, rate);
}

}  // namespace keldar
