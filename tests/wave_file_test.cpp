#include "platform/wave_file.h"
#include "platform/play_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace keldar {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

// A RIFF WAVE image; dataSize lets a test claim more data than there is.
std::vector<uint8_t> waveImage(int format, int channels, int rate, int bits,
                               const std::vector<uint8_t>& data, int64_t dataSize = -1) {
  std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
  put32(out, static_cast<uint32_t>(36 + data.size()));
  for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<uint8_t>(c));
  put32(out, 16);
  put16(out, static_cast<uint32_t>(format));
  put16(out, static_cast<uint32_t>(channels));
  put32(out, static_cast<uint32_t>(rate));
  put32(out, static_cast<uint32_t>(rate * channels * bits / 8));
  put16(out, static_cast<uint32_t>(channels * bits / 8));
  put16(out, static_cast<uint32_t>(bits));
  // A chunk the reader must step over, odd-sized and padded.
  for (char c : std::string("LIST")) out.push_back(static_cast<uint8_t>(c));
  put32(out, 3);
  out.insert(out.end(), {1, 2, 3, 0});
  for (char c : std::string("data")) out.push_back(static_cast<uint8_t>(c));
  put32(out, static_cast<uint32_t>(dataSize >= 0 ? dataSize : static_cast<int64_t>(data.size())));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TEST(WaveFile, SamplesBecomeSixteenBitMonoAtTheDeviceRate) {
  // 16-bit mono at the device rate passes unchanged, negative values too.
  const std::vector<uint8_t> plain{0x00, 0x10, 0x00, 0xf0, 0xff, 0x7f};
  EXPECT_EQ(decodeWave(waveImage(1, 1, 22050, 16, plain), 22050),
            (std::vector<int16_t>{0x1000, -0x1000, 0x7fff}));
  // 8-bit stereo: unsigned bytes around 128, the channels averaged.
  const std::vector<uint8_t> stereo8{128, 128, 255, 129, 0, 2};
  EXPECT_EQ(decodeWave(waveImage(1, 2, 22050, 8, stereo8), 22050),
            (std::vector<int16_t>{0, 64 * 256, -127 * 256}));
  // Half the rate: twice the samples, the new ones halfway between.
  const std::vector<uint8_t> slow{0x00, 0x00, 0x00, 0x10};
  EXPECT_EQ(decodeWave(waveImage(1, 1, 11025, 16, slow), 22050),
            (std::vector<int16_t>{0, 0x800, 0x1000, 0x1000}));
  // A file cut short plays what it holds, down to whole frames.
  EXPECT_EQ(decodeWave(waveImage(1, 1, 22050, 16, {0x01, 0x00, 0x02}, 1000), 22050),
            (std::vector<int16_t>{1}));
}

TEST(WaveFile, WhatIsNoPcmWaveGivesNothing) {
  const std::vector<uint8_t> data{0, 0, 0, 0};
  EXPECT_TRUE(decodeWave(waveImage(3, 1, 22050, 32, data), 22050).empty());  // float
  EXPECT_TRUE(decodeWave(waveImage(1, 1, 22050, 24, data), 22050).empty());
  EXPECT_TRUE(decodeWave(waveImage(1, 0, 22050, 16, data), 22050).empty());
  std::vector<uint8_t> notRiff = waveImage(1, 1, 22050, 16, data);
  notRiff[0] = 'X';
  EXPECT_TRUE(decodeWave(notRiff, 22050).empty());
  EXPECT_TRUE(decodeWave({}, 22050).empty());
  EXPECT_TRUE(loadWaveSamples("no-such-folder/no-such.wav", 22050).empty());
}

// The device's progress in samples tells which phrases have begun and how
// many are still to end; one without samples begins when the device reaches
// it and holds no place.
TEST(PlayQueue, PhrasesBeginInOrderAsTheDeviceGetsToThem) {
  PlayQueue queue;
  queue.add(100);
  queue.add(0);
  queue.add(50);
  EXPECT_EQ(queue.startedCount(), 0u);
  EXPECT_EQ(queue.unfinishedCount(), 2);
  queue.setPlayed(1);
  EXPECT_EQ(queue.startedCount(), 1u);
  queue.setPlayed(100);
  EXPECT_EQ(queue.startedCount(), 2u) << "the empty one is reached";
  EXPECT_EQ(queue.unfinishedCount(), 1);
  queue.setPlayed(101);
  EXPECT_EQ(queue.startedCount(), 3u);
  queue.setPlayed(500);  // never past what was queued
  EXPECT_EQ(queue.unfinishedCount(), 0);
  EXPECT_TRUE(queue.empty());
  queue.add(10);
  queue.clear();  // stopped: counted as begun and ended
  EXPECT_EQ(queue.startedCount(), 4u);
  EXPECT_EQ(queue.unfinishedCount(), 0);
}

}  // namespace
}  // namespace keldar
