#include "app/events.h"

#include <string>

#include "app/keys.h"
#include "app/tick.h"
#include "radio/network_share.h"

namespace keldar {

void handleEvent(Panel& panel) {
  PanelState& s = panel.state;
  switch (s.currentMessage) {
    case kCloseRequestEvent:
      handleCloseRequest(panel);
      break;
    case kTimerEvent:
      handleTimerTick(panel);
      // A setting waiting for the poll's answer may go now.
      serviceNetwork(panel);
      break;
    case kNetworkEvent:
      serviceNetwork(panel);
      break;
    case kKeyDownEvent:
      handleKey(panel);
      break;
    case kKeyUpEvent:
      handleKeyRelease(panel);
      break;
    default:
      break;
  }
}

void deliverEvent(Panel& panel, int32_t message, int32_t wparam) {
  switch (message) {
    case kKeyDownEvent:
      panel.traceLine("KEY", std::to_string(wparam));
      break;
    case kKeyUpEvent:
      panel.traceLine("KEYUP", std::to_string(wparam));
      break;
    case kTimerEvent:
      panel.traceLine("TICK");
      break;
    case kCloseRequestEvent:
      panel.traceLine("CLOSE");
      break;
    default:
      break;
  }
  PanelState& s = panel.state;
  const int32_t savedMessage = s.currentMessage;
  const int32_t savedWParam = s.currentWParam;
  s.currentMessage = message;
  s.currentWParam = wparam;
  handleEvent(panel);
  s.currentMessage = savedMessage;
  s.currentWParam = savedWParam;
}

}  // namespace keldar
