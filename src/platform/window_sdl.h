// The panel window on SDL2 with SDL2_ttf text.
#pragma once

#include "runtime/platform.h"

namespace keldar {

class SdlWindow : public FrontEnd {
 public:
  bool openWindow(const std::string& title, int x, int y, int width, int height) override;
  void closeWindow() override;
  void moveTextPosition(int x, int y) override;
  void printText(std::string_view text) override;
  void setFont(const FontSpec& font) override;
  void startTimer(int periodMs, int id) override;
  void stopTimer(int id) override;
  void waitForEvents(EventSink& sink, bool noWait) override;
};

}  // namespace keldar
