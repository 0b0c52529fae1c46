#include "app/key_commands.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "app/entries.h"
#include "base/key_codes.h"
#include "cat/send_text.h"
#include "cat/work.h"
#include "core/models.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "memory/records.h"
#include "radio/apply_mode.h"
#include "radio/channel_entry.h"
#include "radio/repeater.h"
#include "radio/setup.h"
#include "radio/stepping.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

// The keys by name, throughout this file.
using namespace vk;
constexpr int32_t kHighestFrequency = 999999999;
// After a tune carrier, the radio is back in receive before anything else.
constexpr uint32_t kReceiveSettleMs = 500;
// An automatic tuner's cycle.
constexpr uint32_t kTunerCycleMs = 1100;

void playEach(Panel& panel, std::initializer_list<const char*> names) {
  for (const char* name : names) playPhrase(panel, name);
}

// Tune carrier: 5 W of AM on the current frequency.
void startCarrier(Panel& panel) {
  sendText(panel, "PC005");
  sendText(panel, "MD05");
  sendFrequency(panel);
  sendText(panel, "TX1");
}

// Ends a tune: receive, the tune-cycle tuner setting back to on, the
// operator's power and mode back.
void stopTune(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tunerSetting < 1) {
    s.tuneActive = false;
    return;
  }
  sendText(panel, "TX0");
  if (s.tunerSetting == 3) s.tunerSetting = 0;
  // Released now; the radio is back in receive before its power and mode
  // change.
  s.tuneActive = false;
  pauseThen(panel, kReceiveSettleMs, [&panel] {
    sendPowerLevel(panel);
    drawFrequencyPanel(panel);
  });
}

// Runs the antenna tuner, then `carrier`: whether a carrier is to follow.
void runTuner(Panel& panel, std::function<void(bool)> carrier) {
  PanelState& s = panel.state;
  if (s.frequency > 73000000) {
    playEach(panel, {"atu", "na"});
    s.tunerSetting = 3;
    carrier(true);
    return;
  }
  if (!s.tunerArmed) {
    sendText(panel, "AC001");
    s.tunerArmed = true;
  }
  sendText(panel, "AC002");
  s.tickCount = 0;
  // The tuner's cycle takes its time; the panel goes on listening meanwhile.
  pauseThen(panel, kTunerCycleMs, [&panel, carrier = std::move(carrier)] {
    playPhrase(panel, "ok");
    carrier(panel.state.tunerSetting == 2);
  });
}

void squelchUp(Panel& panel) {
  PanelState& s = panel.state;
  s.squelchLevel += s.squelchLevel < 20 ? 1 : 10;
  if (s.squelchLevel > 255) {
    s.squelchLevel = 255;
    playPhrase(panel, "max");
  }
  sendText(panel, "SQ0" + zeroPadded(s.squelchLevel, 3));
}

void squelchDown(Panel& panel) {
  PanelState& s = panel.state;
  if (s.squelchLevel == 245) s.squelchLevel = 240;
  s.squelchLevel -= s.squelchLevel < 30 ? 1 : 10;
  if (s.squelchLevel < 1) {
    s.squelchLevel = 0;
    playPhrase(panel, "0");
  }
  sendText(panel, "SQ0" + zeroPadded(s.squelchLevel, 3));
}

