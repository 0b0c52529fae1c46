#include "platform/window_sdl.h"

namespace keldar {

// Placeholder until its issue lands.
bool SdlWindow::openWindow(const std::string&, int, int, int, int) {
  return false;
}
void SdlWindow::closeWindow() {}
void SdlWindow::moveTextPosition(int, int) {}
void SdlWindow::printText(std::string_view) {}
void SdlWindow::setFont(const FontSpec&) {}
void SdlWindow::startTimer(int, int) {}
void SdlWindow::stopTimer(int) {}
void SdlWindow::waitForEvents(EventSink& sink, bool) {
  sink.onEvent(kCloseRequestEvent, 0);
}

}  // namespace keldar
