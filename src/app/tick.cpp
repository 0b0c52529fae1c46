#include "app/tick.h"

#include <algorithm>
#include <string>

#include "radio/cat.h"
#include "radio/frequency_reply.h"
#include "radio/relay.h"
#include "radio/simulator.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int kMaxRead = 255;
constexpr int32_t kTickCountWrap = 20;

// Fills replyText with the answer to the last poll; false when nothing came.
bool takePollReply(Panel& panel) {
  PanelState& s = panel.state;
  if (s.simulationMode == 1) {
    simulatePollReply(panel);
    s.portBytes = 1;
  } else {
    s.portBytes = panel.serial.bytesWaiting(s.comPort);
    if (s.portBytes <= 0) return false;
    char buffer[kMaxRead];
    s.portBytes = std::clamp(panel.serial.readPort(s.comPort, buffer, kMaxRead), 0, kMaxRead);
    s.replyText = std::string_view(buffer, static_cast<std::size_t>(s.portBytes));
    if (s.replyText.empty()) return false;
  }
  widenFrequencyReply(panel);
  if (!s.replyText.empty()) writeDebugLine(panel, "RX=" + s.replyText);
  return true;
}

// The S-meter field is redrawn through the readout with a phrase prefix
// that names no recording, so nothing is heard.
void takeSMeterReading(Panel& panel) {
  PanelState& s = panel.state;
  const std::optional<int32_t> reading = replyNumber(s.replyText, "SM", 3, 3);
  if (!reading) return;
  s.sMeterReading = *reading;
  const BasicString phraseDir = s.phraseDir;
  s.phraseDir = "xx";
  speakSMeter(panel);
  s.phraseDir = phraseDir;
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
  if (!takePollReply(panel)) return;
  if (s.radioId == 0) {
    if (const std::optional<int32_t> id = replyNumber(s.replyText, "ID", 2, 4)) s.radioId = *id;
  }
  const std::string_view reply = s.replyText;
  if (reply.starts_with("FA") || reply.starts_with("FB")) handleFrequencyReply(panel);
  if (std::string_view(s.replyText).starts_with("SM")) takeSMeterReading(panel);
  takeSwrReading(panel);
  takeAlcReading(panel);
}

const char* pollQuery(const PanelState& s) {
  if (s.pollPhase == 0) return "FA";
  if (s.alcAnnounce >= 1) return "RM4";
  if (s.tuneActive == 1 || s.txState > 0) return "RM6";
  return "SM0";
}

void sendPollQuery(Panel& panel) {
  PanelState& s = panel.state;
  if (s.relayPort > 0) serviceRelay(panel);
  s.commandText = pollQuery(s);
  s.pollPhase = s.pollPhase == 0 ? 1 : 0;
  sendCommand(panel);
  s.replyPending = 1;
}

}  // namespace

void handleTimerTick(Panel& panel) {
  PanelState& s = panel.state;
  if (s.pollingBlocked == 1) return;
  s.tickCount += 1;
  if (s.tickCount > kTickCountWrap) s.tickCount = 0;
  if (s.replyPending == 1) {
    readPollReply(panel);
  } else {
    sendPollQuery(panel);
  }
}

}  // namespace keldar
