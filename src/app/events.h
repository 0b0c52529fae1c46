// Delivering one front-end event to the panel: the event globals are set,
// the event is traced, and handleEvent runs.
#pragma once

#include <cstdint>

#include "app/panel.h"

namespace keldar {

void handleEvent(Panel& panel);
void deliverEvent(Panel& panel, int32_t message, int32_t wparam);

class PanelEventSink : public EventSink {
 public:
  explicit PanelEventSink(Panel& panel) : panel_(panel) {}
  void onEvent(int32_t message, int32_t wparam) override { deliverEvent(panel_, message, wparam); }

 private:
  Panel& panel_;
};

}  // namespace keldar
