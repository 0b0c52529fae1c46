#include "platform/window_win32.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <tuple>
#include <vector>

#include "base/key_codes.h"
#include "platform/panel_scale.h"

namespace keldar {

namespace {

constexpr char kClassName[] = "KeldarPanelWindow";
constexpr int kIconResource = 101;
// Posted by the console's break handler.
constexpr UINT kConsoleCloseMessage = WM_APP + 1;
// The window's font before the panel chooses one: small enough that the
// longest help line fits the window.
constexpr int kInitialPointSize = 10;
constexpr int kInitialWeight = 400;
// The layout is in pixels at 96 dpi; the manifest declares the program
// per-monitor DPI aware, so on a finer screen the window itself grows and
// everything in it scales with it (not stretched as a bitmap by Windows).
constexpr int kLayoutDpi = 96;
constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, Windows 8.1 and later

// The console's break handler runs on a thread of its own and is given no
// context, so the one open window is found here. Only the window sets it.
std::atomic<HWND> consoleTarget{nullptr};
std::atomic<bool> consoleBreakPending{false};

BOOL WINAPI onConsoleBreak(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT && kind != CTRL_CLOSE_EVENT &&
      kind != CTRL_LOGOFF_EVENT && kind != CTRL_SHUTDOWN_EVENT) {
    return FALSE;
  }
  consoleBreakPending = true;
  const HWND window = consoleTarget.load();
  if (window != nullptr) PostMessageA(window, kConsoleCloseMessage, 0, 0);
  // For a closing console Windows ends the program as soon as this returns:
  // hold it so that shutdown can release the transmitter and save the
  // channels; the program ends (and with it this wait) when shutdown is done.
  if (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT) {
    Sleep(4500);
  }
  return TRUE;
}

using FontKey = std::tuple<std::string, int, int, int>;

struct PendingEvent {
  int32_t message;
  int32_t wparam;
};

int CALLBACK noteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool faceInstalled(const std::string& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, face.size());
  bool found = false;
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, noteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

struct Win32Window::Impl {
  HWND window = nullptr;
  HDC memory = nullptr;  // the backing bitmap is selected into it
  HBITMAP backing = nullptr;
  HGDIOBJ firstBitmap = nullptr;
  HGDIOBJ firstFont = nullptr;
  int textX = 0;
  int textY = 0;
  // The layout's size (the client area openWindow was asked for) and the
  // factor the window's present client area shows it at.
  int layoutWidth = 0;
  int layoutHeight = 0;
  double scale = 1.0;
  FontSpec currentFont;
  PlacedTexts placed;
  std::map<FontKey, HFONT> fonts;
  std::vector<PendingEvent> pending;
  bool fineTimer = false;
  Win32Wait wait;

  void release();
  HFONT fontFor(const FontSpec& wanted, int points);
  void render(const PlacedText& text);
  void resize(int width, int height);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void paint();
  void pump();
  void waitForSomething();
  void takeConsoleBreak();
};

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* impl = reinterpret_cast<Win32Window::Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (impl == nullptr || impl->window != window) {
    return DefWindowProcA(window, message, wparam, lparam);
  }
  return impl->handle(message, wparam, lparam);
}

bool registerClass(HINSTANCE instance) {
  WNDCLASSEXA known{};
  known.cbSize = sizeof known;
  if (GetClassInfoExA(instance, kClassName, &known) != 0) return true;
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS | CS_BYTEALIGNCLIENT;
  c.lpfnWndProc = windowProcedure;
  c.hInstance = instance;
  c.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  if (c.hIcon == nullptr) c.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  c.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));                      // IDC_ARROW
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = kClassName;
  return RegisterClassExA(&c) != 0;
}

}  // namespace

