// The differences between the radio models the panel knows, in one table,
// keyed by the number the radio answers to "ID": frequency digits, menu-number
// length, C4FM, the speech-processor commands, level ranges and the menu rows
// of the repeater shifts. Code that needs a model difference asks
// radioModel(radioId) instead of testing identifiers.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

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
};

// The row of a radio; any number not in the table (0 included: not yet
// identified) gets the generic row: nine digits, three-digit menus, no
// menu writes.
const RadioModel& radioModel(int32_t radioId);

// The radios that take and give eight-digit frequencies.
// FM narrow (5) and FM wide (7): the modes that take tones and a squelch.
inline bool isFmMode(int32_t mode) {
  return mode == 5 || mode == 7;
}

inline bool isEightDigitRadio(int32_t radioId) {
  return radioModel(radioId).eightDigitFrequency;
}

}  // namespace keldar
