// The panel's work runs as steps, in the order asked for: a key's step
// starts once the steps before it have had their answers, and a step that
// must wait (for an answer, a pause, the end of a sentence) leaves the rest
// of its work as a step to run after it. The loop never waits here.
#pragma once

#include <cstdint>
#include <functional>

#include "core/panel.h"

namespace keldar {

// The short pause a radio needs after some commands before the next.
constexpr uint32_t kSettleMs = 100;

// Runs the front steps for as long as nothing they wait for is outstanding.
void runWork(Panel& panel);
// True while the next step must wait: the work's queries are unanswered, a
// pause has not run out, or a sentence it waits for is still being said.
bool workWaiting(Panel& panel);

// The rest of the running work, after what it is waiting for.
void thenDo(Panel& panel, std::function<void()> step);
// A pause (the radio needs time: a tuner cycle, a receiver coming back), then
// the rest.
void pauseThen(Panel& panel, uint32_t ms, std::function<void()> step);
// The rest once everything said so far has been heard.
void afterSpeech(Panel& panel, std::function<void()> step);

}  // namespace keldar
