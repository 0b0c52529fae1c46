#include "app/tick.h"

#include <algorithm>
#include <string>

#include "app/link_watch.h"
#include "radio/cat.h"
#include "radio/exchange.h"
#include "radio/frequency_reply.h"
#include "radio/network_reads.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int32_t kTickCountWrap = 20;
constexpr int32_t kMaxPollCount = 1000;
constexpr int32_t kMeterGivenUp = 3;
constexpr uint32_t kMeterRetryMs = 10000;

void takeSMeterReading(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(answer, "SM", 3, 3);
  if (!reading) return;
  s.sMeterReading = *reading;
  s.sMeterAnswered = 1;
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

// The answer to one poll. A frequency answer to a query written before the
// panel's latest moving command is stale and changes nothing (before the
// radio is connected any answer connects it).
void takePollAnswer(Panel& panel, const RadioAnswer& answer, int32_t stamp, bool meter,
                    bool forNetwork) {
  PanelState& s = panel.state;
  const std::string& text = answer.text;
  if (!answer.arrived || answer.refused) {
    if (meter) s.meterPollsUnanswered += 1;
    return;
  }
  if (meter) s.meterPollsUnanswered = 0;
  if (text.starts_with("FA") || text.starts_with("FB")) {
    if (stamp != s.commandCount && s.connected == 1) return;
    s.replyText = text;
    handleFrequencyReply(panel);
    return;
  }
  takeMeterAnswer(s, text);
  // A meter a network client asked for is the client's alone.
  if (forNetwork) return;
  if (text.starts_with("SM")) takeSMeterReading(panel, text);
  if (text.starts_with("RM6")) takeSwrReading(panel, text);
  if (text.starts_with("RM4")) takeAlcReading(panel, text);
}

// A meter the radio has not answered several times running is asked only
// now and then (some radios have no S-meter query at all): the frequency
// poll is not held up by a query that only waits out its deadline.
bool meterSkipped(Panel& panel) {
  PanelState& s = panel.state;
  if (s.meterPollsUnanswered < kMeterGivenUp) return false;
  if (panel.clock.tickMs() - s.meterRetryMs < kMeterRetryMs) return true;
  s.meterRetryMs = panel.clock.tickMs();
  return false;
}

const char* pollQuery(Panel& panel) {
  const PanelState& s = panel.state;
  if (s.pollPhase == 0 || meterSkipped(panel)) return "FA";
  if (s.alcAnnounce >= 1) return "RM4";
  if (s.tuneActive == 1 || s.txState > 0) return "RM6";
  return "SM0";
}

// A meter a network client asked for replaces the panel's own meter query
// once; its answer is the client's alone.
void askWantedMeter(PanelState& s, std::string& query, bool& forNetwork) {
  if (s.pollPhase == 0 || s.meterWanted.empty()) return;
  if (s.meterWanted.str() != query) {
    query = s.meterWanted.str();
    forNetwork = true;
  }
  s.meterWanted.clear();
}

void sendPollQuery(Panel& panel) {
  PanelState& s = panel.state;
  std::string query = pollQuery(panel);
  bool forNetwork = false;
  askWantedMeter(s, query, forNetwork);
  s.pollPhase = s.pollPhase == 0 ? 1 : 0;
  const int32_t stamp = s.commandCount;
  s.replyPending = 1;
  if (s.unansweredPolls < kMaxPollCount) s.unansweredPolls += 1;
  const bool meter = query[0] != 'F';
  askRadio(panel, query, Asker::kPoll,
           [&panel, stamp, meter, forNetwork](const RadioAnswer& answer) {
             takePollAnswer(panel, answer, stamp, meter, forNetwork);
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
