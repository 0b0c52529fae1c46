#include "platform/window_sdl.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include <vector>

#include "platform/font_lookup.h"
#include "platform/front_end_choice.h"
#include "platform/panel_scale.h"
#include "platform/readable_waker.h"
#include "platform/tick_schedule.h"

namespace keldar {

namespace {

// The window's font before the panel chooses one: small enough that the
// longest help line fits the window.
constexpr int kInitialPointSize = 10;
constexpr int kInitialWeight = 400;
constexpr int kDpi = 96;

using FontKey = std::tuple<std::string, int, int, int>;

struct DrawnText {
  SDL_Rect box;
  TTF_Font* font;
  bool inverse;
  std::string text;
};

// Enough for every field of the panel several times over.
constexpr std::size_t kMaxIntactTexts = 256;

struct PendingEvent {
  int32_t message;
  int32_t wparam;
};

// The sum of the characters' advances: where the next print starts. A glyph
// that reaches past its advance (a "W") is clipped rather than widening the
// box, so a row of blanks covers exactly what the same number of characters
// drew.
int advanceWidth(TTF_Font* font, const std::string& latin1) {
  int width = 0;
  for (unsigned char c : latin1) {
    int advance = 0;
    if (TTF_GlyphMetrics32(font, c, nullptr, nullptr, nullptr, nullptr, &advance) == 0) {
      width += advance;
    }
  }
  return width;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b) {
  if (a.w <= 0 || a.h <= 0) return b;
  SDL_Rect both;
  SDL_UnionRect(&a, &b, &both);
  return both;
}

}  // namespace

struct SdlWindow::Impl {
  SDL_Window* window = nullptr;
  SDL_Surface* backing = nullptr;
  bool videoStarted = false;
  bool ttfStarted = false;
  int textX = 0;
  int textY = 0;
  // The layout's size (what openWindow was asked for) and the factor the
  // window's present size shows it at.
  int layoutWidth = 0;
  int layoutHeight = 0;
  double scale = 1.0;
  FontSpec currentFont;
  PlacedTexts placed;
  std::map<FontKey, TTF_Font*> fonts;
  SDL_Rect dirty{0, 0, 0, 0};
  // Texts still whole on the backing surface. The panel redraws its fields
  // after every poll answer, mostly with what they already show; such a
  // print changes no pixel and is skipped.
  std::vector<DrawnText> intact;

  TickSchedule tick;

  // Descriptors watched while the window is open: the network server's,
  // the radio's and the relay's ports.
  std::function<std::vector<int>()> watchList;
  uint32_t wakeEvent = 0;
  std::unique_ptr<SdlReadableWaker> waker;

