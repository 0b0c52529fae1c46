#include "radio/models.h"

namespace keldar {

namespace {

using F = ShiftForm;
using S = ShiftSource;

constexpr RadioModel kGeneric{};

constexpr RadioModel withC4fmMenus(int32_t id) {
  RadioModel m;
  m.id = id;
  m.c4fm = true;
  m.modeCodes = "123456789ABCDE";
  m.shiftWrites = {{{"EX0800", S::k10m, F::kFirst3},
                    {"EX0810", S::k6m, F::kFirst3},
                    {"EX0820", S::k2m, F::kFirst3},
                    {"EX083", S::k70cm, F::kFiveWide}}};
  m.shiftWriteCount = 4;
  return m;
}

// Radios with six-digit menu numbers: 10 m and 6 m shifts in two menu rows.
constexpr RadioModel withSixDigitMenus(int32_t id, std::string_view menu10m,
                                       std::string_view menu6m) {
  RadioModel m;
  m.id = id;
  m.menuDigits = 6;
  m.shiftWrites = {{{menu10m, S::k10m, F::kWhole}, {menu6m, S::k6m, F::kWhole}, {}, {}}};
  m.shiftWriteCount = 2;
  return m;
}

constexpr RadioModel model362() {
  RadioModel m;
  m.id = 362;
  m.eightDigitFrequency = true;
  m.shortProcessorQuery = true;
  m.shortProcessorCmds = true;
  m.processorTest = 249;
  m.processorMax = 250;
  m.shiftWrites = {{{"EX810", S::k10m, F::kWhole}, {"EX820", S::k6m, F::kWhole}, {}, {}}};
  m.shiftWriteCount = 2;
  return m;
}

constexpr RadioModel model462() {
  RadioModel m;
  m.id = 462;
  m.eightDigitFrequency = true;
  m.shortProcessorQuery = true;
  m.shiftWrites = {{{"EX0860", S::k10m, F::kWhole}, {"EX0870", S::k6m, F::kWhole}, {}, {}}};
  m.shiftWriteCount = 2;
  return m;
}

constexpr RadioModel model241() {
  RadioModel m;
  m.id = 241;
  m.eightDigitFrequency = true;
  m.speechProcessorKey = false;
  m.noiseReductionTest = 10;
  m.noiseReductionMax = 11;
  m.shiftWrites = {{{"EX05000", S::k10m, F::kFirst1}, {}, {}, {}}};
  m.shiftWriteCount = 1;
  return m;
}

constexpr RadioModel model650() {
  RadioModel m;
  m.id = 650;
  m.menuDigits = 4;
  return m;
}

constexpr RadioModel model251() {
  RadioModel m;
  m.id = 251;
  m.shortProcessorQuery = true;
  m.shortProcessorCmds = true;
  m.processorTest = 249;
  m.processorMax = 250;
  return m;
}

constexpr std::array<RadioModel, 11> kModels{
    withC4fmMenus(670),
    withC4fmMenus(570),
    withSixDigitMenus(800, "EX0103180", "EX0103190"),
    withSixDigitMenus(761, "EX0103170", "EX0103180"),
    withSixDigitMenus(681, "EX0103150", "EX0103160"),
    withSixDigitMenus(682, "EX0103150", "EX0103160"),
    model362(),
    model462(),
    model241(),
    model650(),
    model251(),
};

}  // namespace

const RadioModel& radioModel(int32_t radioId) {
  for (const RadioModel& m : kModels) {
    if (m.id == radioId) return m;
  }
  return kGeneric;
}

}  // namespace keldar