// The frequency change of a frequency key; false when the key was a
// squelch key and nothing is to be sent after it.
bool moveFrequency(Panel& panel) {
  PanelState& s = panel.state;
  const bool upperBands = s.bandIndex > 11 && s.bandIndex != 14;
  int64_t f = s.frequency;
  switch (s.keyCode) {
    case kPlus:
    case kMinus:
      f += s.keyCode == kPlus ? 1000000 : -1000000;
      break;
    case kPageUp:
      f += s.modeIndex > kCw && upperBands ? 12500 : 10000;
      break;
    case kPageDown:
      f -= s.modeIndex == kFmNarrow && upperBands ? 12500 : 10000;
      break;
    case kRight:
      if (isFmMode(s.modeIndex)) {
        squelchUp(panel);
        return false;
      }
      f += s.modeIndex == kCw ? 10 : 100;
      break;
    case kLeft:
      if (isFmMode(s.modeIndex)) {
        squelchDown(panel);
        return false;
      }
      f -= s.modeIndex == kCw ? 10 : 100;
      break;
    default:
      break;
  }
  // No step goes below 0 Hz or past nine digits.
  s.frequency = static_cast<int32_t>(std::clamp<int64_t>(f, 0, kHighestFrequency));
  if ((s.keyCode == kPlus || s.keyCode == kMinus) && s.repeaterMode == 1) setRepeaterShift(panel);
  return true;
}

// Split on: VFO B starts where VFO A is, and the band record says so.
void splitOn(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "split");
  const std::string last = midText(s.lastFrequencyCommand, 2, 10);
  const bool known = last.size() == 10 && (last[0] == 'A' || last[0] == 'B') &&
                     isDigitText(std::string_view(last).substr(1));
  s.splitFrequencyText = known ? last : "A" + nineDigits(s.frequency);
  sendText(panel, splitCommand(s.radioId, true));
  if (!s.relayActive && s.bandIndex >= 1 && s.bandIndex <= 14) {
    BasicString& record = s.bandTable[s.bandIndex];
    const std::string rewritten =
        leftText(record, 12) + "B" + rightText(s.splitFrequencyText, 9) + midText(record, 23, 4);
    if (isBandRecord(rewritten)) record = rewritten;
  }
  sendText(panel, "F" + s.splitFrequencyText);
}

}  // namespace

void transmitKey(Panel& panel) {
  PanelState& s = panel.state;
  // Space on a keyed transmitter never gets here: releaseKey takes it.
  playEach(panel, {"tx", "on"});
  s.txState = s.swrOnTx + 10;
  s.swrOnTx = 0;
  s.swrHoldOff = 2;
  s.tunerArmed = false;
  sendText(panel, "TX1");
}

void releaseKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tuneActive) {
    playEach(panel, {"tune", "off"});
    stopTune(panel);
  }
  if (!transmitterMayBeKeyed(s)) return;
  releaseTransmitter(panel);
  playEach(panel, {"tx", "off"});
}

void levelKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.levelTarget >= 1) s.pendingMode = kEntryFunctionLevel;
  static constexpr const char* kNames[] = {"", "preamp", "nb", "nr", "co", "spc"};
  if (s.levelTarget >= 1 && s.levelTarget <= 5) playPhrase(panel, kNames[s.levelTarget]);
  playPhrase(panel, "lev");
}

void c4fmKey(Panel& panel) {
  PanelState& s = panel.state;
  if (!radioModel(s.radioId).c4fm || s.modeIndex < kFmNarrow) return;
  if (isFmMode(s.modeIndex)) {
    // Only a tone that is really set is brought back after C4FM.
    s.savedToneCode = s.toneEntry ? s.toneCode.str() : "999";
    s.modeIndex = kC4fm;
    drawFrequencyPanel(panel);
  } else {
    s.modeIndex = s.wideFm ? kFmWide : kFmNarrow;
    drawFrequencyPanel(panel);
    if (isToneText(s.savedToneCode) && s.savedToneCode != "999") {
      s.toneCode = s.savedToneCode;
      s.toneEntry = true;
      s.toneTyping = false;
      restoreToneSquelch(panel);
    }
  }
  speakMode(panel);
}

