// The panel window on Win32 with GDI text: a backing bitmap every print
// draws into and that paints the window, keys as the virtual-key codes of
// the messages, and the 50 ms timer as a deadline loop in the one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/platform.h"
#include "platform/window_wait_win32.h"

namespace keldar {

class Win32Window : public FrontEnd {
 public:
  Win32Window();
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  bool openWindow(const std::string& title, int x, int y, int width, int height) override;
  void closeWindow() override;
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override;
  void startTimer(int periodMs, int id) override;
  void stopTimer(int id) override;
  void waitForEvents(EventSink& sink, bool noWait) override;
  void flushDrawing() override;

  // While the window is open, input watched this way also ends the wait and
  // is delivered as kNetworkEvent: the network server's event and a look
  // at the serial ports (see Win32Wait::watch).
  void watchReadable(Win32Wait::Handles handles, Win32Wait::Looker look);

  // The face a font asked for is used when installed, else a monospaced
  // one: the panel erases a field by printing blanks over it.
  static std::string faceFor(const std::string& wanted);
  // The colour of a pixel of the backing bitmap as 0xRRGGBB, -1 outside it
  // or without a window; lets tests look at what was drawn.
  long pixelAt(int x, int y) const;

  // The console's Ctrl-C, Ctrl-Break and closing become close requests of
  // the window instead of ending the program. Call once, early.
  static void takeConsoleBreaks();

  // Named here so that the window procedure can reach it.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace keldar
