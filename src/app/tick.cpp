#include "app/tick.h"

#include <algorithm>
#include <string>

#include "app/link_watch.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "core/radio_modes.h"
#include "display/display.h"
#include "radio/frequency_reply.h"
#include "radio/setup.h"
#include "share/network_reads.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int32_t kTickCountWrap = 20;
constexpr int32_t kMaxPollCount = 1000;
constexpr int32_t kGivenUpAfter = 3;
constexpr uint32_t kRetryGivenUpMs = 10000;
constexpr uint32_t kModePollMs = 1000;

void takeSMeterReading(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(answer, "SM", 3, 3);
  if (!reading) return;
  s.sMeterReading = *reading;
  s.sMeterAnswered = true;
  refreshSMeterSilently(panel);
}

void takeSwrReading(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(answer, "RM6", 3, 3);
  if (!reading) return;
  const std::string r = zeroPadded(*reading, 3);
  if (s.txState > 0 && s.swrHoldOff == 0) {
    // The highest reading of a transmission is held.
    if (*reading > textToNumber(s.swrText)) s.swrText = r;
  } else {
    s.swrText = r;
  }
  if (s.swrOnTx > 0 || s.txState == 0) speakSwr(panel);
  if (s.swrHoldOff > 0) s.swrHoldOff -= 1;
}

void takeAlcReading(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  if (s.alcAnnounce < 1) return;
  const std::optional<int32_t> reading = replyNumber(answer, "RM4", 3, 3);
  if (!reading) return;
  s.alcPeak = std::max(s.alcPeak, *reading);
  if (s.tickCount > 10) speakAlc(panel);
}

enum class Poll { kIdentity, kFrequency, kMeter, kMode };

// The radio's mode as it reports it: a change made at the radio (its knob,
// the relay's program) is shown, kept in the band record and spoken once.
void takeModeReading(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  if (answer.size() < 5 || !answer.starts_with("MD0")) return;
  const RadioModeRow* held = currentRadioMode(s);
  const RadioModeRow* reported = radioModeByCode(answer[3]);
  if (reported == nullptr || (held != nullptr && held->code == reported->code)) return;
  holdRadioMode(s, *reported);
  writeDebugLine(panel, "*** mode at the radio: " + std::string(reported->hamlibName));
  storeBandMode(s);
  drawModeField(panel);
  speakMode(panel);
}

// The answer to one poll. A frequency or mode answer to a query written
// before the panel's latest moving command is stale and changes nothing.
void takePollAnswer(Panel& panel, const RadioAnswer& answer, int32_t stamp, Poll poll,
                    bool forNetwork) {
  PanelState& s = panel.state;
  const std::string& text = answer.text;
  int32_t& unanswered = poll == Poll::kMode ? s.modePollsUnanswered : s.meterPollsUnanswered;
  uint32_t& retryMs = poll == Poll::kMode ? s.modeRetryMs : s.meterRetryMs;
  const bool counted = poll == Poll::kMeter || poll == Poll::kMode;
  if (!answer.arrived || answer.refused) {
    // Given up on from now: the next try comes a while later.
    if (counted && ++unanswered == kGivenUpAfter) retryMs = panel.clock.tickMs();
    return;
  }
  if (counted) unanswered = 0;
  if (text.starts_with("ID")) {
    takeIdentity(panel, text);
    return;
  }
  if (text.starts_with("FA") || text.starts_with("FB")) {
    if (stamp != s.commandCount && s.connected) return;
    handleFrequencyReply(panel, text);
    return;
  }
  if (text.starts_with("MD")) {
    if (stamp == s.commandCount && s.connected) takeModeReading(panel, text);
    return;
  }
  takeMeterAnswer(s, text);
  // A meter a network client asked for is the client's alone.
  if (forNetwork) return;
  if (text.starts_with("SM")) takeSMeterReading(panel, text);
  if (text.starts_with("RM6")) takeSwrReading(panel, text);
  if (text.starts_with("RM4")) takeAlcReading(panel, text);
}