  void startWaker();
  void release();
  TTF_Font* fontFor(const FontSpec& wanted, int pointSize);
  bool makeBacking(int width, int height);
  void resize(int width, int height);
  void render(const PlacedText& text);
  void present(bool whole);
  void draw(const SDL_Rect& box, TTF_Font* font, bool inverse, const std::string& latin1);
  bool stillShown(const SDL_Rect& box, TTF_Font* font, bool inverse,
                  const std::string& latin1) const;
  void translate(const SDL_Event& event, std::vector<PendingEvent>& out);
  void waitForSomething(std::vector<PendingEvent>& out);
};

void SdlWindow::Impl::startWaker() {
  if (!watchList || window == nullptr || waker) return;
  wakeEvent = SDL_RegisterEvents(1);
  if (wakeEvent != static_cast<uint32_t>(-1)) waker = std::make_unique<SdlReadableWaker>(wakeEvent);
}

void SdlWindow::Impl::release() {
  waker.reset();
  for (auto& entry : fonts) {
    if (entry.second != nullptr) TTF_CloseFont(entry.second);
  }
  fonts.clear();
  currentFont = FontSpec{};
  intact.clear();
  placed.clear();
  scale = 1.0;
  if (ttfStarted) TTF_Quit();
  ttfStarted = false;
  if (backing != nullptr) SDL_FreeSurface(backing);
  backing = nullptr;
  if (window != nullptr) SDL_DestroyWindow(window);
  window = nullptr;
  if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted = false;
  tick.stop();
  dirty = SDL_Rect{0, 0, 0, 0};
}

// Fonts are opened once per face, size, weight and style: the panel selects
// its two fonts several times on every frequency reply. A font that cannot
// be opened is reported once and not tried again.
// The inverse style is a colour, not a font: both share one.
TTF_Font* SdlWindow::Impl::fontFor(const FontSpec& wanted, int size) {
  const FontKey key{wanted.face, size, wanted.weight, wanted.style & ~kInverseStyle};
  const auto known = fonts.find(key);
  if (known != fonts.end()) return known->second;
  const std::string file = findFontFile(wanted.face, wanted.weight);
  TTF_Font* opened =
      file.empty() ? nullptr : TTF_OpenFontIndexDPI(file.c_str(), size, 0, kDpi, kDpi);
  if (opened == nullptr) {
    std::fprintf(stderr, "keldar: cannot open a font for \"%s\" (%s)\n", wanted.face.c_str(),
                 file.empty() ? "no font file found" : TTF_GetError());
    fonts.emplace(key, nullptr);
    return nullptr;
  }
  int style = TTF_STYLE_NORMAL;
  if ((wanted.style & 0x1) != 0) style |= TTF_STYLE_ITALIC;
  if ((wanted.style & 0x10) != 0) style |= TTF_STYLE_UNDERLINE;
  if ((wanted.style & 0x20) != 0) style |= TTF_STYLE_STRIKETHROUGH;
  TTF_SetFontStyle(opened, style);
  TTF_SetFontKerning(opened, 0);  // widths are the plain sum of advances
  fonts.emplace(key, opened);
  return opened;
}

// Copies what was drawn since the last copy (or everything, after an expose)
// from the backing surface to the window.
void SdlWindow::Impl::present(bool whole) {
  if (window == nullptr) return;
  if (!whole && (dirty.w <= 0 || dirty.h <= 0)) return;
  SDL_Surface* screen = SDL_GetWindowSurface(window);
  if (screen == nullptr) return;
  SDL_Rect area = whole ? SDL_Rect{0, 0, backing->w, backing->h} : dirty;
  SDL_Rect bounds{0, 0, screen->w, screen->h};
  SDL_Rect shown;
  if (SDL_IntersectRect(&area, &bounds, &shown) == SDL_TRUE) {
    SDL_Rect target = shown;
    SDL_BlitSurface(backing, &shown, screen, &target);
    SDL_UpdateWindowSurfaceRects(window, &shown, 1);
  }
  dirty = SDL_Rect{0, 0, 0, 0};
}

// The backing surface at the window's size, white.
bool SdlWindow::Impl::makeBacking(int width, int height) {
  SDL_Surface* made = SDL_CreateRGBSurfaceWithFormat(0, std::max(width, 1), std::max(height, 1), 32,
                                                     SDL_PIXELFORMAT_RGB888);
  if (made == nullptr) return false;
  if (backing != nullptr) SDL_FreeSurface(backing);
  backing = made;
  SDL_FillRect(backing, nullptr, SDL_MapRGB(backing->format, 255, 255, 255));
  return true;
}

// A new window size: every text still shown is drawn again at the new scale.
void SdlWindow::Impl::resize(int width, int height) {
  if (backing != nullptr && backing->w == width && backing->h == height) return;
  if (!makeBacking(width, height)) return;
  scale = layoutScale(layoutWidth, layoutHeight, width, height);
  intact.clear();
  for (const PlacedText& text : placed.all()) render(text);
  present(true);
}

// Draws a placed text at the window's scale, with its font at that scale.
void SdlWindow::Impl::render(const PlacedText& text) {
  const int size = text.font.pointSize > 0 ? text.font.pointSize : kInitialPointSize;
  TTF_Font* font = fontFor(text.font, scaledPointSize(size, scale));
  if (font == nullptr) return;
  const int width = advanceWidth(font, text.text);
  if (width <= 0) return;
  const SDL_Rect box{scaledLength(text.x, scale), scaledLength(text.y, scale), width,
                     TTF_FontHeight(font)};
  const bool inverse = (text.font.style & kInverseStyle) != 0;
  if (!stillShown(box, font, inverse, text.text)) draw(box, font, inverse, text.text);
}

bool SdlWindow::Impl::stillShown(const SDL_Rect& box, TTF_Font* font, bool inverse,
                                 const std::string& latin1) const {
  for (const DrawnText& drawn : intact) {
    if (drawn.box.x == box.x && drawn.box.y == box.y && drawn.font == font &&
        drawn.inverse == inverse && drawn.text == latin1) {
      return true;
    }
  }
  return false;
}

// An opaque box of the text's width and the font's full height in white,
// then the glyphs in black clipped to it: printing blanks erases what was
// there, descenders included. Inverse text is white on black.
void SdlWindow::Impl::draw(const SDL_Rect& box, TTF_Font* font, bool inverse,
                           const std::string& latin1) {
  const Uint8 paper = inverse ? 0 : 255;
  const auto ink = static_cast<Uint8>(255 - paper);
  SDL_FillRect(backing, &box, SDL_MapRGB(backing->format, paper, paper, paper));
  SDL_Surface* glyphs = TTF_RenderText_Blended(font, latin1.c_str(), SDL_Color{ink, ink, ink, 255});
  if (glyphs != nullptr) {
    SDL_Rect source{0, 0, box.w, box.h};
    SDL_Rect target = box;
    SDL_BlitSurface(glyphs, &source, backing, &target);
    SDL_FreeSurface(glyphs);
  }
  dirty = unite(dirty, box);
  std::erase_if(intact, [&box](const DrawnText& drawn) {
    return SDL_HasIntersection(&drawn.box, &box) == SDL_TRUE;
  });
  if (intact.size() >= kMaxIntactTexts) intact.clear();
  intact.push_back({box, font, inverse, latin1});
}

void SdlWindow::Impl::translate(const SDL_Event& event, std::vector<PendingEvent>& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const bool numLock = (event.key.keysym.mod & KMOD_NUM) != 0;
      const int32_t vk = virtualKeyForScancode(event.key.keysym.scancode, numLock);
      if (vk != 0) out.push_back({event.type == SDL_KEYDOWN ? kKeyDownEvent : kKeyUpEvent, vk});
      break;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) out.push_back({kCloseRequestEvent, 0});
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) present(true);
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        resize(event.window.data1, event.window.data2);
      }
      break;
    case SDL_QUIT:  // SIGINT or SIGTERM: SDL's own handlers post it
      out.push_back({kCloseRequestEvent, 0});
      break;
    default:
      if (waker && event.type == wakeEvent) out.push_back({kNetworkEvent, 0});
      break;
  }
}

