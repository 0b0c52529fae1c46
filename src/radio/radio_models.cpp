#include "radio/radio_models.h"

#include <array>

namespace keldar {

namespace {

constexpr RadioModel kCommonRadio{0, 3, false, true, false, 100, 100, 14, 15};

constexpr std::array<RadioModel, 10> kModels{{
    {241, 3, false, false, false, 100, 100, 10, 11},
    {251, 3, false, true, true, 249, 250, 14, 15},
    {362, 3, false, true, true, 249, 250, 14, 15},
    {570, 3, true, true, false, 100, 100, 14, 15},
    {650, 4, false, true, false, 100, 100, 14, 15},
    {670, 3, true, true, false, 100, 100, 14, 15},
    {681, 6, false, true, false, 100, 100, 14, 15},
    {682, 6, false, true, false, 100, 100, 14, 15},
    {761, 6, false, true, false, 100, 100, 14, 15},
    {800, 6, false, true, false, 100, 100, 14, 15},
}};

}  // namespace

const RadioModel& radioModel(int32_t radioId) {
  for (const RadioModel& model : kModels) {
    if (model.id == radioId) return model;
  }
  return kCommonRadio;
}

}  // namespace keldar
