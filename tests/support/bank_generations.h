// Support code for the power-cut test: numbered, distinct contents of the
// memory banks, so that a file on disk tells which save wrote it.
#pragma once

#include <string>

#include "base/text.h"
#include "core/panel_state.h"

namespace keldar::testing {

// Fills the band table, channels, band and noise reduction with the content
// of save number n (0 <= n < 1000000). Every record has its layout; a few
// slots, different for each n, are empty.
inline void fillGeneration(PanelState& s, int n) {
  s.bandIndex = 1 + n % kBandCount;
  s.noiseReduction = n % 2;
  const std::string preamp = zeroPadded(n % 2, 1);
  for (int row = 1; row <= kBandCount; ++row) {
    const std::string hz = zeroPadded(row * 1000000 + n, 9);
    s.bandTable[row] = "0" + zeroPadded(1 + row % 7, 1) + "A" + hz + "B" + hz + "999" + preamp;
  }
  for (int i = 0; i < kChannelCount; ++i) {
    if ((i + n) % 7 == 0) {
      s.memoryChannels[i] = "9";
      continue;
    }
    const std::string kind = i % 3 == 0 ? "5" : (i % 3 == 1 ? "0" : "1");
    const std::string hz = zeroPadded(n * 100.0 + i, 9);
    const std::string partB = kind == "5" ? "+" + zeroPadded(n, 8) : hz;
    const std::string tone = i % 2 == 0 ? "999" : zeroPadded(i % 50, 3);
    s.memoryChannels[i] = kind + zeroPadded(1 + i % 7, 1) + zeroPadded(1 + i % kBandCount, 2) +
                          "A" + hz + "B" + partB + tone + preamp;
  }
}

}  // namespace keldar::testing
