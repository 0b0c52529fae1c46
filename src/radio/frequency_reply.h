// Connection, frequency replies and band bookkeeping.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void handleFrequencyReply(Panel& panel);
// An answer no query waits for: the radio's own report of its frequency is
// taken like a poll's answer; an identity fills in an unknown model.
void takeRadioNews(Panel& panel, const RadioAnswer& answer);
// The panel has just commanded a frequency ("FA014250000", "FB145000000";
// a ";" may follow) or knows a VFO's frequency without a poll: its VFO text
// takes it, and when it is the VFO the panel works (B during split) the
// frequency and its display too, at once rather than at the next poll.
void followCommandedFrequency(Panel& panel, std::string_view command);
void bandForFrequency(Panel& panel);
void rememberBandMode(Panel& panel);

}  // namespace keldar
