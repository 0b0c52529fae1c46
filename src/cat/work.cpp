#include "cat/work.h"

#include <utility>

#include "cat/exchange.h"
#include "speech/player.h"

namespace keldar {

bool workWaiting(Panel& panel) {
  WorkWaits& waits = panel.waits;
  if (queriesOut(panel, Asker::kWork) > 0) return true;
  if (waits.pausing) {
    // Unsigned difference: right across the clock's wrap.
    const uint32_t left = waits.pauseUntilMs - panel.clock.tickMs();
    if (left != 0 && left < 0x80000000u) return true;
    waits.pausing = false;
  }
  if (waits.forSpeech) {
    if (!speechDone(panel)) return true;
    waits.forSpeech = false;
  }
  return false;
}

void runWork(Panel& panel) {
  // Bounded, so a step that keeps leaving steps cannot hold the loop.
  for (int i = 0; i < 1000 && !workWaiting(panel); ++i) {
    if (!panel.steps.runFront()) return;
  }
}

void thenDo(Panel& panel, std::function<void()> step) {
  panel.steps.then(std::move(step));
}

void pauseThen(Panel& panel, uint32_t ms, std::function<void()> step) {
  panel.waits.pausing = true;
  panel.waits.pauseUntilMs = panel.clock.tickMs() + ms;
  thenDo(panel, std::move(step));
}

void afterSpeech(Panel& panel, std::function<void()> step) {
  panel.waits.forSpeech = true;
  thenDo(panel, std::move(step));
}

}  // namespace keldar