// A query the radio has not answered several times running is asked only
// now and then (some radios have no S-meter query at all): the frequency
// poll is not held up by a query that only waits out its deadline.
bool givenUp(Panel& panel, int32_t unanswered, uint32_t& retryMs) {
  if (unanswered < kGivenUpAfter) return false;
  if (panel.clock.tickMs() - retryMs < kRetryGivenUpMs) return true;
  retryMs = panel.clock.tickMs();
  return false;
}

// About once a second the meter's turn reads the radio's mode instead.
bool modeDue(Panel& panel) {
  PanelState& s = panel.state;
  if (!s.connected) return false;
  // The first a second after the polls begin.
  if (s.modePollMs == 0) s.modePollMs = panel.clock.tickMs();
  if (panel.clock.tickMs() - s.modePollMs < kModePollMs) return false;
  if (givenUp(panel, s.modePollsUnanswered, s.modeRetryMs)) return false;
  s.modePollMs = panel.clock.tickMs();
  return true;
}

Poll pollKind(Panel& panel) {
  PanelState& s = panel.state;
  // Whatever appears under the port is asked only who it is, until it
  // answers as a radio.
  if (s.deviceUnproven) return Poll::kIdentity;
  if (s.pollPhase == 0) return Poll::kFrequency;
  if (modeDue(panel)) return Poll::kMode;
  if (givenUp(panel, s.meterPollsUnanswered, s.meterRetryMs)) return Poll::kFrequency;
  return Poll::kMeter;
}

const char* meterQuery(const PanelState& s) {
  if (s.alcAnnounce >= 1) return "RM4";
  if (s.tuneActive || s.txState > 0) return "RM6";
  return "SM0";
}

std::string pollQuery(const PanelState& s, Poll poll) {
  switch (poll) {
    case Poll::kIdentity:
      return "ID";
    case Poll::kFrequency:
      return "FA";
    case Poll::kMode:
      return "MD0";
    case Poll::kMeter:
      break;
  }
  return meterQuery(s);
}

// A meter a network client asked for replaces the panel's own meter query
// once; its answer is the client's alone.
void askWantedMeter(PanelState& s, std::string& query, bool& forNetwork) {
  if (s.meterWanted.empty()) return;
  if (s.meterWanted.str() != query) {
    query = s.meterWanted.str();
    forNetwork = true;
  }
  s.meterWanted.clear();
}

void sendPollQuery(Panel& panel) {
  PanelState& s = panel.state;
  const Poll poll = pollKind(panel);
  // A radio the panel may have keyed is told to receive with every ask.
  if (poll == Poll::kIdentity && transmitterMayBeKeyed(s)) {
    s.commandText = "TX0";
    sendCommand(panel);
  }
  std::string query = pollQuery(s, poll);
  bool forNetwork = false;
  // The meter's turn, also when the panel's own meter was given up on.
  if (s.pollPhase == 1 && (poll == Poll::kMeter || poll == Poll::kFrequency)) {
    askWantedMeter(s, query, forNetwork);
  }
  s.pollPhase = s.pollPhase == 0 ? 1 : 0;
  const int32_t stamp = s.commandCount;
  s.replyPending = 1;
  if (s.unansweredPolls < kMaxPollCount) s.unansweredPolls += 1;
  askRadio(panel, query, Asker::kPoll,
           [&panel, stamp, poll, forNetwork](const RadioAnswer& answer) {
             takePollAnswer(panel, answer, stamp, poll, forNetwork);
           });
}

}  // namespace

void handleTimerTick(Panel& panel) {
  PanelState& s = panel.state;
  s.tickCount += 1;
  if (s.tickCount > kTickCountWrap) s.tickCount = 0;
  watchLink(panel);
  // Every other tick, and never while the last poll is unanswered: a slow
  // radio is not buried under polls.
  if (s.replyPending == 1) {
    s.replyPending = 0;
  } else if (queriesOut(panel, Asker::kPoll) == 0) {
    sendPollQuery(panel);
  }
}

}  // namespace keldar
