// Text output into the panel window: the window record keeps the text
// position and font the logic last set; the front-end draws. The panel has
// one window and every print names it, so the print target is always the
// panel window; nothing the panel prints goes to standard output.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

void moveTextPosition(Panel& panel, int x, int y);
// Draws at the text position, which moves on past the text. A text ending in
// LF loses it (and a CR before it); nothing left, nothing drawn.
void printText(Panel& panel, std::string_view text);
void setFont(Panel& panel, const FontSpec& font);

}  // namespace keldar
