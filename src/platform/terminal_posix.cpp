#include "platform/terminal_posix.h"

namespace keldar {

// Placeholder until its issue lands.
bool TerminalPanel::openWindow(const std::string&, int, int, int, int) {
  return true;
}
void TerminalPanel::closeWindow() {}
void TerminalPanel::moveTextPosition(int, int) {}
void TerminalPanel::printText(std::string_view) {}
void TerminalPanel::setFont(const FontSpec&) {}
void TerminalPanel::startTimer(int, int) {}
void TerminalPanel::stopTimer(int) {}
void TerminalPanel::waitForEvents(EventSink& sink, bool) {
  sink.onEvent(kCloseRequestEvent, 0);
}

}  // namespace keldar
