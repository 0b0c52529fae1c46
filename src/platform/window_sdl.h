// The panel window on SDL2 with SDL2_ttf text: a persistent backing surface
// every print draws into, keys as Windows virtual-key codes, and the 50 ms
// timer as a deadline loop in the one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"

namespace keldar {

class SdlWindow : public FrontEnd {
 public:
  SdlWindow();
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // False when no display can be opened (the caller then uses the terminal).
  bool openWindow(const std::string& title, int x, int y, int width, int height) override;
  void closeWindow() override;
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override;
  // Copies what was drawn since the last copy to the window.
  void flushDrawing() override;
  void startTimer(int periodMs, int id) override;
  void stopTimer(int id) override;
  void waitForEvents(EventSink& sink, bool noWait) override;

  // While the window is open, input on these descriptors wakes the wait and
  // is delivered as kNetworkEvent (the network server's, the radio's and the
  // relay's ports); the list is asked anew before each wait.
  void watchReadable(std::function<std::vector<int>()> list);

  // Writes the backing surface as a BMP file, so that tests can look at the
  // pixels without a screenshot tool. False without a window or on error.
  bool saveImage(const std::string& path) const;
  // The same for what the window itself shows.
  bool saveShownImage(const std::string& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The Windows virtual-key code of a key, by its SDL scancode (the physical
// key); 0 for a key the panel never sees. The numeric pad gives digits with
// NumLock on and the navigation keys with it off, as Windows does.
int32_t virtualKeyForScancode(int scancode, bool numLock);

}  // namespace keldar
