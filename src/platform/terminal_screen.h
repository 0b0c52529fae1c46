// The panel's fields on an 80 x 24 character screen. Each pixel position of
// the panel's layout has a slot of its own (row, column, width, rows); a
// print fills its slot from the left, a print that continues without moving
// goes on after the previous one, and whatever passes the slot's end is cut,
// so blanks erase exactly as they do in the window.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace keldar {

struct TerminalSlot {
  int row = 1;  // 1-based
  int column = 1;
  int width = 80;
  int rows = 1;  // a long help line wraps over more than one row
  bool operator==(const TerminalSlot&) const = default;
};

class TerminalScreen {
 public:
  static constexpr int kRows = 24;
  static constexpr int kColumns = 80;

  // The slot of a pixel position; a position outside the panel's layout
  // gets the character cell nearest to it, to the end of that row.
  static TerminalSlot slotAt(int x, int y);

  TerminalScreen();
  void moveTo(int x, int y);
  // Returns the rows the print changed (1-based).
  std::vector<int> print(std::string_view text);
  // Row r (1-based) as shown, 80 characters.
  const std::string& row(int r) const { return rows_[static_cast<std::size_t>(r - 1)]; }

 private:
  std::vector<int> render(const TerminalSlot& slot, const std::string& text);

  std::array<std::string, kRows> rows_;
  std::map<std::pair<int, int>, std::string> slots_;
  std::pair<int, int> position_{0, 0};
  std::size_t cursor_ = 0;
};

}  // namespace keldar
