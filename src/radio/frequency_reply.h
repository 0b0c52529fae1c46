// Connection, frequency replies and band bookkeeping.
#pragma once

#include <string_view>

#include "core/panel.h"

namespace keldar {

// A frequency answer ("FA014250000;"), nine digits: before the radio is
// connected it starts the set-up; after, it is the panel's frequency.
void handleFrequencyReply(Panel& panel, std::string_view reply);
// Sets the radio up (once at a time); "connected" when it is done.
void connectRadio(Panel& panel);
// An identity answer ("ID0670;"): a device not yet known as a radio has
// answered as one and is set up; otherwise an unknown model is filled in.
void takeIdentity(Panel& panel, std::string_view answer);
// An answer no query waits for: the radio's own report of its frequency is
// taken like a poll's answer; an identity fills in an unknown model.
void takeRadioNews(Panel& panel, const RadioAnswer& answer);
// The panel has just commanded a frequency ("FA014250000", "FB145000000";
// a ";" may follow) or knows a VFO's frequency without a poll: its VFO text
// takes it, and when it is the VFO the panel works (B during split) the
// frequency and its display too, at once rather than at the next poll.
void followCommandedFrequency(Panel& panel, std::string_view command);
void bandForFrequency(Panel& panel);
// The mode digit of the current band's record, unless the relay's program
// set the mode; storeBandMode writes it whoever set it.
void rememberBandMode(Panel& panel);
void storeBandMode(PanelState& state);

}  // namespace keldar
