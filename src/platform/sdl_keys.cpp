// SDL scancodes to Windows virtual-key codes. By scancode, so a key means the
// same on every keyboard layout and with or without Shift.
#include <SDL.h>

#include "base/key_codes.h"
#include "platform/window_sdl.h"

namespace keldar {

namespace {

struct KeyRow {
  SDL_Scancode scancode;
  int32_t vk;
};

constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_0, vk::key('0')},
    {SDL_SCANCODE_RETURN, vk::kEnter},
    {SDL_SCANCODE_ESCAPE, vk::kEscape},
    {SDL_SCANCODE_BACKSPACE, vk::kBackspace},
    {SDL_SCANCODE_TAB, vk::kTab},
    {SDL_SCANCODE_SPACE, vk::kSpace},
    {SDL_SCANCODE_MINUS, vk::kMinus},
    {SDL_SCANCODE_EQUALS, vk::kPlus},
    {SDL_SCANCODE_LEFTBRACKET, vk::kLeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, vk::kRightBracket},
    {SDL_SCANCODE_BACKSLASH, vk::kBackslash},
    {SDL_SCANCODE_SEMICOLON, vk::kSemicolon},
    {SDL_SCANCODE_APOSTROPHE, vk::kApostrophe},
    {SDL_SCANCODE_GRAVE, vk::kGrave},
    {SDL_SCANCODE_COMMA, vk::kComma},
    {SDL_SCANCODE_PERIOD, vk::kPoint},
    {SDL_SCANCODE_SLASH, vk::kSlash},
    {SDL_SCANCODE_NONUSBACKSLASH, vk::kExtraBackslash},
    {SDL_SCANCODE_CAPSLOCK, vk::kCapsLock},
    {SDL_SCANCODE_PRINTSCREEN, vk::kPrintScreen},
    {SDL_SCANCODE_SCROLLLOCK, vk::kScrollLock},
    {SDL_SCANCODE_PAUSE, vk::kPause},
    {SDL_SCANCODE_INSERT, vk::kInsert},
    {SDL_SCANCODE_HOME, vk::kHome},
    {SDL_SCANCODE_PAGEUP, vk::kPageUp},
    {SDL_SCANCODE_DELETE, vk::kDelete},
    {SDL_SCANCODE_END, vk::kEnd},
    {SDL_SCANCODE_PAGEDOWN, vk::kPageDown},
    {SDL_SCANCODE_RIGHT, vk::kRight},
    {SDL_SCANCODE_LEFT, vk::kLeft},
    {SDL_SCANCODE_DOWN, vk::kDown},
    {SDL_SCANCODE_UP, vk::kUp},
    {SDL_SCANCODE_NUMLOCKCLEAR, vk::kNumLock},
    {SDL_SCANCODE_KP_DIVIDE, vk::kPadDivide},
    {SDL_SCANCODE_KP_MULTIPLY, vk::kPadMultiply},
    {SDL_SCANCODE_KP_MINUS, vk::kPadMinus},
    {SDL_SCANCODE_KP_PLUS, vk::kPadPlus},
    {SDL_SCANCODE_KP_ENTER, vk::kEnter},
    {SDL_SCANCODE_APPLICATION, vk::kApplication},
    {SDL_SCANCODE_LCTRL, vk::kCtrl},
    {SDL_SCANCODE_RCTRL, vk::kCtrl},
    {SDL_SCANCODE_LSHIFT, vk::kShift},
    {SDL_SCANCODE_RSHIFT, vk::kShift},
    {SDL_SCANCODE_LGUI, vk::kLeftWindows},
    {SDL_SCANCODE_RGUI, vk::kRightWindows},
};

// KP_1..KP_9, KP_0, KP_PERIOD without NumLock: End, Down, Page Down, Left,
// Clear, Right, Home, Up, Page Up, Insert, Delete.
constexpr int32_t kKeypadNavigation[] = {vk::kEnd,    vk::kDown,   vk::kPageDown, vk::kLeft,
                                         vk::kClear,  vk::kRight,  vk::kHome,     vk::kUp,
                                         vk::kPageUp, vk::kInsert, vk::kDelete};

int32_t keypadKey(int scancode, bool numLock) {
  const int index = scancode - SDL_SCANCODE_KP_1;  // KP_1..KP_9, KP_0, KP_PERIOD
  if (!numLock) return kKeypadNavigation[index];
  if (scancode == SDL_SCANCODE_KP_PERIOD) return vk::kPadPoint;
  if (scancode == SDL_SCANCODE_KP_0) return vk::kPadZero;
  return vk::kPadZero + 1 + index;
}

}  // namespace

int32_t virtualKeyForScancode(int scancode, bool numLock) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return vk::key('A') + (scancode - SDL_SCANCODE_A);
  }
  // SDL numbers the digit row 1..9, 0.
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return vk::key('1') + (scancode - SDL_SCANCODE_1);
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return vk::kF1 + (scancode - SDL_SCANCODE_F1);
  }
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_PERIOD) {
    return keypadKey(scancode, numLock);
  }
  for (const KeyRow& row : kKeys) {
    if (row.scancode == scancode) return isModifierKey(row.vk) ? 0 : row.vk;
  }
  return 0;
}

}  // namespace keldar
