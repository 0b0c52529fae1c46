#include "app/events.h"

#include <string>

#include "app/keys.h"
#include "app/tick.h"
#include "cat/exchange.h"
#include "cat/work.h"
#include "radio/radio_line.h"
#include "share/network_share.h"
#include "share/relay.h"
#include "speech/player.h"

namespace keldar {

namespace {

// Reads of the radio's line in one pass, at most.
constexpr int kAnswerRounds = 8;

void traceEvent(Panel& panel, int32_t message, int32_t wparam) {
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
}

// Runs handleEvent with the event in currentMessage and currentWParam.
void handleAs(Panel& panel, int32_t message, int32_t wparam) {
  PanelState& s = panel.state;
  const int32_t savedMessage = s.currentMessage;
  const int32_t savedWParam = s.currentWParam;
  s.currentMessage = message;
  s.currentWParam = wparam;
  handleEvent(panel);
  s.currentMessage = savedMessage;
  s.currentWParam = savedWParam;
}

}  // namespace

void handleEvent(Panel& panel) {
  PanelState& s = panel.state;
  switch (s.currentMessage) {
    case kCloseRequestEvent:
      handleCloseRequest(panel);
      break;
    case kTimerEvent:
      handleTimerTick(panel);
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
  traceEvent(panel, message, wparam);
  if (message == kKeyDownEvent || message == kKeyUpEvent) {
    // Keys act in the order typed, each once the work before it has had
    // its answers; the rest (ticks, closing) acts at once.
    panel.steps.append([&panel, message, wparam] {
      // When a key's own work begins: its KEY line says when it was typed.
      if (message == kKeyDownEvent) panel.traceLine("ACT", std::to_string(wparam));
      handleAs(panel, message, wparam);
    });
  } else {
    handleAs(panel, message, wparam);
  }
  servicePanel(panel);
}

void servicePanel(Panel& panel) {
  serviceRelay(panel);
  // The radio's answers, then the work that waited for them; an answer that
  // is already there for what that work asked is taken in the same pass.
  for (int round = 0; round < kAnswerRounds; ++round) {
    const bool answered = serviceRadioLine(panel);
    runWork(panel);
    if (!answered) break;
  }
  serviceNetwork(panel);
  runWork(panel);
  serviceSpeech(panel);
  // What is said is also what is shown.
  panel.screen.flushDrawing();
}

}  // namespace keldar