void Win32Window::Impl::release() {
  if (window != nullptr) {
    consoleTarget = nullptr;
    const HWND closing = window;
    window = nullptr;  // no more events for the record
    DestroyWindow(closing);
  }
  if (memory != nullptr) {
    SelectObject(memory, firstFont);
    SelectObject(memory, firstBitmap);
    DeleteDC(memory);
    memory = nullptr;
  }
  for (auto& entry : fonts) DeleteObject(entry.second);
  fonts.clear();
  if (backing != nullptr) DeleteObject(backing);
  backing = nullptr;
  if (fineTimer) timeEndPeriod(1);
  fineTimer = false;
  wait.stopTimers();
  pending.clear();
  placed.clear();
  scale = 1.0;
}

// Fonts are made once per face, size, weight and style: the panel selects
// its two fonts several times on every frequency reply. The inverse style is
// a colour, not a font.
HFONT Win32Window::Impl::fontFor(const FontSpec& wanted, int points) {
  const FontKey key{wanted.face, points, wanted.weight, wanted.style & ~kInverseStyle};
  const auto known = fonts.find(key);
  if (known != fonts.end()) return known->second;
  const std::string face = faceFor(wanted.face);
  const int height = -MulDiv(points, kLayoutDpi, 72);
  const DWORD pitch = wanted.face == face ? DEFAULT_PITCH | FF_DONTCARE : FIXED_PITCH | FF_MODERN;
  const HFONT made =
      CreateFontA(height, 0, 0, 0, wanted.weight, (wanted.style & 0x1) != 0,
                  (wanted.style & 0x10) != 0, (wanted.style & 0x20) != 0,
                  static_cast<DWORD>((wanted.style >> 16) & 0xff), OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, pitch, face.empty() ? nullptr : face.c_str());
  if (made != nullptr) fonts.emplace(key, made);
  return made;
}

// Draws a placed text at the window's scale, with its font at that scale:
// black on an opaque white box (white on black when inverse), so printing
// blanks erases what was there.
void Win32Window::Impl::render(const PlacedText& text) {
  const HFONT font = fontFor(text.font, scaledPointSize(text.font.pointSize, scale));
  if (font == nullptr) return;
  SelectObject(memory, font);
  const bool inverse = (text.font.style & kInverseStyle) != 0;
  SetBkColor(memory, inverse ? RGB(0, 0, 0) : RGB(255, 255, 255));
  SetTextColor(memory, inverse ? RGB(255, 255, 255) : RGB(0, 0, 0));
  const int length = static_cast<int>(text.text.size());
  SIZE size{};
  GetTextExtentPoint32A(memory, text.text.data(), length, &size);
  const int x = scaledLength(text.x, scale);
  const int y = scaledLength(text.y, scale);
  TextOutA(memory, x, y, text.text.data(), length);
  const RECT drawn{x, y, x + size.cx, y + size.cy};
  InvalidateRect(window, &drawn, FALSE);
}

// A new client size: every text still shown is drawn again at the new scale.
void Win32Window::Impl::resize(int width, int height) {
  if (memory == nullptr || width <= 0 || height <= 0) return;
  const double wanted = layoutScale(layoutWidth, layoutHeight, width, height);
  if (wanted == scale) return;
  scale = wanted;
  BITMAP size{};
  GetObjectA(backing, sizeof size, &size);
  PatBlt(memory, 0, 0, size.bmWidth, size.bmHeight, WHITENESS);
  for (const PlacedText& text : placed.all()) render(text);
  InvalidateRect(window, nullptr, FALSE);
}

void Win32Window::Impl::paint() {
  PAINTSTRUCT ps{};
  const HDC screen = BeginPaint(window, &ps);
  const RECT& r = ps.rcPaint;
  BitBlt(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top, SRCCOPY);
  EndPaint(window, &ps);
}

