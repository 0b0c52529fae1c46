#include "app/keys.h"

#include <algorithm>

#include "app/entries.h"
#include "app/key_commands.h"
#include "base/key_codes.h"
#include "cat/cat.h"
#include "cat/send_text.h"
#include "display/display.h"
#include "radio/channel_entry.h"
#include "radio/setup.h"
#include "radio/stepping.h"
#include "radio/toggles.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

// The keys by name, throughout this file.
using namespace vk;

bool isDigitKey(int32_t k) {
  return k >= '0' && k <= '9';
}

bool isHeld(const PanelState& s, int32_t k) {
  return k >= 0 && k < static_cast<int32_t>(s.keysHeld.size()) && s.keysHeld[k] != 0;
}

void setHeld(PanelState& s, int32_t k, bool held) {
  if (k >= 0 && k < static_cast<int32_t>(s.keysHeld.size())) s.keysHeld[k] = held ? 1 : 0;
  const bool any = std::any_of(s.keysHeld.begin(), s.keysHeld.end(), [](uint8_t h) { return h; });
  s.keyDown = any ? 1 : 0;
}

void quitKey(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "quit");
  // The key-speed entry's CW must not be saved as the band's mode.
  if (s.pendingMode == kEntryKeySpeed) endKeySpeedEntry(panel);
  if (s.quitCountdown > 0 || s.quitUnsaved) {
    // The radio may have stopped answering, or the banks cannot be saved: a
    // second Q ends at once.
    s.running = false;
  } else if (s.connected) {
    sendText(panel, "TX0");
    s.quitCountdown = 1;
  } else {
    s.running = false;
  }
}

// Preamble: false when the key ends here.
bool preamble(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t k = s.currentWParam;
  // A key still held is repeating: it acted on its first press. A modifier
  // alone is no key at all.
  if (isHeld(s, k) || isModifierKey(k)) return false;
  s.keyCode = k;
  setHeld(s, k, true);
  s.relayActive = false;
  writeKeyLine(panel);
  // Space and T always receive: whether or not the radio answers now, a
  // transmitter the panel may have keyed is released.
  if ((k == kSpace || k == key('T')) && transmitterMayBeKeyed(s)) {
    releaseKey(panel);
    return false;
  }
  if (s.tuneActive && k != key('S') && k != key('T')) {
    playPhrase(panel, "ton");
    return false;
  }
  if (s.toneEntry && s.toneCode == "999" && k != kEnter && !isDigitKey(k)) s.toneEntry = false;
  if (k == key('Q')) {
    quitKey(panel);
    return false;
  }
  // Until the radio has answered and been set up it is not there (nor while
  // it is lost); once "connected" has been said, keys act.
  if (!s.connected || (s.frequency == 0 && s.frequencyReply.empty())) {
    playPhrase(panel, "nc");
    return false;
  }
  s.commandText = "";
  return true;
}

void endAlcReadout(Panel& panel) {
  PanelState& s = panel.state;
  s.alcAnnounce = -1;
  playPhrase(panel, "micgain");
  playPhrase(panel, "lev");
  s.alcPeak = s.micGain;
  speakAlc(panel);
  s.alcAnnounce = 0;
  s.alcPeak = 0;
  playPhrase(panel, "off");
  // The entry is over: Up and Down no longer change the gain, and the
  // frequency keys act again.
  if (s.pendingMode == kEntryMicGain) s.pendingMode = kEntryNone;
}

// The checks every key passes first, and the band and channel keys. False
// when the key ends here.
bool firstChecks(Panel& panel) {
  PanelState& s = panel.state;
  if (s.keyCode == kF9) toggleMonitor(panel);
  if (s.keyCode == kShift || s.keyCode == kCtrl || s.keyCode == kInsert ||
      s.keyCode == kLeftWindows) {
    return false;
  }
  if (s.alcAnnounce >= 1 && s.keyCode != kUp && s.keyCode != kDown) {
    endAlcReadout(panel);
    if (s.keyCode == kF11) return false;
  }
  if (s.keyCode >= kPadZero && s.keyCode <= kPadNine) s.keyCode -= kPadZero - '0';
  if (s.keyCode == kPadPoint) s.keyCode = kPoint;
  if (s.pendingMode == kEntryKeySpeed && s.keyCode != key('K') && s.keyCode != kUp &&
      s.keyCode != kDown) {
    endKeySpeedEntry(panel);
  }
  const int32_t k = s.keyCode;
  if (s.pendingMode == kEntryBand &&
      (k == key('X') || k == key('T') || k == key('S') || k == key('U'))) {
    chooseBandByLetter(panel);
    return false;
  }
  if (k == key('U')) {
    recallNextChannel(panel);
    return false;
  }
  if (k != key('S') && k != key('F')) s.channelBank = 99;
  if (k == key('B')) {
    if (s.memoryMode >= 1) {
      playPhrase(panel, "bank");
      s.memoryBankStep = -1;
    } else {
      s.pendingMode = kEntryBand;
      playPhrase(panel, "band");
      speakBand(panel);
    }
    return false;
  }
  if (s.memoryMode >= 1 && !isDigitKey(k)) {
    s.memoryMode = 0;
    s.memoryBankStep = 0;
  }
  return true;
}

