// The SDL window on SDL's dummy video driver: what reaches the backing
// surface (read back through the saved image), fonts, keys and events.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/window.h"
#include "display/display.h"
#include "platform/font_lookup.h"
#include "platform/front_end_choice.h"
#include "platform/terminal_keys.h"
#include "platform/window_sdl.h"
#include "radio/apply_mode.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::TempDir;

const std::string kTitle = windowTitle();

struct Recorder : EventSink {
  void onEvent(int32_t message, int32_t wparam) override { events.push_back({message, wparam}); }
  std::vector<std::pair<int32_t, int32_t>> events;
};

// The window's pixels, as the test hook saved them.
class Pixels {
 public:
  explicit Pixels(const std::string& path) : surface_(SDL_LoadBMP(path.c_str())) {}
  ~Pixels() { SDL_FreeSurface(surface_); }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;
  bool loaded() const { return surface_ != nullptr; }
  int width() const { return surface_->w; }
  int height() const { return surface_->h; }
  int differingPixels(const Pixels& other) const {
    int count = 0;
    for (int y = 0; y < height(); ++y) {
      for (int x = 0; x < width(); ++x) count += at(x, y) != other.at(x, y) ? 1 : 0;
    }
    return count;
  }
  int darkPixels(int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) count += at(x, y) != 0xFFFFFF ? 1 : 0;
    }
    return count;
  }

 private:
  uint32_t at(int x, int y) const {
    Uint8 r = 0, g = 0, b = 0;
    const auto* row = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch;
    Uint32 value = 0;
    SDL_memcpy(&value, row + x * surface_->format->BytesPerPixel, surface_->format->BytesPerPixel);
    SDL_GetRGB(value, surface_->format, &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
  }
  SDL_Surface* surface_;
};

class Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }
  // A panel drawing into a real SDL window, the rest on fakes.
  struct WindowPanel {
    WindowPanel() : panel(serial, sound, window, clock, files) {
      opened = window.openWindow(kTitle, 250, 100, 950, 500);
    }
    testing::FakeSerialPorts serial;
    testing::FakeSound sound;
    SdlWindow window;
    testing::FakeClock clock;
    testing::FakeFileSystem files;
    Panel panel;
    bool opened = false;
  };
  std::string image(SdlWindow& window, const std::string& name) {
    const std::string path = dir.path() + "/" + name + ".bmp";
    EXPECT_TRUE(window.saveImage(path));
    return path;
  }
  TempDir dir;
};

TEST_F(Window, OpensWhiteAtItsSize) {
  WindowPanel p;
  ASSERT_TRUE(p.opened);
  const Pixels blank(image(p.window, "blank"));
  ASSERT_TRUE(blank.loaded());
  EXPECT_EQ(blank.width(), 950);
  EXPECT_EQ(blank.height(), 500);
  EXPECT_EQ(blank.darkPixels(0, 0, 950, 500), 0);
}

TEST_F(Window, ShorterModeNameLeavesNoPixelOfTheLonger) {
  WindowPanel changed;
  WindowPanel reference;
  ASSERT_TRUE(changed.opened && reference.opened);
  changed.panel.state.modeIndex = 5;
  drawFrequencyPanel(changed.panel);
  const Pixels fm(image(changed.window, "fm"));
  EXPECT_GT(fm.darkPixels(50, 45, 400, 125), 500);
  changed.panel.state.modeIndex = 4;
  drawFrequencyPanel(changed.panel);
  reference.panel.state.modeIndex = 4;
  drawFrequencyPanel(reference.panel);
  const Pixels am(image(changed.window, "am"));
  const Pixels amOnly(image(reference.window, "am-only"));
  EXPECT_EQ(am.differingPixels(amOnly), 0);
  EXPECT_GT(am.darkPixels(50, 45, 400, 125), 500);
}

TEST_F(Window, BlanksEraseWholeCellsDescendersAndPlusSigns) {
  WindowPanel p;
  ASSERT_TRUE(p.opened);
  setFont(p.panel, largeFont());
  moveTextPosition(p.panel, 750, 45);
  printText(p.panel, "S9");
  printText(p.panel, "+");
  moveTextPosition(p.panel, 750, 45);
  printText(p.panel, "S8  ");
  moveTextPosition(p.panel, 50, 300);
  setFont(p.panel, statusFont());
  printText(p.panel, "gjpqy|WW");
  moveTextPosition(p.panel, 50, 300);
  printText(p.panel, "        ");

  WindowPanel q;
  ASSERT_TRUE(q.opened);
  setFont(q.panel, largeFont());
  moveTextPosition(q.panel, 750, 45);
  printText(q.panel, "S8  ");
  const Pixels erased(image(p.window, "erased"));
  const Pixels clean(image(q.window, "clean"));
  EXPECT_EQ(erased.differingPixels(clean), 0);
  EXPECT_GT(clean.darkPixels(750, 45, 950, 125), 100);
}

