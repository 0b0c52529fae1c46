// SDL scancodes to Windows virtual-key codes. By scancode, so a key means the
// same on every keyboard layout and with or without Shift.
#include <SDL.h>

#include "platform/window_sdl.h"

namespace keldar {

namespace {

struct KeyRow {
  SDL_Scancode scancode;
  int32_t vk;
};

constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_0, 48},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
};

// KP_1..KP_9, KP_0, KP_PERIOD without NumLock: End, Down, Page Down, Left,
// Clear, Right, Home, Up, Page Up, Insert, Delete.
constexpr int32_t kKeypadNavigation[] = {35, 40, 34, 37, 12, 39, 36, 38, 33, 45, 46};

int32_t keypadKey(int scancode, bool numLock) {
  const int index = scancode - SDL_SCANCODE_KP_1;  // KP_1..KP_9, KP_0, KP_PERIOD
  if (!numLock) return kKeypadNavigation[index];
  if (scancode == SDL_SCANCODE_KP_PERIOD) return 110;
  if (scancode == SDL_SCANCODE_KP_0) return 96;
  return 97 + index;
}

}  // namespace

int32_t virtualKeyForScancode(int scancode, bool numLock) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return 65 + (scancode - SDL_SCANCODE_A);
  }
  // SDL numbers the digit row 1..9, 0.
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return 49 + (scancode - SDL_SCANCODE_1);
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return 112 + (scancode - SDL_SCANCODE_F1);
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
