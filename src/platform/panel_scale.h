// What both windows share to draw the panel at any window size: the panel
// places its texts in a fixed layout (950 x 500); a window of another size
// shows the same layout scaled by one factor, fonts included. The texts
// still shown are kept, so a resized window can draw them again at the new
// scale. Portable: no system or SDL headers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/platform.h"

namespace keldar {

inline constexpr int kInverseStyle = 0x100;

// One text as the panel placed it, in layout pixels.
struct PlacedText {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  FontSpec font;
  std::string text;
};

class PlacedTexts {
 public:
  // Keeps the text; earlier texts it covers completely are gone from the
  // screen and are dropped.
  void add(PlacedText placed);
  const std::vector<PlacedText>& all() const { return texts_; }
  void clear() { texts_.clear(); }

 private:
  std::vector<PlacedText> texts_;
};

// The factor that fits the layout into the window, aspect kept.
double layoutScale(int layoutWidth, int layoutHeight, int windowWidth, int windowHeight);
int scaledLength(int length, double scale);
// The point size at the scale (at least 1).
int scaledPointSize(int pointSize, double scale);

}  // namespace keldar