// Blocks until an event for the panel is queued or the next tick falls due;
// events the panel does not see (mouse motion, focus) do not end the wait.
void SdlWindow::Impl::waitForSomething(std::vector<PendingEvent>& out) {
  while (out.empty()) {
    const int64_t timeout = tick.waitMs(steadyMicros());
    if (timeout == 0) return;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(timeout)) == 1) translate(event, out);
  }
}

SdlWindow::SdlWindow() : impl_(std::make_unique<Impl>()) {}

SdlWindow::~SdlWindow() {
  impl_->release();
}

bool SdlWindow::openWindow(const std::string& title, int x, int y, int width, int height) {
  Impl& w = *impl_;
  if (w.window != nullptr) return true;
  // A close request, even from the last window, is the panel's to act on.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Plain shared-memory copies: a GPU renderer would recreate the window
  // (a new window id) and start threads, for a few lines of text.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "keldar: no display for the window: %s\n", SDL_GetError());
    return false;
  }
  w.videoStarted = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* requested = SDL_getenv("SDL_VIDEODRIVER");
  if (!videoDriverShowsWindow(driver != nullptr ? driver : "",
                              requested != nullptr ? requested : "")) {
    std::fprintf(stderr, "keldar: no display for the window (SDL found only its \"%s\" driver)\n",
                 driver != nullptr ? driver : "");
    w.release();
    return false;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "keldar: cannot start the font renderer: %s\n", TTF_GetError());
    w.release();
    return false;
  }
  w.ttfStarted = true;
  w.window =
      SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  w.layoutWidth = width;
  w.layoutHeight = height;
  if (w.window == nullptr || !w.makeBacking(width, height)) {
    std::fprintf(stderr, "keldar: cannot open the window: %s\n", SDL_GetError());
    w.release();
    return false;
  }
  // Smaller than a quarter of the layout, the help lines could not be read.
  SDL_SetWindowMinimumSize(w.window, width / 2, height / 2);
  SDL_StopTextInput();
  w.textX = 0;
  w.textY = 0;
  w.currentFont = FontSpec{"", kInitialPointSize, kInitialWeight, 0};
  w.present(true);
  w.startWaker();
  return true;
}

