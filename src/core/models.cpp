#include "core/models.h"

namespace keldar {

namespace {

using F = ShiftForm;
using S = ShiftSource;

constexpr RadioModel kGeneric{};

constexpr int64_t kLowestHz = 30000;

// HF and 6 m (and 4 m on the newer radios): one receive range from 30 kHz.
constexpr RadioModel coveringUpTo(RadioModel m, int64_t highHz) {
  m.ranges[0] = {kLowestHz, highHz};
  m.rangeCount = 1;
  return m;
}

constexpr RadioModel splitBy(RadioModel m, SplitDialect dialect) {
  m.split = dialect;
  return m;
}

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
  // HF to 6 m, the air band and 2 m, 70 cm.
  m.ranges = {{{kLowestHz, 56000000}, {118000000, 164000000}, {420000000, 470000000}}};
  m.rangeCount = 3;
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

constexpr RadioModel model583() {
  RadioModel m;
  m.id = 583;
  m.eightDigitFrequency = true;
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

constexpr std::array<RadioModel, 12> kModels{
    withC4fmMenus(670),
    withC4fmMenus(570),
    // FT-710: transmit VFO by "FT1"/"FT0"; "FT3" is refused.
    splitBy(coveringUpTo(withSixDigitMenus(800, "EX0103180", "EX0103190"), 75000000),
            SplitDialect::kFt1Ft0),
    coveringUpTo(withSixDigitMenus(761, "EX0103170", "EX0103180"), 75000000),
    // FTDX-101D and MP: split by its own switch; "FT3" is ignored.
    splitBy(coveringUpTo(withSixDigitMenus(681, "EX0103150", "EX0103160"), 75000000),
            SplitDialect::kSt1St0),
    splitBy(coveringUpTo(withSixDigitMenus(682, "EX0103150", "EX0103160"), 75000000),
            SplitDialect::kSt1St0),
    coveringUpTo(model362(), 60000000),
    coveringUpTo(model462(), 60000000),
    coveringUpTo(model241(), 56000000),
    coveringUpTo(model650(), 56000000),
    coveringUpTo(model251(), 60000000),
    coveringUpTo(model583(), 56000000),
};

// The lowest frequency of bands 1..13: a radio has the band when it can be
// tuned there.
constexpr std::array<int64_t, 13> kBandStartHz{1800000,  3500000,   5330500,  7000000,  10100000,
                                               14000000, 18068000,  21000000, 24890000, 28000000,
                                               50000000, 144000000, 430000000};

}  // namespace

const RadioModel& radioModel(int32_t radioId) {
  for (const RadioModel& m : kModels) {
    if (m.id == radioId) return m;
  }
  return kGeneric;
}

std::string_view splitCommand(int32_t radioId, bool on) {
  switch (radioModel(radioId).split) {
    case SplitDialect::kFt1Ft0:
      return on ? "FT1" : "FT0";
    case SplitDialect::kSt1St0:
      return on ? "ST1" : "ST0";
    case SplitDialect::kFt3Ft2:
      break;
  }
  return on ? "FT3" : "FT2";
}

bool frequencyAllowed(int32_t radioId, int64_t hertz) {
  const RadioModel& m = radioModel(radioId);
  if (m.rangeCount == 0) return hertz >= 0;
  for (int i = 0; i < m.rangeCount; ++i) {
    const HertzRange& r = m.ranges[static_cast<std::size_t>(i)];
    if (hertz >= r.low && hertz <= r.high) return true;
  }
  return false;
}

bool bandFitted(int32_t radioId, int32_t band) {
  if (band < 1 || band > 13) return band == 14;
  return frequencyAllowed(radioId, kBandStartHz[static_cast<std::size_t>(band - 1)]);
}

std::optional<int32_t> radioIdFromReply(std::string_view reply) {
  const std::size_t p = reply.find("ID");
  if (p == std::string_view::npos) return std::nullopt;
  const std::string_view rest = reply.substr(p + 2);
  const std::size_t end = rest.find(';');
  if (end != 3 && end != 4) return std::nullopt;
  int32_t id = 0;
  for (const char c : rest.substr(0, end)) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + (c - '0');
  }
  return id;
}

}  // namespace keldar
