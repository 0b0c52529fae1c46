#include "radio/setup.h"

#include <algorithm>
#include <optional>
#include <string>

#include "cat/cat.h"
#include "cat/exchange.h"
#include "cat/work.h"
#include "core/models.h"
#include "core/radio_modes.h"
#include "display/display.h"
#include "radio/repeater.h"
#include "radio/stepping.h"
#include "radio/toggles.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr int32_t kDefaultAfGain = 80;
constexpr int32_t kNoiseReductionNotRead = 9;
// In CW a width number below this means the narrow filter.
constexpr int32_t kCwNarrowBelow = 11;

void command(Panel& panel, std::string_view text) {
  panel.state.commandText = text;
  sendCommand(panel);
}

// Sends a query; then takes its answer (empty when none came in time).
void query(Panel& panel, std::string_view text, std::function<void(std::string_view)> take) {
  askRadio(panel, text, Asker::kWork,
           [take = std::move(take)](const RadioAnswer& answer) { take(answer.text); });
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
  query(panel, "ID", [&panel](std::string_view reply) {
    panel.state.radioId = radioIdFromReply(reply).value_or(0);
  });
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
  s.toneEntry = false;
  s.toneIsDcs = 0;
  if (s.modeIndex < kFmNarrow || s.modeIndex > kFmWide) return;
  const std::string record(bandRecord(s));
  if (charAt(record, 1) != '5') s.repeaterMode = 2;
  setRepeaterShift(panel);
  const std::string code = midText(record, 23, 3);
  if (code.size() != 3 || !allDigits(code) || code == "999") return;
  s.toneCode = code;
  s.toneEntry = true;
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

// After a reconnect the functions the panel shows are switched as it shows
// them: the radio may have been reset or changed while it was away.
void restoreReceiveFunctions(Panel& panel) {
  const PanelState& s = panel.state;
  command(panel, s.attenuatorOn == 1 ? "RA01" : "RA00");
  command(panel, s.noiseBlankerOn == 1 ? "NB01" : "NB00");
  if (s.contourState == 1) {
    command(panel, "CO011200");
  } else if (s.contourState == 2) {
    command(panel, "CO031200");
  } else {
    command(panel, "CO011200");
    command(panel, "CO000000");
  }
  command(panel, s.notchOn == 1 ? "BC01" : "BC00");
}

// A VFO text "A014250000" as its nine digits; empty when it is none.
std::string vfoDigits(const BasicString& text) {
  const std::string digits = midText(text, 2, 9);
  return text.size() == 10 && allDigits(digits) ? digits : std::string();
}

// After a reconnect VFO A goes back where the panel had it and, in split,
// VFO B with the split on; the VFO the panel works is tuned last, so the
// set-up's last frequency command is its frequency.
bool tunePanelFrequencies(Panel& panel) {
  PanelState& s = panel.state;
  const std::string a = vfoDigits(s.vfoAText);
  if (a.empty()) return false;
  const int32_t split = s.vfoB;
  s.vfoB = 0;
  command(panel, "FA" + a);
  s.vfoB = split;
  const std::string b = vfoDigits(s.vfoBText);
  if (split != 1 || b.empty()) return true;
  command(panel, splitCommand(s.radioId, true));
  command(panel, "FB" + b);
  return true;
}

void readAfGain(Panel& panel) {
  query(panel, "AG0", [&panel](std::string_view reply) {
    PanelState& s = panel.state;
    if (const std::optional<int32_t> gain = replyNumber(reply, "AG", 3, 3)) {
      s.afGain = *gain;
      return;
    }
    s.afGain = kDefaultAfGain;
    command(panel, "AG0080");
  });
}

void readMonitor(Panel& panel) {
  query(panel, "ML0", [&panel](std::string_view reply) {
    if (replyField(reply, "ML0", 3, 3) == "001") panel.state.monitorOn = 1;
  });
  query(panel, "ML1", [&panel](std::string_view reply) {
    if (replyNumber(reply, "ML1", 3, 3)) panel.state.monitorLevel = *replyField(reply, "ML1", 3, 3);
  });
}

void readSpeechProcessor(Panel& panel) {
  const RadioModel& model = radioModel(panel.state.radioId);
  if (!model.speechProcessorKey) return;
  const bool shortQuery = model.shortProcessorQuery;
  query(panel, shortQuery ? "PR" : "PR0", [&panel, shortQuery](std::string_view reply) {
    PanelState& s = panel.state;
    s.speechProcessor = replyField(reply, "PR", shortQuery ? 2 : 3, 1) == "1" ? 1 : 0;
  });
}

// Switch commands of noise reduction, tuner, then read noise reduction back.
void setNoiseReductionAndTuner(Panel& panel) {
  PanelState& s = panel.state;
  command(panel, s.noiseReduction == 1 ? "NR01" : "NR00");
  command(panel, (s.tunerSetting == 0 || s.tunerSetting == 2) ? "AC001" : "AC000");
  s.noiseReduction = kNoiseReductionNotRead;
  // One digit: the radio answers "NR0" and a single 0 or 1.
  query(panel, "NR0", [&panel](std::string_view reply) {
    if (const std::optional<int32_t> nr = replyNumber(reply, "NR0", 3, 1)) {
      panel.state.noiseReduction = *nr;
    }
  });
}

// A switch read back as one digit after its mnemonic; above 1 counts as off.
void readSwitch(Panel& panel, std::string_view mnemonic, int32_t& field) {
  const std::string name(mnemonic);
  query(panel, mnemonic, [name, &field](std::string_view reply) {
    if (const std::optional<int32_t> value = replyNumber(reply, name, 2, 1)) {
      field = *value > 1 ? 0 : *value;
    }
  });
}

void openRelayPort(Panel& panel) {
  PanelState& s = panel.state;
  // The radio's own port is never reopened as a relay.
  if (s.relayPort <= 0 || s.relayPort == s.comPort) return;
  // Under simulation too: a logger can be tried on the simulated radio.
  panel.serial.closePort(s.relayPort);
  panel.serial.openPort(s.relayPort, s.baudRate);
  panel.serial.setReadTimeouts(s.relayPort, -1);
  panel.serial.setLineFormat(s.relayPort, s.serialDataBits, s.serialParity, s.serialStopBits);
}

// The mode, filter and width the panel holds: a radio that starts or comes
// back in another mode would otherwise be spoken and shown wrongly.
void sendModeAndWidth(Panel& panel) {
  PanelState& s = panel.state;
  const BasicString* own = modeCommandOf(s, s.modeIndex);
  if (own == nullptr) return;
  const RadioModeRow* radioMode = currentRadioMode(s);
  const bool radiosOwn = s.radioModeCode != 0 && radioMode != nullptr;
  command(panel, radiosOwn ? std::string("MD0") + radioMode->code : own->str());
  command(panel, s.modeIndex == kCw && s.widthIndex < kCwNarrowBelow ? "NA01" : "NA00");
  if (s.modeIndex > kCw) return;
  s.quietLimits = true;
  sendWidth(panel);
}

}  // namespace