TEST_F(Window, ATextRedrawnAfterSomethingCoveredItIsDrawnAgain) {
  WindowPanel p;
  WindowPanel reference;
  ASSERT_TRUE(p.opened && reference.opened);
  auto print = [](Panel& panel, int x, const char* text) {
    moveTextPosition(panel, x, 300);
    printText(panel, text);
  };
  print(p.panel, 100, "ABCD");
  print(p.panel, 100, "ABCD");  // unchanged: may be skipped
  print(p.panel, 100, "    ");
  print(p.panel, 100, "ABCD");  // erased in between: must be drawn again
  print(p.panel, 300, "EFGH");
  print(p.panel, 310, "  ");  // another field's blanks reaching into it
  print(p.panel, 300, "EFGH");
  print(reference.panel, 100, "ABCD");
  print(reference.panel, 300, "EFGH");
  const Pixels redrawn(image(p.window, "redrawn"));
  const Pixels clean(image(reference.window, "reference"));
  EXPECT_EQ(redrawn.differingPixels(clean), 0);
  EXPECT_GT(clean.darkPixels(100, 300, 250, 320), 50);
}

TEST_F(Window, PrintsContinueWhereTheLastEndedAndLineEndsDrawNothing) {
  WindowPanel joined;
  WindowPanel whole;
  ASSERT_TRUE(joined.opened && whole.opened);
  moveTextPosition(joined.panel, 280, 10);
  printText(joined.panel, "ABC");
  printText(joined.panel, "\r\n");
  printText(joined.panel, "DEF\n");
  moveTextPosition(whole.panel, 280, 10);
  printText(whole.panel, "ABCDEF");
  const Pixels a(image(joined.window, "joined"));
  const Pixels b(image(whole.window, "whole"));
  EXPECT_EQ(a.differingPixels(b), 0);
  EXPECT_GT(a.darkPixels(280, 10, 400, 30), 50);
}

TEST_F(Window, HelpLinesFitTheWindowAndAreTwentyPixelsHigh) {
  WindowPanel p;
  ASSERT_TRUE(p.opened);
  drawHelpLines(p.panel);
  const Pixels help(image(p.window, "help"));
  // The longest line (the third) ends inside the window, not past its edge.
  const int third = kHelpLinesTop + 2 * kHelpLineStep;
  EXPECT_GT(help.darkPixels(880, third, 945, third + kHelpLineStep), 10);
  EXPECT_EQ(help.darkPixels(945, kHelpLinesTop, 950, 500), 0);
  // From the top of "b" to the foot of "g" in the first line.
  const auto inked = [&help](int y) { return help.darkPixels(kHelpLinesX, y, 945, y + 1) > 0; };
  int top = kHelpLinesTop;
  while (top < kHelpLinesTop + kHelpLineStep && !inked(top)) ++top;
  int bottom = kHelpLinesTop + kHelpLineStep - 1;
  while (bottom > top && !inked(bottom)) --bottom;
  EXPECT_GE(bottom - top + 1, 18) << "ascender to descender";
  EXPECT_EQ(helpFont().pointSize * 96 / 72, 20) << "a 20-pixel em at 96 dpi";
}

// A print reaches the window itself when the drawing is flushed (as before a
// phrase), not only after the next batch of events.
TEST_F(Window, FlushingShowsWhatWasDrawnAtOnce) {
  SdlWindow window;
  ASSERT_TRUE(window.openWindow(kTitle, 250, 100, 950, 500));
  window.moveTextPosition(50, 45);
  window.printText("USB    ");
  const std::string before = dir.path() + "/before.bmp";
  ASSERT_TRUE(window.saveShownImage(before));
  EXPECT_EQ(Pixels(before).darkPixels(0, 0, 950, 500), 0);
  window.flushDrawing();
  const std::string after = dir.path() + "/after.bmp";
  ASSERT_TRUE(window.saveShownImage(after));
  const Pixels shown(after);
  EXPECT_GT(shown.darkPixels(50, 45, 200, 100), 0);
  EXPECT_EQ(shown.differingPixels(Pixels(image(window, "backing"))), 0);
}

