#include "platform/panel_scale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace keldar {

namespace {

// Enough for every field several times over; only texts that overlap
// without covering each other stay beside each other.
constexpr std::size_t kMaxPlacedTexts = 512;

bool covers(const PlacedText& outer, const PlacedText& inner) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

}  // namespace

void PlacedTexts::add(PlacedText placed) {
  std::erase_if(texts_, [&placed](const PlacedText& earlier) { return covers(placed, earlier); });
  // Should a pattern of prints ever defeat the covering rule, the oldest
  // texts go first: they are the likeliest to have been overdrawn.
  if (texts_.size() >= kMaxPlacedTexts) texts_.erase(texts_.begin());
  texts_.push_back(std::move(placed));
}

double layoutScale(int layoutWidth, int layoutHeight, int windowWidth, int windowHeight) {
  if (layoutWidth <= 0 || layoutHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return 1.0;
  return std::min(static_cast<double>(windowWidth) / layoutWidth,
                  static_cast<double>(windowHeight) / layoutHeight);
}

int scaledLength(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

int scaledPointSize(int pointSize, double scale) {
  return std::max(1, scaledLength(pointSize, scale));
}

}  // namespace keldar
