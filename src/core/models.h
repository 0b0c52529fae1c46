// The differences between the radio models the panel knows, in one table,
// keyed by the number the radio answers to "ID": frequency digits, menu-number
// length, C4FM, the speech-processor commands, level ranges, the menu rows
// of the repeater shifts, the split commands and the frequencies the radio
// can be tuned to. Code that needs a model difference asks
// radioModel(radioId) instead of testing identifiers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/panel_mode.h"

namespace keldar {

// Which configured repeater shift a menu write carries.
enum class ShiftSource { k10m, k6m, k2m, k70cm };

// How the shift text is put after the menu prefix.
enum class ShiftForm {
  kWhole,    // the text as configured
  kFirst1,   // its first character
  kFirst3,   // its first three characters
  kFiveWide  // "0" + four characters when it has four, else "00" + its first three
};

// One menu write of the set-up: the command is prefix + the shift in its form.
struct ShiftMenuWrite {
  std::string_view prefix;
  ShiftSource source = ShiftSource::k10m;
  ShiftForm form = ShiftForm::kWhole;
};

// How split is switched: transmit on VFO B with "FT3" (off "FT2"), with
// "FT1"/"FT0", or by the split switch itself, "ST1"/"ST0".
enum class SplitDialect { kFt3Ft2, kFt1Ft0, kSt1St0 };

// Frequencies the radio can be tuned to, in Hz, both ends included.
struct HertzRange {
  int64_t low = 0;
  int64_t high = 0;
};

struct RadioModel {
  int32_t id = 0;
  // FA/FB carry eight frequency digits instead of nine.
  bool eightDigitFrequency = false;
  // Digits of a menu number typed for an "EX" command.
  int menuDigits = 3;
  // Offers C4FM (the D key).
  bool c4fm = false;
  // The codes its "MD0x" takes: LSB to AM-N on every model, C4FM on some.
  std::string_view modeCodes = "123456789ABCD";
  // Has a speech processor at all (F7, the set-up's "PR" query).
  bool speechProcessorKey = true;
  // The processor is switched with "PR1"/"PR0" (and the simulator answers
  // "PR"), instead of "PR01"/"PR00" (and "PR0").
  bool shortProcessorCmds = false;
  // The set-up asks "PR" and reads the digit right after it, instead of
  // asking "PR0" and reading the digit after "PR0".
  bool shortProcessorQuery = false;
  // A level stepped above its test value becomes its top value, with "max".
  int32_t processorTest = 100, processorMax = 100;
  int32_t noiseReductionTest = 14, noiseReductionMax = 15;
  // Menu writes of the configured repeater shifts, sent in this order.
  std::array<ShiftMenuWrite, 4> shiftWrites{};
  int shiftWriteCount = 0;
  SplitDialect split = SplitDialect::kFt3Ft2;
  // Tuning coverage; no rows means any frequency the digits can carry.
  std::array<HertzRange, 3> ranges{};
  int rangeCount = 0;
};

// The row of a radio; any number not in the table (0 included: not yet
// identified) gets the generic row: nine digits, three-digit menus, no
// menu writes.
const RadioModel& radioModel(int32_t radioId);

// The command that switches split on or off in the radio's own dialect.
std::string_view splitCommand(int32_t radioId, bool on);

// Whether the radio can be tuned to `hertz` at all.
bool frequencyAllowed(int32_t radioId, int64_t hertz);

// Whether the radio has band 1..13 (160 m .. 70 cm); general coverage (14)
// every radio has.
bool bandFitted(int32_t radioId, int32_t band);

// The number of an "ID" answer: four digits as the radios send it, or three
// (leading zero dropped) as some simulated radios do. Nothing otherwise.
std::optional<int32_t> radioIdFromReply(std::string_view reply);

// The radios that take and give eight-digit frequencies.
inline bool isEightDigitRadio(int32_t radioId) {
  return radioModel(radioId).eightDigitFrequency;
}

}  // namespace keldar
