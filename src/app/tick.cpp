#include "app/tick.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/link_watch.h"
#include "radio/answers.h"
#include "radio/cat.h"
#include "radio/commanded_state.h"
#include "radio/frequency_reply.h"
#include "radio/network_reads.h"
#include "radio/relay.h"
#include "radio/simulator.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int kMaxRead = 255;
constexpr int32_t kTickCountWrap = 20;
constexpr int32_t kMaxPollCount = 1000;

// Reads what has arrived for the last poll into replyText: the answers that
// are complete, whatever the link put around them left out; the unfinished
// end of the last one waits for the next read (a slow radio's answer can
// straddle the reading tick). False when no answer is complete yet.
bool takePollReply(Panel& panel) {
  PanelState& s = panel.state;
  if (s.simulationMode == 1) {
    simulatePollReply(panel);
    s.portBytes = 1;
    panel.traceLine("READ", std::to_string(s.comPort) + " " + Trace::escape(s.replyText));
    writeDebugLine(panel, "RX=" + s.replyText);
    return true;
  }
  s.portBytes = panel.serial.bytesWaiting(s.comPort);
  if (s.portBytes <= 0) return false;
  char buffer[kMaxRead];
  s.portBytes = std::clamp(panel.serial.readPort(s.comPort, buffer, kMaxRead), 0, kMaxRead);
  s.replyText =
      takeRadioBytes(panel, std::string_view(buffer, static_cast<std::size_t>(s.portBytes)));
  return !s.replyText.empty();
}

// The complete answers of replyText, one per ";".
std::vector<std::string> answersOf(std::string_view text) {
  std::vector<std::string> answers;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(';', start), text.size() - 1);
    answers.emplace_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  return answers;
}

// The eight-digit radios' frequency answers in the nine-digit form.
std::vector<std::string> widenedAnswers(Panel& panel) {
  std::vector<std::string> answers = answersOf(panel.state.replyText);
  for (std::string& answer : answers) {
    panel.state.replyText = answer;
    widenFrequencyReply(panel);
    answer = panel.state.replyText.str();
  }
  std::string joined;
  for (const std::string& answer : answers) joined += answer;
  panel.state.replyText = joined;
  return answers;
}

// The first answer that begins with one of the mnemonics, or nothing.
const std::string* firstAnswer(const std::vector<std::string>& answers, std::string_view a,
                               std::string_view b = {}) {
  for (const std::string& answer : answers) {
    if (answer.starts_with(a) || (!b.empty() && answer.starts_with(b))) return &answer;
  }
  return nullptr;
}

void takeSMeterReading(Panel& panel) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(s.replyText, "SM", 3, 3);
  if (!reading) return;
  s.sMeterReading = *reading;
  refreshSMeterSilently(panel);
}

void takeSwrReading(Panel& panel) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(s.replyText, "RM6", 3, 3);
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

void takeAlcReading(Panel& panel) {
  PanelState& s = panel.state;
  if (s.alcAnnounce < 1) return;
  const std::optional<int32_t> reading = replyNumber(s.replyText, "RM4", 3, 3);
  if (!reading) return;
  s.alcPeak = std::max(s.alcPeak, *reading);
  if (s.tickCount > 10) speakAlc(panel);
}

void readPollReply(Panel& panel) {
  PanelState& s = panel.state;
  s.replyPending = 0;
  const bool forNetwork = s.meterForNetwork == 1;
  s.meterForNetwork = 0;
  if (!takePollReply(panel)) {
    noteEmptyPollRead(s);
    return;
  }
  const std::vector<std::string> answers = widenedAnswers(panel);
  const std::string all = s.replyText.str();
  if (s.radioId == 0) {
    if (const std::optional<int32_t> id = replyNumber(all, "ID", 2, 4)) s.radioId = *id;
  }
  // Answers read together are each taken: the frequency, then the meters.
  // An answer to a query written before the panel's latest command is stale.
  if (const std::string* frequency = takenFrequencyAnswer(s, answers)) {
    s.replyText = *frequency;
    handleFrequencyReply(panel);
  }
  for (const std::string& answer : answers) takeMeterAnswer(s, answer);
  if (forNetwork) return;
  if (const std::string* meter = firstAnswer(answers, "SM")) {
    s.replyText = *meter;
    takeSMeterReading(panel);
  }
  s.replyText = all;
  takeSwrReading(panel);
  takeAlcReading(panel);
}

const char* pollQuery(const PanelState& s) {
  if (s.pollPhase == 0) return "FA";
  if (s.alcAnnounce >= 1) return "RM4";
  if (s.tuneActive == 1 || s.txState > 0) return "RM6";
  return "SM0";
}

// A meter a network client asked for replaces the panel's own meter query
// once; its answer is the client's alone.
void askWantedMeter(PanelState& s) {
  if (s.pollPhase == 0 || s.meterWanted.empty()) return;
  if (s.meterWanted.str() != s.commandText.str()) {
    s.commandText = s.meterWanted;
    s.meterForNetwork = 1;
  }
  s.meterWanted.clear();
}

void sendPollQuery(Panel& panel) {
  PanelState& s = panel.state;
  if (s.relayPort > 0) serviceRelay(panel);
  s.commandText = pollQuery(s);
  askWantedMeter(s);
  s.pollPhase = s.pollPhase == 0 ? 1 : 0;
  sendCommand(panel);
  s.replyPending = 1;
  if (s.unansweredPolls < kMaxPollCount) s.unansweredPolls += 1;
}

}  // namespace

void handleTimerTick(Panel& panel) {
  PanelState& s = panel.state;
  if (s.pollingBlocked == 1) return;
  s.tickCount += 1;
  if (s.tickCount > kTickCountWrap) s.tickCount = 0;
  watchLink(panel);
  if (s.replyPending == 1) {
    readPollReply(panel);
  } else {
    sendPollQuery(panel);
  }
}

}  // namespace keldar
