// Delivering one front-end event to the panel: the event is traced, the
// event globals are set and handleEvent runs, then the loop's services.
#pragma once

#include <cstdint>

#include "core/panel.h"

namespace keldar {

void handleEvent(Panel& panel);
// Traces the event, acts on it (a key joins the panel's work in order) and
// then services the panel.
void deliverEvent(Panel& panel, int32_t message, int32_t wparam);
// One pass of everything the loop serves at every wake: the radio's
// answers, the relay, the panel's waiting work, network clients, speech and
// the screen. Never waits.
void servicePanel(Panel& panel);

class PanelEventSink : public EventSink {
 public:
  explicit PanelEventSink(Panel& panel) : panel_(panel) {}
  void onEvent(int32_t message, int32_t wparam) override { deliverEvent(panel_, message, wparam); }

 private:
  Panel& panel_;
};

}  // namespace keldar
