// What the keys and controls need to know about each radio model, in one
// table: menu-number length, C4FM, the speech-processor commands and the
// level ranges that differ between models.
#pragma once

#include <cstdint>

namespace keldar {

struct RadioModel {
  int32_t id;
  int menuDigits;           // digits of an EX menu number
  bool c4fm;                // offers C4FM (key D)
  bool speechProcessorKey;  // F7 switches the processor at all
  bool shortProcessorCmds;  // "PR1"/"PR0" instead of "PR01"/"PR00"
  // A level stepped above its test value becomes its top value with "max".
  int32_t processorTest, processorMax;
  int32_t noiseReductionTest, noiseReductionMax;
};

// The model of radioId; unknown radios (and 0, not yet identified) get the
// common values.
const RadioModel& radioModel(int32_t radioId);

}  // namespace keldar
