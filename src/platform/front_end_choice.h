// The window when one can be opened and is wanted, otherwise the terminal
// panel: the choice is made when the panel opens its window, so a window
// that fails to open falls back to the terminal.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "runtime/platform.h"

namespace keldar {

class FrontEndChoice : public FrontEnd {
 public:
  // onWindow runs once the window has opened.
  // closePending, when given, is asked after each batch of window events
  // and turns a true answer into a close request.
  FrontEndChoice(FrontEnd& window, FrontEnd& terminal, bool tryWindow,
                 std::function<void()> onWindow = {}, std::function<bool()> closePending = {})
      : window_(window),
        terminal_(terminal),
        tryWindow_(tryWindow),
        onWindow_(std::move(onWindow)),
        closePending_(std::move(closePending)),
        active_(&terminal) {}

  bool openWindow(const std::string& title, int x, int y, int width, int height) override {
    if (tryWindow_ && window_.openWindow(title, x, y, width, height)) {
      active_ = &window_;
      if (onWindow_) onWindow_();
      return true;
    }
    active_ = &terminal_;
    return terminal_.openWindow(title, x, y, width, height);
  }
  void closeWindow() override { active_->closeWindow(); }
  void moveTextPosition(int x, int y) override { active_->moveTextPosition(x, y); }
  void printText(std::string_view text) override { active_->printText(text); }
  void setFont(const FontSpec& font) override { active_->setFont(font); }
  void startTimer(int periodMs, int id) override { active_->startTimer(periodMs, id); }
  void stopTimer(int id) override { active_->stopTimer(id); }
  void waitForEvents(EventSink& sink, bool noWait) override {
    active_->waitForEvents(sink, noWait);
    if (active_ == &window_ && closePending_ && closePending_()) {
      sink.onEvent(kCloseRequestEvent, 0);
    }
  }

  void flushDrawing() override { active_->flushDrawing(); }

  bool usingWindow() const { return active_ == &window_; }

 private:
  FrontEnd& window_;
  FrontEnd& terminal_;
  bool tryWindow_;
  std::function<void()> onWindow_;
  std::function<bool()> closePending_;
  FrontEnd* active_;
};

}  // namespace keldar
