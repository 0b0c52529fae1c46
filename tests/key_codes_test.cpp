#include <gtest/gtest.h>

#include <vector>

#include "base/platform.h"

namespace keldar {
namespace {

TEST(KeyCodes, OnlyTheModifiersAreNoKeysOfTheirOwn) {
  // Shift, Ctrl, Alt, Caps Lock, both Windows keys and the left and right
  // forms of the first three, as Windows numbers them.
  const std::vector<int32_t> modifiers = {16, 17, 18, 20, 91, 92, 160, 161, 162, 163, 164, 165};
  std::vector<int32_t> found;
  for (int32_t code = 0; code < 256; ++code) {
    if (isModifierKey(code)) found.push_back(code);
  }
  EXPECT_EQ(found, modifiers);
}

}  // namespace
}  // namespace keldar
