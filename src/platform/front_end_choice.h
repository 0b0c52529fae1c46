// The window when one can be opened and is wanted, otherwise the terminal
// panel: the choice is made when the panel opens its window, so a window
// that fails to open falls back to the terminal.
#pragma once

#include <cctype>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/platform.h"

namespace keldar {

// Whether a window on the video driver SDL settled on is one somebody can
// see. Without a display SDL falls back to "offscreen" (or, when asked,
// "dummy"): that counts as no display, so the terminal panel starts, unless
// the user named the driver in SDL_VIDEODRIVER (requested, a comma-separated
// list as SDL reads it).
inline bool videoDriverShowsWindow(std::string_view driver, std::string_view requested) {
  const auto same = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(a[i])) !=
          std::tolower(static_cast<unsigned char>(b[i]))) {
        return false;
      }
    }
    return true;
  };
  if (!same(driver, "offscreen") && !same(driver, "dummy")) return !driver.empty();
  while (!requested.empty()) {
    const auto comma = requested.find(',');
    if (same(requested.substr(0, comma), driver)) return true;
    if (comma == std::string_view::npos) break;
    requested.remove_prefix(comma + 1);
  }
  return false;
}

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
  void flushDrawing() override { active_->flushDrawing(); }
  void startTimer(int periodMs, int id) override { active_->startTimer(periodMs, id); }
  void stopTimer(int id) override { active_->stopTimer(id); }
  void waitForEvents(EventSink& sink, bool noWait) override {
    active_->waitForEvents(sink, noWait);
    if (active_ == &window_ && closePending_ && closePending_()) {
      sink.onEvent(kCloseRequestEvent, 0);
    }
  }

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
