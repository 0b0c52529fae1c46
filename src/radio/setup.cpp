#include "radio/setup.h"

#include <algorithm>
#include <optional>
#include <string>

#include "panel/display.h"
#include "radio/cat.h"
#include "radio/models.h"
#include "radio/repeater.h"
#include "radio/stepping.h"
#include "radio/toggles.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr int32_t kDefaultAfGain = 80;
constexpr int32_t kNoiseReductionNotRead = 9;

void command(Panel& panel, std::string_view text) {
  panel.state.commandText = text;
  sendCommand(panel);
}

// Sends a query and leaves the radio's answer in replyText.
std::string_view query(Panel& panel, std::string_view text) {
  command(panel, text);
  playDelay(panel);
  readReply(panel);
  return panel.state.replyText;
}

// The current band's record, or nothing for a band number outside the table.
std::string_view bandRecord(const PanelState& s) {
  if (s.bandIndex < 1 || s.bandIndex > kBandCount) return {};
  return s.bandTable[static_cast<std::size_t>(s.bandIndex)];
}

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const BasicString& shiftOf(const PanelState& s, ShiftSource source) {
  switch (source) {
    case ShiftSource::k6m:
      return s.shift6m;
    case ShiftSource::k2m:
      return s.shift2m;
    case ShiftSource::k70cm:
      return s.shift70cm;
    case ShiftSource::k10m:
      break;
  }
  return s.shift10m;
}

std::string shiftText(const BasicString& shift, ShiftForm form) {
  switch (form) {
    case ShiftForm::kFirst1:
      return leftText(shift, 1);
    case ShiftForm::kFirst3:
      return leftText(shift, 3);
    case ShiftForm::kFiveWide:
      return shift.size() == 4 ? "0" + leftText(shift, 4) : "00" + leftText(shift, 3);
    case ShiftForm::kWhole:
      break;
  }
  return shift.str();
}

void identifyRadio(Panel& panel) {
  PanelState& s = panel.state;
  const std::string_view reply = query(panel, "ID");
  s.radioId = radioIdFromReply(reply).value_or(0);
}

void writeRepeaterShifts(Panel& panel) {
  const RadioModel& model = radioModel(panel.state.radioId);
  for (int i = 0; i < model.shiftWriteCount; ++i) {
    const ShiftMenuWrite& row = model.shiftWrites[static_cast<std::size_t>(i)];
    command(panel, std::string(row.prefix) + shiftText(shiftOf(panel.state, row.source), row.form));
  }
}

// Tunes VFO A to the band's stored frequency; a record that does not hold
// "A" and nine digits there sends nothing.
void tuneBandFrequency(Panel& panel) {
  const std::string_view record = bandRecord(panel.state);
  const std::string digits = midText(record, 4, 9);
  if (charAt(record, 3) != 'A' || digits.size() != 9 || !allDigits(digits)) return;
  command(panel, "F" + midText(record, 3, 10));
}

void restoreRepeaterAndTone(Panel& panel) {
  PanelState& s = panel.state;
  s.toneCode = "999";
  s.toneEntry = 0;
  s.toneIsDcs = 0;
  if (s.modeIndex < 5 || s.modeIndex > 7) return;
  const std::string record(bandRecord(s));
  if (charAt(record, 1) != '5') s.repeaterMode = 2;
  setRepeaterShift(panel);
  const std::string code = midText(record, 23, 3);
  if (code.size() != 3 || !allDigits(code) || code == "999") return;
  s.toneCode = code;
  s.toneEntry = 1;
  s.scratchValue = toInt32(textToNumber(code));
  s.toneIsDcs = s.scratchValue > 499 ? 1 : 0;
  setToneSquelch(panel);
}

void resetReceiveFunctions(Panel& panel) {
  command(panel, "RA00");
  command(panel, "NB00");
  command(panel, "CO011200");
  command(panel, "CO000000");
}

void readAfGain(Panel& panel) {
  PanelState& s = panel.state;
  if (const std::optional<int32_t> gain = replyNumber(query(panel, "AG0"), "AG", 3, 3)) {
    s.afGain = *gain;
    return;
  }
  s.afGain = kDefaultAfGain;
  command(panel, "AG0080");
}

void readMonitor(Panel& panel) {
  PanelState& s = panel.state;
  if (replyField(query(panel, "ML0"), "ML0", 3, 3) == "001") s.monitorOn = 1;
  const std::string_view reply = query(panel, "ML1");
  if (replyNumber(reply, "ML1", 3, 3)) s.monitorLevel = *replyField(reply, "ML1", 3, 3);
}

void readSpeechProcessor(Panel& panel) {
  PanelState& s = panel.state;
  const RadioModel& model = radioModel(s.radioId);
  if (!model.speechProcessorKey) return;
  const std::string_view reply = query(panel, model.shortProcessorQuery ? "PR" : "PR0");
  s.speechProcessor = 0;
  const long offset = model.shortProcessorQuery ? 2 : 3;
  if (replyField(reply, "PR", offset, 1) == "1") s.speechProcessor = 1;
}

// Switch commands of noise reduction, tuner, then read noise reduction back.
void setNoiseReductionAndTuner(Panel& panel) {
  PanelState& s = panel.state;
  command(panel, s.noiseReduction == 1 ? "NR01" : "NR00");
  command(panel, (s.tunerSetting == 0 || s.tunerSetting == 2) ? "AC001" : "AC000");
  s.noiseReduction = kNoiseReductionNotRead;
  // One digit: the radio answers "NR0" and a single 0 or 1.
  if (const std::optional<int32_t> nr = replyNumber(query(panel, "NR0"), "NR0", 3, 1)) {
    s.noiseReduction = *nr;
  }
}

// A switch read back as one digit after its mnemonic; above 1 counts as off.
void readSwitch(Panel& panel, std::string_view mnemonic, int32_t& field) {
  if (const std::optional<int32_t> value = replyNumber(query(panel, mnemonic), mnemonic, 2, 1)) {
    field = *value > 1 ? 0 : *value;
  }
}

void openRelayPort(Panel& panel) {
  PanelState& s = panel.state;
  // The radio's own port is never reopened as a relay.
  if (s.relayPort <= 0 || s.relayPort == s.comPort) return;
  // Under simulation no device is opened at all.
  if (s.simulationMode == 1) return;
  panel.serial.closePort(s.relayPort);
  panel.serial.openPort(s.relayPort, s.baudRate);
  panel.serial.setReadTimeouts(s.relayPort, -1);
  panel.serial.setLineFormat(s.relayPort, s.serialDataBits, s.serialParity, s.serialStopBits);
}

}  // namespace

void radioSetup(Panel& panel) {
  PanelState& s = panel.state;
  identifyRadio(panel);
  writeRepeaterShifts(panel);
  tuneBandFrequency(panel);
  restoreRepeaterAndTone(panel);
  resetReceiveFunctions(panel);
  sendPowerLevel(panel);
  s.tunerArmed = 0;
  readAfGain(panel);
  readMonitor(panel);
  readSpeechProcessor(panel);
  setNoiseReductionAndTuner(panel);
  readSwitch(panel, "VX", s.voxOn);
  readSwitch(panel, "BI", s.breakInOn);
  drawStatusLine(panel);
  // setPreamp, run right after, switches to the opposite: the stored state.
  const std::string_view record = bandRecord(s);
  s.preampOn = (!record.empty() && record.back() == '0') ? 1 : 0;
  openRelayPort(panel);
}

}  // namespace keldar