LRESULT Win32Window::Impl::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the backing bitmap covers everything
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case kDpiChangedMessage: {
      // Moved to a screen of another resolution: the size Windows suggests
      // keeps the window as large to the eye (and WM_SIZE rescales).
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
    case kConsoleCloseMessage:
      // The panel decides when the window closes.
      pending.push_back({kCloseRequestEvent, 0});
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 stays the close box's key.
      if (wparam == vk::kF4 && (lparam & (1L << 29)) != 0) break;
      [[fallthrough]];
    case WM_KEYDOWN:
      // Shift alone (and the other modifiers) is no key: a capital letter is
      // one key.
      if (!isModifierKey(static_cast<int32_t>(wparam))) {
        pending.push_back({kKeyDownEvent, static_cast<int32_t>(wparam)});
      }
      return 0;  // F10 and Alt do not open the system menu
    case WM_SYSKEYUP:
    case WM_KEYUP:
      if (!isModifierKey(static_cast<int32_t>(wparam))) {
        pending.push_back({kKeyUpEvent, static_cast<int32_t>(wparam)});
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void Win32Window::Impl::pump() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
    if (message.message == WM_QUIT) {
      pending.push_back({kCloseRequestEvent, 0});
      continue;
    }
    // Not translated: the panel takes no characters, and an Alt+letter
    // character would only make the system beep.
    DispatchMessageA(&message);
  }
  takeConsoleBreak();
}

void Win32Window::Impl::takeConsoleBreak() {
  // Also covers a break that came before the window was there to post to.
  if (consoleBreakPending.exchange(false)) pending.push_back({kCloseRequestEvent, 0});
}

// Blocks until an event for the panel is queued, the next tick falls due,
// or watched input can be read (a kNetworkEvent).
void Win32Window::Impl::waitForSomething() {
  const bool readable =
      wait.until([this] { return !pending.empty() || window == nullptr; }, [this] { pump(); });
  if (readable) pending.push_back({kNetworkEvent, 0});
}

Win32Window::Win32Window() : impl_(std::make_unique<Impl>()) {}

Win32Window::~Win32Window() {
  impl_->release();
}

std::string Win32Window::faceFor(const std::string& wanted) {
  if (faceInstalled(wanted)) return wanted;
  // Liberation Mono and DejaVu Sans Mono are what the SDL window finds on
  // Linux (and what Wine finds there), so both windows look alike.
  for (const char* mono :
       {"Consolas", "Liberation Mono", "DejaVu Sans Mono", "Lucida Console", "Courier New"}) {
    if (faceInstalled(mono)) return mono;
  }
  return {};  // any fixed-pitch face GDI has
}

void Win32Window::takeConsoleBreaks() {
  SetConsoleCtrlHandler(onConsoleBreak, TRUE);
}

