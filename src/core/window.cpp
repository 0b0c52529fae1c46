#include "core/window.h"

namespace keldar {

void moveTextPosition(Panel& panel, int x, int y) {
  panel.state.panelWindow.textX = x;
  panel.state.panelWindow.textY = y;
  panel.screen.moveTextPosition(x, y);
}

void printText(Panel& panel, std::string_view text) {
  if (!text.empty() && text.back() == '\n') {
    text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  }
  if (text.empty()) return;
  panel.screen.printText(text);
}

void setFont(Panel& panel, const FontSpec& font) {
  panel.state.panelWindow.font = font;
  panel.screen.setFont(font);
}

}  // namespace keldar