void optionsReadout(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "options");
  auto onIf = [&panel](bool on, const char* name) {
    if (on) playEach(panel, {name, "on"});
  };
  onIf(s.preampOn == 1, "preamp");
  onIf(s.attenuatorOn == 1, "at");
  onIf(s.noiseBlankerOn == 1, "nb");
  onIf(s.noiseReduction == 1, "nr");
  onIf(s.notchOn == 1, "notch");
  if (s.contourState == 1) playPhrase(panel, "cod");
  if (s.contourState == 2) playPhrase(panel, "cop");
  onIf(s.speechProcessor == 1 && isSidebandMode(s.modeIndex), "spc");
  onIf(s.breakInOn == 1 && s.modeIndex == kCw, "bkin");
  onIf(s.voxOn == 1, "vox");
  onIf(s.monitorOn == 1, "mon");
  if (s.toneCode != "999") {
    playPhrase(panel, charAt(s.toneCode, 1) <= '3' ? "ctcss" : "dcs");
    for (char c : s.toneCode.str()) playPhrase(panel, std::string(1, c));
  }
  playEach(panel, {"tuner", "is"});
  static constexpr const char* kTuner[] = {"on", "off", "both"};
  if (s.tunerSetting >= 0 && s.tunerSetting <= 2) playPhrase(panel, kTuner[s.tunerSetting]);
}

void splitKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.bandIndex == 14) {
    playEach(panel, {"split", "invalid"});
    return;
  }
  s.pendingMode = kEntryNone;
  if (s.bandIndex > 9 && s.modeIndex >= kFmNarrow && s.modeIndex <= kFmWide) {
    setRepeaterShift(panel);
    return;
  }
  s.vfoB = s.vfoB == 1 ? 0 : 1;
  if (s.vfoB == 1) {
    splitOn(panel);
    return;
  }
  splitOff(panel);
  playEach(panel, {"split", "off"});
}

void zeroInKey(Panel& panel) {
  playEach(panel, {"0", "ok"});
  if (panel.state.modeIndex == kCw) {
    sendText(panel, "ZI");
  } else {
    roundFrequencyToKhz(panel);
  }
}

void tuneKey(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "tune");
  if (s.tuneActive) {
    playPhrase(panel, "off");
    stopTune(panel);
    return;
  }
  playPhrase(panel, "on");
  s.tuneActive = true;
  const bool tunerInUse = s.tunerSetting == 0 || s.tunerSetting == 2;
  if (!tunerInUse) {
    // From here only S and T are taken until the next T.
    startCarrier(panel);
    return;
  }
  runTuner(panel, [&panel](bool carrier) {
    if (carrier) {
      startCarrier(panel);
      return;
    }
    // A tuner-only tune is over once the tuner has run.
    playEach(panel, {"tune", "off"});
    stopTune(panel);
  });
}

void nextModeKey(Panel& panel) {
  PanelState& s = panel.state;
  // FM, C4FM and anything unknown go round to LSB; C4FM is reached with D.
  int32_t mode = s.modeIndex;
  if (isFmMode(mode) || !isPanelMode(mode)) {
    mode = kLsb;
  } else {
    mode += 1;
    if (s.wideFm && mode > kFmWide) mode = kLsb;
    if (!s.wideFm && mode >= kC4fm) mode = kLsb;
    if (mode == kFmNarrow && (s.bandIndex < 10 || s.frequency < 27000000)) mode = kLsb;
    if (mode == kFmNarrow && s.wideFm) mode = kFmWide;
    if (mode == kFmWide && !s.wideFm) mode = kFmNarrow;
  }
  s.modeIndex = mode;
  drawFrequencyPanel(panel);
  speakMode(panel);
}

void frequencyOrSquelchKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.pendingMode != kEntryNone && s.pendingMode != kEntryWidth) return;
  if (!moveFrequency(panel)) return;
  sendFrequency(panel);
}

void endKeyActivities(Panel& panel) {
  // Shutdown saves the band records: the key-speed entry's CW is not the
  // band's mode. (Shutdown itself unkeys a transmitter left on.)
  if (panel.state.pendingMode == kEntryKeySpeed) endKeySpeedEntry(panel);
}

}  // namespace keldar