bool transmitterMayBeKeyed(const PanelState& s) {
  return s.txState > 0 || s.tuneActive || s.relayKeyed;
}

void releaseTransmitter(Panel& panel) {
  PanelState& s = panel.state;
  if (!transmitterMayBeKeyed(s)) return;
  command(panel, "TX0");
  if (s.tuneActive) {
    // The tune carrier went out as 5 W of AM: the operator's power and mode
    // come back, as T itself would bring them.
    if (s.tunerSetting == 3) s.tunerSetting = 0;
    sendPowerLevel(panel);
    if (const BasicString* mode = modeCommandOf(s, s.modeIndex)) command(panel, *mode);
  }
  if (s.txState > 0) s.swrOnTx = s.txState - 10;
  s.txState = 0;
  s.tuneActive = false;
  s.relayKeyed = false;
}

void radioSetup(Panel& panel, std::function<void()> done) {
  // A radio that comes back may still be sending what the panel keyed
  // (a tune carrier, the space key, the relay's or a client's PTT): receive
  // first, before anything else reaches it.
  releaseTransmitter(panel);
  // The model decides what follows, so its answer comes first; the rest is
  // written at once, each query's answer taken as it comes.
  identifyRadio(panel);
  // Its frequency answer shows how many digits it takes (the read path
  // learns it), before the band is tuned.
  query(panel, "FA", [](std::string_view) {});
  thenDo(panel, [&panel, done = std::move(done)]() mutable {
    PanelState& s = panel.state;
    writeRepeaterShifts(panel);
    command(panel, "VS0");
    // The first time the band's stored state; after a reconnect the panel's.
    const bool again = s.everConnected;
    if (!again || !tunePanelFrequencies(panel)) tuneBandFrequency(panel);
    sendModeAndWidth(panel);
    restoreRepeaterAndTone(panel);
    if (again) {
      restoreReceiveFunctions(panel);
    } else {
      resetReceiveFunctions(panel);
    }
    // Never more power while something may key the transmitter.
    if (!transmitterMayBeKeyed(s)) sendPowerLevel(panel);
    s.tunerArmed = false;
    readAfGain(panel);
    readMonitor(panel);
    readSpeechProcessor(panel);
    setNoiseReductionAndTuner(panel);
    readSwitch(panel, "VX", s.voxOn);
    readSwitch(panel, "BI", s.breakInOn);
    thenDo(panel, [&panel, done = std::move(done)] {
      PanelState& st = panel.state;
      drawStatusLine(panel);
      // setPreamp, run right after, switches to the opposite: the stored
      // state, or after a reconnect the panel's own.
      const std::string_view record = bandRecord(st);
      if (st.everConnected) {
        st.preampOn = st.preampOn == 1 ? 0 : 1;
      } else {
        st.preampOn = (!record.empty() && record.back() == '0') ? 1 : 0;
      }
      openRelayPort(panel);
      if (done) done();
    });
  });
}

}  // namespace keldar
