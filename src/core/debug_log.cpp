#include "core/debug_log.h"

#include "base/files.h"
#include "base/text.h"

namespace keldar {

void writeDebugLine(Panel& panel, std::string_view text) {
  PanelState& s = panel.state;
  if (s.debugLog != 1) return;
  s.debugLine = text;
  writeLine(s.debugFile, s.debugLine);
}

std::string keyLineText(int32_t keyCode) {
  if (keyCode == 13) return "*C/R";
  if (keyCode == 190 || keyCode == 110) return "*.";
  if (keyCode >= 96 && keyCode <= 105) {
    return "*" + charText(keyCode) + " (" + charText(keyCode - 48) + ")";
  }
  return "*" + charText(keyCode);
}

void writeKeyLine(Panel& panel) {
  writeDebugLine(panel, keyLineText(panel.state.keyCode));
}

}  // namespace keldar