bool Win32Window::openWindow(const std::string& title, int x, int y, int width, int height) {
  Impl& w = *impl_;
  if (w.window != nullptr) return true;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registerClass(instance)) return false;
  const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_MAXIMIZEBOX | WS_THICKFRAME | WS_VISIBLE;
  // The client area is the layout's size, as in the SDL window; the frame
  // and caption come on top of it.
  const HDC desktop = GetDC(nullptr);
  const int dpi = desktop != nullptr ? GetDeviceCaps(desktop, LOGPIXELSY) : kLayoutDpi;
  if (desktop != nullptr) ReleaseDC(nullptr, desktop);
  RECT frame{0, 0, MulDiv(width, dpi, kLayoutDpi), MulDiv(height, dpi, kLayoutDpi)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  w.layoutWidth = width;
  w.layoutHeight = height;
  w.scale = 1.0;
  // The record is known before creation, so the first messages find it.
  const HWND window =
      CreateWindowExA(0, kClassName, title.c_str(), style, x, y, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, instance, &w);
  if (window == nullptr) return false;
  const HDC screen = GetDC(window);
  w.memory = CreateCompatibleDC(screen);
  w.backing = CreateCompatibleBitmap(screen, std::max(GetSystemMetrics(SM_CXSCREEN), width),
                                     std::max(GetSystemMetrics(SM_CYSCREEN), height));
  ReleaseDC(window, screen);
  if (w.memory == nullptr || w.backing == nullptr) {
    DestroyWindow(window);
    w.release();
    return false;
  }
  w.firstBitmap = SelectObject(w.memory, w.backing);
  w.firstFont = GetCurrentObject(w.memory, OBJ_FONT);
  BITMAP size{};
  GetObjectA(w.backing, sizeof size, &size);
  PatBlt(w.memory, 0, 0, size.bmWidth, size.bmHeight, WHITENESS);
  // Black on an opaque white box: printing blanks erases what was there.
  SetBkMode(w.memory, OPAQUE);
  SetBkColor(w.memory, RGB(255, 255, 255));
  SetTextColor(w.memory, RGB(0, 0, 0));
  SetTextAlign(w.memory, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  w.window = window;
  w.currentFont = FontSpec{"", kInitialPointSize, kInitialWeight, 0};
  w.textX = 0;
  w.textY = 0;
  // The 50 ms points are met to the millisecond, not the default 15.6 ms.
  w.fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
  consoleTarget = window;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  return true;
}

void Win32Window::closeWindow() {
  impl_->release();
}

void Win32Window::moveTextPosition(int x, int y) {
  impl_->textX = x;
  impl_->textY = y;
}

void Win32Window::printText(std::string_view text) {
  Impl& w = *impl_;
  if (w.window == nullptr) return;
  // A line end is not drawn; the panel places every line itself.
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.empty()) return;
  // Placed in the layout with the font at its own size, so the text
  // position moves on the same at any window size.
  const HFONT font = w.fontFor(w.currentFont, w.currentFont.pointSize);
  if (font == nullptr) return;
  SelectObject(w.memory, font);
  const int length = static_cast<int>(text.size());
  SIZE size{};
  if (GetTextExtentPoint32A(w.memory, text.data(), length, &size) == 0 || size.cx <= 0) return;
  PlacedText placed{w.textX, w.textY, size.cx, size.cy, w.currentFont, std::string(text)};
  w.textX += size.cx;
  w.render(placed);
  w.placed.add(std::move(placed));
}

void Win32Window::setFont(const FontSpec& font) {
  Impl& w = *impl_;
  if (w.window == nullptr) return;
  FontSpec chosen = font;
  if (chosen.pointSize <= 0) chosen.pointSize = kInitialPointSize;
  if (w.fontFor(chosen, chosen.pointSize) != nullptr) w.currentFont = chosen;
}

void Win32Window::startTimer(int periodMs, int id) {
  if (impl_->window != nullptr) impl_->wait.startTimer(periodMs, id);
}

void Win32Window::stopTimer(int id) {
  impl_->wait.stopTimer(id);
}

void Win32Window::watchReadable(Win32Wait::Handles handles, Win32Wait::Looker look) {
  impl_->wait.watch(std::move(handles), std::move(look));
}

void Win32Window::flushDrawing() {
  // Paints what was drawn since the last paint, now.
  if (impl_->window != nullptr) UpdateWindow(impl_->window);
}

void Win32Window::waitForEvents(EventSink& sink, bool noWait) {
  Impl& w = *impl_;
  if (w.window == nullptr) {
    // Nothing can ever arrive: end the loop rather than hang in it.
    sink.onEvent(kCloseRequestEvent, 0);
    return;
  }
  flushDrawing();
  w.pump();
  if (!noWait) w.waitForSomething();
  // As with the system's timer, the tick comes after the input already queued.
  if (w.wait.tickDue()) w.pending.push_back({kTimerEvent, w.wait.timerId()});
  std::vector<PendingEvent> batch;
  batch.swap(w.pending);
  for (const PendingEvent& event : batch) {
    sink.onEvent(event.message, event.wparam);
    if (w.window == nullptr) return;  // the handler closed the window
  }
  flushDrawing();
}

long Win32Window::pixelAt(int x, int y) const {
  if (impl_->memory == nullptr) return -1;
  const COLORREF colour = GetPixel(impl_->memory, x, y);
  if (colour == CLR_INVALID) return -1;
  return static_cast<long>(GetRValue(colour)) << 16 | static_cast<long>(GetGValue(colour)) << 8 |
         GetBValue(colour);
}

}  // namespace keldar