TEST(VideoDriver, OffscreenAndDummyCountOnlyWhenChosen) {
  EXPECT_TRUE(videoDriverShowsWindow("x11", ""));
  EXPECT_TRUE(videoDriverShowsWindow("wayland", "offscreen"));
  EXPECT_FALSE(videoDriverShowsWindow("offscreen", ""));
  EXPECT_FALSE(videoDriverShowsWindow("dummy", "x11"));
  EXPECT_FALSE(videoDriverShowsWindow("", ""));
  EXPECT_TRUE(videoDriverShowsWindow("offscreen", "OffScreen"));
  EXPECT_TRUE(videoDriverShowsWindow("dummy", "x11,dummy"));
  EXPECT_FALSE(videoDriverShowsWindow("dummy", "dummyx,"));
}

TEST_F(Window, NothingIsDrawnOrWaitedForWithoutAWindow) {
  SdlWindow window;
  window.moveTextPosition(10, 10);
  window.printText("ABC");
  window.setFont(largeFont());
  window.startTimer(50, 1);
  EXPECT_FALSE(window.saveImage(dir.path() + "/none.bmp"));
  Recorder sink;
  window.waitForEvents(sink, false);  // must not hang
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kCloseRequestEvent, 0}}));
}

TEST_F(Window, CloseRequestLeavesTheWindowOpen) {
  SdlWindow window;
  ASSERT_TRUE(window.openWindow(kTitle, 250, 100, 950, 500));
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // what SIGINT and SIGTERM become
  SDL_PushEvent(&quit);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&close);
  Recorder sink;
  window.waitForEvents(sink, true);
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kCloseRequestEvent, 0},
                                                                   {kCloseRequestEvent, 0}}));
  EXPECT_TRUE(window.saveImage(dir.path() + "/still-open.bmp"));
  window.closeWindow();
  EXPECT_FALSE(window.saveImage(dir.path() + "/closed.bmp"));
  window.closeWindow();  // twice is harmless
}

TEST_F(Window, KeysArriveAsVirtualKeyCodes) {
  SdlWindow window;
  ASSERT_TRUE(window.openWindow(kTitle, 250, 100, 950, 500));
  auto key = [](Uint32 type, SDL_Scancode code, Uint16 mod) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  };
  key(SDL_KEYDOWN, SDL_SCANCODE_J, KMOD_NONE);
  key(SDL_KEYUP, SDL_SCANCODE_J, KMOD_NONE);
  key(SDL_KEYDOWN, SDL_SCANCODE_KP_5, KMOD_NUM);
  key(SDL_KEYDOWN, SDL_SCANCODE_KP_5, KMOD_NONE);
  key(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_NONE);  // never seen by the panel
  Recorder sink;
  window.waitForEvents(sink, true);
  EXPECT_EQ(
      sink.events,
      (std::vector<std::pair<int32_t, int32_t>>{
          {kKeyDownEvent, 74}, {kKeyUpEvent, 74}, {kKeyDownEvent, 101}, {kKeyDownEvent, 12}}));
}

TEST_F(Window, TicksMissedWhileBusyMergeIntoOne) {
  SdlWindow window;
  ASSERT_TRUE(window.openWindow(kTitle, 250, 100, 950, 500));
  window.startTimer(50, 1);
  Recorder sink;
  window.waitForEvents(sink, false);  // blocks until the first tick
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kTimerEvent, 1}}));
  SDL_Delay(230);  // a handler busy for several periods
  sink.events.clear();
  window.waitForEvents(sink, true);
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kTimerEvent, 1}}));
  window.stopTimer(1);
  sink.events.clear();
  SDL_Delay(60);
  window.waitForEvents(sink, true);
  EXPECT_TRUE(sink.events.empty());
}

