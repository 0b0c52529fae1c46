// A seeded source of random choices, digits and bytes for the randomized
// tests; the same seed gives the same run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace keldar::testing {

class Dice {
 public:
  explicit Dice(uint32_t seed) : rng_(seed) {}
  int below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  std::string digits(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += static_cast<char>('0' + below(10));
    return text;
  }
  std::string bytes(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += static_cast<char>(below(256));
    return text;
  }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
  }

 private:
  std::mt19937 rng_;
};

}  // namespace keldar::testing
