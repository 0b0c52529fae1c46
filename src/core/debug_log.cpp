#include "core/debug_log.h"

#include "base/files.h"
#include "base/key_codes.h"
#include "base/text.h"

namespace keldar {

void writeDebugLine(Panel& panel, std::string_view text) {
  PanelState& s = panel.state;
  if (s.debugLog != 1) return;
  s.debugLine = text;
  writeLine(s.debugFile, s.debugLine);
}

std::string keyLineText(int32_t keyCode) {
  if (keyCode == vk::kEnter) return "*C/R";
  if (keyCode == vk::kPoint || keyCode == vk::kPadPoint) return "*.";
  if (keyCode >= vk::kPadZero && keyCode <= vk::kPadNine) {
    return "*" + charText(keyCode) + " (" + charText(keyCode - vk::kPadZero + '0') + ")";
  }
  return "*" + charText(keyCode);
}

void writeKeyLine(Panel& panel) {
  writeDebugLine(panel, keyLineText(panel.state.keyCode));
}

}  // namespace keldar