TEST(KeyMap, WindowsCodesByPhysicalKey) {
  struct Row {
    SDL_Scancode code;
    int32_t withNumLock;
    int32_t withoutNumLock;
  };
  const Row rows[] = {
      {SDL_SCANCODE_A, 65, 65},
      {SDL_SCANCODE_1, 49, 49},
      {SDL_SCANCODE_9, 57, 57},
      {SDL_SCANCODE_0, 48, 48},
      {SDL_SCANCODE_KP_1, 97, 35},
      {SDL_SCANCODE_KP_5, 101, 12},
      {SDL_SCANCODE_KP_9, 105, 33},
      {SDL_SCANCODE_KP_0, 96, 45},
      {SDL_SCANCODE_KP_PERIOD, 110, 46},
      {SDL_SCANCODE_EQUALS, 187, 187},
      {SDL_SCANCODE_MINUS, 189, 189},
      {SDL_SCANCODE_PERIOD, 190, 190},
      {SDL_SCANCODE_RETURN, 13, 13},
      {SDL_SCANCODE_KP_ENTER, 13, 13},
      {SDL_SCANCODE_SPACE, 32, 32},
      {SDL_SCANCODE_PAGEUP, 33, 33},
      {SDL_SCANCODE_PAGEDOWN, 34, 34},
      {SDL_SCANCODE_UP, 38, 38},
      {SDL_SCANCODE_DOWN, 40, 40},
      {SDL_SCANCODE_INSERT, 45, 45},
      {SDL_SCANCODE_F1, 112, 112},
      {SDL_SCANCODE_F12, 123, 123},
      // Modifiers alone are no keys.
      {SDL_SCANCODE_LSHIFT, 0, 0},
      {SDL_SCANCODE_RSHIFT, 0, 0},
      {SDL_SCANCODE_LCTRL, 0, 0},
      {SDL_SCANCODE_LGUI, 0, 0},
      {SDL_SCANCODE_RALT, 0, 0},
      {SDL_SCANCODE_CAPSLOCK, 0, 0},
      {SDL_SCANCODE_LALT, 0, 0},
      {SDL_SCANCODE_UNKNOWN, 0, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(virtualKeyForScancode(row.code, true), row.withNumLock) << row.code;
    EXPECT_EQ(virtualKeyForScancode(row.code, false), row.withoutNumLock) << row.code;
  }
}

// The keys the panel acts on reach it under one code from either front end.
TEST(KeyMap, TheWindowAndTheTerminalGiveTheSameCodes) {
  struct Row {
    SDL_Scancode code;
    const char* bytes;
  };
  const Row rows[] = {
      {SDL_SCANCODE_RETURN, "\r"},
      {SDL_SCANCODE_SPACE, " "},
      {SDL_SCANCODE_PERIOD, "."},
      {SDL_SCANCODE_EQUALS, "="},
      {SDL_SCANCODE_MINUS, "-"},
      {SDL_SCANCODE_Q, "q"},
      {SDL_SCANCODE_7, "7"},
      {SDL_SCANCODE_UP, "\x1b[A"},
      {SDL_SCANCODE_DOWN, "\x1b[B"},
      {SDL_SCANCODE_RIGHT, "\x1b[C"},
      {SDL_SCANCODE_LEFT, "\x1b[D"},
      {SDL_SCANCODE_PAGEUP, "\x1b[5~"},
      {SDL_SCANCODE_PAGEDOWN, "\x1b[6~"},
      {SDL_SCANCODE_INSERT, "\x1b[2~"},
      {SDL_SCANCODE_F1, "\x1bOP"},
      {SDL_SCANCODE_F4, "\x1bOS"},
      {SDL_SCANCODE_F5, "\x1b[15~"},
      {SDL_SCANCODE_F9, "\x1b[20~"},
      {SDL_SCANCODE_F11, "\x1b[23~"},
      {SDL_SCANCODE_F12, "\x1b[24~"},
  };
  for (const Row& row : rows) {
    KeyDecoder decoder;
    std::vector<int32_t> keys;
    decoder.feed(row.bytes, keys);
    const int32_t windowCode = virtualKeyForScancode(row.code, true);
    EXPECT_NE(windowCode, 0) << row.code;
    EXPECT_EQ(keys, std::vector<int32_t>{windowCode}) << row.code;
  }
}

TEST(FontLookup, MissingFaceFallsBackToMonospacedAndWeightPicksTheFile) {
  const std::string bold = findFontFile("Ariel", 700);
  const std::string thin = findFontFile("Ariel", 20);
  EXPECT_NE(bold.find("Mono"), std::string::npos) << bold;
  EXPECT_NE(bold.find("Bold"), std::string::npos) << bold;
  EXPECT_NE(thin.find("Mono"), std::string::npos) << thin;
  EXPECT_EQ(thin.find("Bold"), std::string::npos) << thin;
  // An installed face is used as it is.
  EXPECT_NE(findFontFile("DejaVu Sans", 400).find("DejaVuSans.ttf"), std::string::npos);
  EXPECT_NE(findFontFile("Liberation Sans", 700).find("LiberationSans-Bold"), std::string::npos);
}

}  // namespace
}  // namespace keldar