void SdlWindow::watchReadable(std::function<std::vector<int>()> list) {
  impl_->watchList = std::move(list);
  impl_->startWaker();
}

void SdlWindow::closeWindow() {
  impl_->release();
}

void SdlWindow::moveTextPosition(int x, int y) {
  impl_->textX = x;
  impl_->textY = y;
}

void SdlWindow::printText(std::string_view text) {
  Impl& w = *impl_;
  if (w.window == nullptr || text.empty()) return;
  // Placed in the layout with the font at its own size, so the text
  // position moves on the same at any window size.
  TTF_Font* font = w.fontFor(w.currentFont, w.currentFont.pointSize);
  if (font == nullptr) return;
  PlacedText placed{w.textX, w.textY, 0, TTF_FontHeight(font), w.currentFont, std::string(text)};
  placed.width = advanceWidth(font, placed.text);  // the texts are bytes, not UTF-8
  if (placed.width <= 0) return;
  w.textX += placed.width;
  w.render(placed);
  w.placed.add(std::move(placed));
}

void SdlWindow::setFont(const FontSpec& font) {
  Impl& w = *impl_;
  if (w.window == nullptr) return;
  FontSpec chosen = font;
  if (chosen.pointSize <= 0) chosen.pointSize = kInitialPointSize;
  if (w.fontFor(chosen, chosen.pointSize) != nullptr) w.currentFont = chosen;
}

void SdlWindow::flushDrawing() {
  impl_->present(false);
}

void SdlWindow::startTimer(int periodMs, int id) {
  if (impl_->window != nullptr) impl_->tick.start(periodMs, id, steadyMicros());
}

void SdlWindow::stopTimer(int id) {
  impl_->tick.stop(id);
}

void SdlWindow::waitForEvents(EventSink& sink, bool noWait) {
  Impl& w = *impl_;
  if (w.window == nullptr) {
    // Nothing can ever arrive: end the loop rather than hang in it.
    sink.onEvent(kCloseRequestEvent, 0);
    return;
  }
  w.present(false);
  if (w.waker) w.waker->rearm(w.watchList());
  std::vector<PendingEvent> batch;
  if (!noWait) w.waitForSomething(batch);
  SDL_Event event;
  while (SDL_PollEvent(&event) == 1) w.translate(event, batch);
  // As on Windows, the tick comes after the input that is already queued.
  if (w.tick.due(steadyMicros())) batch.push_back({kTimerEvent, w.tick.id()});
  for (const PendingEvent& pending : batch) {
    sink.onEvent(pending.message, pending.wparam);
    if (w.window == nullptr) return;  // the handler closed the window
  }
  w.present(false);
}

bool SdlWindow::saveImage(const std::string& path) const {
  if (impl_->backing == nullptr) return false;
  return SDL_SaveBMP(impl_->backing, path.c_str()) == 0;
}

bool SdlWindow::saveShownImage(const std::string& path) const {
  if (impl_->window == nullptr) return false;
  SDL_Surface* shown = SDL_GetWindowSurface(impl_->window);
  return shown != nullptr && SDL_SaveBMP(shown, path.c_str()) == 0;
}

}  // namespace keldar