// The letters that act at once (each key is tested once, so their order
// among the entry keys does not matter). False when the key ends here.
bool immediateLetters(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t k = s.keyCode;
  switch (k) {
    case kSpace:
      transmitKey(panel);
      return false;
    case key('L'):
      levelKey(panel);
      return false;
    case key('K'):
      toggleKeySpeedEntry(panel);
      return false;
    case key('D'):
      c4fmKey(panel);
      return false;
    case key('H'):
      playPhrase(panel, "help.wav");
      return false;
    case key('O'):
      optionsReadout(panel);
      return false;
    case key('C'):
    case key('G'):
      s.memoryMode = k == key('C') ? 1 : 2;
      playPhrase(panel, k == key('C') ? "sch" : "gch");
      return false;
    case key('A'):
      s.pendingMode = kEntryAfGain;
      playPhrase(panel, "af");
      return false;
    default:
      break;
  }
  return true;
}

// The tone, menu and frequency entries and split. False when the key ends
// here.
bool entryKeys(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t k = s.keyCode;
  if (k == key('I') && isFmMode(s.modeIndex)) {
    startOrClearTone(panel);
    return false;
  }
  if (k == key('N') && !s.toneEntry) {
    startMenuEntry(panel);
    return false;
  }
  if (k == kEnter && (s.pendingMode == kEntryMenuNumber || s.pendingMode == kEntryMenuValue)) {
    if (s.pendingMode == kEntryMenuNumber) {
      takeMenuNumber(panel);
    } else {
      writeOrReadMenu(panel);
    }
    return false;
  }
  if (k == key('E')) startFrequencyEntry(panel);
  if (k == kPoint) {
    takeFrequencyPoint(panel);
    return false;
  }
  if (k == kEnter) {
    if (s.toneEntry && !s.freqEntryActive) {
      applyTypedTone(panel);
    } else {
      tuneTypedFrequency(panel);
    }
    return false;
  }
  if (k == key('V')) {
    splitKey(panel);
    return false;
  }
  return true;
}

// Readouts, value entries, tune and the prefix X. False when the key ends
// here.
bool readoutKeys(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t k = s.keyCode;
  switch (k) {
    case key('F'):
      readOutFrequency(panel);
      return false;
    case key('P'):
      playPhrase(panel, "Power");
      s.pendingMode = kEntryPower;
      speakPower(panel);
      return false;
    case kF11:
      startMicGainEntry(panel);
      return false;
    case key('R'):
      playPhrase(panel, "rf");
      s.pendingMode = kEntryRfGain;
      break;
    case key('S'): {
      Readout readout(panel, "meter");
      if (s.txState == 0 && !s.tuneActive) {
        speakSMeter(panel);
      } else {
        speakSwr(panel);
      }
      break;
    }
    case key('T'):
      tuneKey(panel);
      return false;
    case key('W'):
      if (s.modeIndex != kAm && !isFmMode(s.modeIndex)) {
        s.pendingMode = kEntryWidth;
        speakBandwidth(panel);
      }
      return false;
    case key('X'):
      playPhrase(panel, "extcm");
      s.pendingMode = s.pendingMode == kEntryExtended ? kEntryNone : kEntryExtended;
      playPhrase(panel, s.pendingMode == kEntryExtended ? "on" : "off");
      return false;
    default:
      break;
  }
  if (s.pendingMode == kEntryExtended) {
    prefixedKey(panel);
    return false;
  }
  return true;
}

// The function keys, digits and readouts. False when the key ends here.
bool functionKeys(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t k = s.keyCode;
  if (k == key('Z')) {
    zeroInKey(panel);
    return false;
  }
  if (k == kF1) {
    s.levelTarget = 1;
    s.preampLevel = 1;
    setPreamp(panel);
  }
  if (k == kF2) toggleAttenuator(panel);
  if (k == kF3) toggleNoiseBlanker(panel);
  if (k == kF4) toggleNoiseReduction(panel);
  if (isDigitKey(k)) {
    handleDigitKey(panel);
    return false;
  }
  if (k == kF5) toggleNotch(panel);
  if (k == kF6) cycleContour(panel);
  if (k == kF7) {
    if (isSidebandMode(s.modeIndex)) {
      toggleSpeechProcessor(panel);
    } else {
      playPhrase(panel, "na");
    }
    return false;
  }
  if (k == kF8) {
    if (s.modeIndex == kCw) {
      toggleBreakIn(panel);
    } else {
      toggleVox(panel);
    }
  }
  if (k == kF12) {
    cycleTuner(panel);
    return false;
  }
  return readoutKeys(panel);
}

// The mode cycle, the arrows, and the frequency and squelch keys any key
// not taken before reaches.
void modeAndArrowKeys(Panel& panel) {
  PanelState& s = panel.state;
  if (s.keyCode == key('M')) {
    nextModeKey(panel);
    return;
  }
  if (s.keyCode == kUp) stepUp(panel);
  if (s.keyCode == kDown) stepDown(panel);
  frequencyOrSquelchKey(panel);
}

void runKey(Panel& panel) {
  if (!preamble(panel)) return;
  if (!firstChecks(panel)) return;
  if (!immediateLetters(panel)) return;
  if (!entryKeys(panel)) return;
  if (!functionKeys(panel)) return;
  modeAndArrowKeys(panel);
}

}  // namespace

void handleKey(Panel& panel) {
  const bool repeat = isHeld(panel.state, panel.state.currentWParam);
  runKey(panel);
  // The window shows the entry as typed, and the transmitter keyed at once.
  noteEntryKey(panel, repeat);
  drawTransmitFields(panel);
}

void handleKeyRelease(Panel& panel) {
  setHeld(panel.state, panel.state.currentWParam, false);
}

void handleCloseRequest(Panel& panel) {
  endKeyActivities(panel);
  panel.state.running = false;
}

}  // namespace keldar
