// The panel's named modes against the tables indexed by them: a mode out of
// place would be shown, sent and read back as another.
#include <gtest/gtest.h>

#include <string>

#include "core/radio_modes.h"
#include "display/display.h"

namespace keldar {
namespace {

std::string trimmed(std::string_view text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

TEST(PanelModes, EachNamedModeIsShownSentAndReadBackAsItself) {
  struct Row {
    int32_t mode;
    const char* shown;
    const char* command;
    char code;
  };
  const Row rows[] = {{kLsb, "LSB", "MD01", '1'},      {kUsb, "USB", "MD02", '2'},
                      {kCw, "CW", "MD03", '3'},        {kAm, "AM", "MD05", '5'},
                      {kFmNarrow, "FMN", "MD0B", 'B'}, {kC4fm, "C4FM", "MD0E", 'E'},
                      {kFmWide, "FM", "MD04", '4'}};
  PanelState s;
  for (const Row& row : rows) {
    s.modeIndex = row.mode;
    EXPECT_EQ(trimmed(modeFieldText(s)), row.shown) << row.mode;
    const BasicString* command = modeCommandOf(s, row.mode);
    ASSERT_NE(command, nullptr) << row.mode;
    EXPECT_EQ(command->str(), row.command);
    EXPECT_EQ(plainModeCode(row.mode), row.code);
    const RadioModeRow* radio = radioModeByCode(row.code);
    ASSERT_NE(radio, nullptr) << row.code;
    EXPECT_EQ(radio->panelMode, row.mode);
  }
}

TEST(PanelModes, TheModeCommandIsTheConfiguredOne) {
  PanelState s;
  s.modeCommandC4fm = "MD0F";
  EXPECT_EQ(modeCommandOf(s, kC4fm)->str(), "MD0F");
  EXPECT_EQ(modeCommandOf(s, kFmNarrow)->str(), "MD0B");
}

TEST(PanelModes, DigitsBeyondTheSevenAreNoMode) {
  PanelState s;
  for (int32_t digit : {-1, 0, 8, 9}) {
    EXPECT_FALSE(isPanelMode(digit)) << digit;
    EXPECT_EQ(modeCommandOf(s, digit), nullptr) << digit;
    EXPECT_EQ(plainModeCode(digit), 0) << digit;
  }
}

}  // namespace
}  // namespace keldar
