#include "platform/terminal_screen.h"

#include <algorithm>

namespace keldar {

namespace {

struct LayoutEntry {
  int x, y;
  TerminalSlot slot;
};

// The panel's fields, from the window's pixel layout to character cells.
constexpr LayoutEntry kLayout[] = {
    {280, 10, {1, 30, 40, 1}},   // banner
    {50, 45, {3, 3, 12, 1}},     // mode
    {450, 45, {3, 40, 4, 1}},    // transmit marker
    {750, 45, {3, 66, 6, 1}},    // S-meter
    {750, 48, {3, 66, 15, 1}},   // SWR, in place of the S-meter while keyed
    {750, 84, {4, 66, 15, 1}},   // power, below it
    {80, 150, {6, 3, 5, 1}},     // VFO mark
    {285, 150, {6, 12, 26, 1}},  // frequency
    {40, 250, {9, 1, 8, 1}},     // preamp
    {170, 250, {9, 10, 4, 1}},   // attenuator
    {240, 250, {9, 15, 3, 1}},   // noise blanker
    {310, 250, {9, 19, 3, 1}},   // noise reduction
    {360, 250, {9, 23, 6, 1}},   // notch
    {460, 250, {9, 30, 6, 1}},   // contour
    {550, 250, {9, 37, 4, 1}},   // speech processor
    {620, 250, {9, 42, 5, 1}},   // break-in or VOX
    {690, 250, {9, 48, 4, 1}},   // monitor
    {780, 250, {9, 53, 28, 1}},  // tone
    {50, 292, {11, 3, 30, 1}},   // the entry being typed
    {20, 332, {13, 1, 80, 1}},   // help lines
    {20, 356, {14, 1, 80, 1}},  {20, 380, {15, 1, 80, 1}}, {20, 404, {16, 1, 80, 1}},
    {20, 428, {17, 1, 80, 1}},  {20, 452, {18, 1, 80, 1}},
};

// What the terminal shows of a byte: control and non-ASCII bytes would be
// taken as terminal commands or break the layout.
char shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x20 && byte < 0x7F) ? c : '?';
}

// Lines of at most width characters, broken after a blank where possible.
std::vector<std::string> wrap(const std::string& text, std::size_t width, int rows) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (int r = 0; r < rows; ++r) {
    std::size_t length = std::min(width, text.size() - std::min(start, text.size()));
    if (r + 1 < rows && start + length < text.size()) {
      const std::size_t blank = text.rfind(' ', start + length - 1);
      if (blank != std::string::npos && blank > start) {
        length = blank - start + 1;
      }
    }
    lines.push_back(text.substr(std::min(start, text.size()), length));
    start += length;
  }
  return lines;
}

}  // namespace

TerminalSlot TerminalScreen::slotAt(int x, int y) {
  for (const LayoutEntry& e : kLayout) {
    if (e.x == x && e.y == y) return e.slot;
  }
  TerminalSlot slot;
  slot.row = std::clamp(1 + y * kRows / 500, 1, kRows);
  slot.column = std::clamp(1 + x * kColumns / 950, 1, kColumns);
  slot.width = kColumns + 1 - slot.column;
  return slot;
}

TerminalScreen::TerminalScreen() {
  rows_.fill(std::string(kColumns, ' '));
}

void TerminalScreen::moveTo(int x, int y) {
  position_ = {x, y};
  cursor_ = 0;
}

std::vector<int> TerminalScreen::print(std::string_view text) {
  const TerminalSlot slot = slotAt(position_.first, position_.second);
  const std::size_t capacity = static_cast<std::size_t>(slot.width) * slot.rows;
  std::string& content = slots_[position_];
  for (char c : text) {
    if (cursor_ >= capacity) break;
    if (content.size() <= cursor_) content.resize(cursor_ + 1, ' ');
    content[cursor_++] = shown(c);
  }
  return render(slot, content);
}

std::vector<int> TerminalScreen::render(const TerminalSlot& slot, const std::string& text) {
  std::vector<int> changed;
  const auto width = static_cast<std::size_t>(slot.width);
  const std::vector<std::string> lines = wrap(text, width, slot.rows);
  for (int r = 0; r < slot.rows && slot.row + r <= kRows; ++r) {
    std::string cells = lines[static_cast<std::size_t>(r)];
    cells.resize(width, ' ');
    std::string& target = rows_[static_cast<std::size_t>(slot.row + r - 1)];
    target.replace(static_cast<std::size_t>(slot.column - 1), width, cells);
    target.resize(kColumns);
    changed.push_back(slot.row + r);
  }
  return changed;
}

}  // namespace keldar
