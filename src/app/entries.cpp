#include "app/entries.h"

#include <cstdint>
#include <string>

#include "base/key_codes.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "cat/send_text.h"
#include "cat/work.h"
#include "core/models.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "memory/records.h"
#include "radio/apply_mode.h"
#include "radio/channel_entry.h"
#include "radio/frequency_reply.h"
#include "radio/memory_channels.h"
#include "radio/repeater.h"
#include "radio/toggles.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int32_t kKeyM = vk::key('M');
constexpr int32_t kKeyS = vk::key('S');
constexpr int32_t kKeyT = vk::key('T');
constexpr int32_t kKeyU = vk::key('U');
constexpr int32_t kKeyX = vk::key('X');
// The keyer speeds a radio can take, in words per minute; a reply outside them
// is damaged and would be spoken and stepped as nonsense.
constexpr int32_t kMinKeySpeed = 4;
constexpr int32_t kMaxKeySpeed = 60;

void playCharacters(Panel& panel, std::string_view text, long first, long last) {
  for (long i = first; i <= last; ++i) {
    const char c = charAt(text, i);
    if (c != '\0') playPhrase(panel, std::string(1, c));
  }
}

void bandNotFitted(Panel& panel);

void chooseBand(Panel& panel, int32_t band) {
  PanelState& s = panel.state;
  // A band the radio lacks: nothing changes and nothing is sent.
  if (!bandAvailable(s, band)) {
    bandNotFitted(panel);
    return;
  }
  s.toneCode = "999";
  s.bandIndex = band;
  selectBand(panel);
}

void bandNotFitted(Panel& panel) {
  playPhrase(panel, "band");
  playPhrase(panel, "na");
}

// The configured repeater shift of the current band in Hz, signed as the
// transmit frequency moves; 0 on bands without one.
int32_t repeaterShiftHz(const PanelState& s) {
  const BasicString* shift = nullptr;
  int32_t minus = 0;
  switch (s.bandIndex) {
    case 10:
      shift = &s.shift10m;
      minus = s.shift10mMinus;
      break;
    case 11:
      shift = &s.shift6m;
      minus = s.shift6mMinus;
      break;
    case 12:
      shift = &s.shift2m;
      minus = s.shift2mMinus;
      break;
    case 13:
      shift = &s.shift70cm;
      minus = s.shift70cmMinus;
      break;
    default:
      return 0;
  }
  const int32_t hz = toInt32(textToNumber(*shift) * 1000);
  return minus == 1 ? -hz : hz;
}

// Speaks a frequency put into frequencyDisplay for the moment, then the
// mode, and puts the display text back.
void speakOtherFrequency(Panel& panel, const BasicString& saved) {
  PanelState& s = panel.state;
  s.speakingTxFrequency = 1;
  speakFrequency(panel);
  s.speakingTxFrequency = 0;
  s.frequencyDisplay = saved;
  speakMode(panel);
  s.pendingMode = kEntryNone;
}

// The FA command of a typed frequency, "" when the entry cannot be one.
std::string typedFrequencyCommand(const PanelState& s) {
  if (s.freqEntryValue < 1 || s.freqEntryMhzDigits < 1 || s.freqEntryMhzDigits > 3) return "";
  std::string command = "FA";
  if (s.freqEntryMhzDigits == 1) command += "00";
  if (s.freqEntryMhzDigits == 2) command += "0";
  command += digitsOf(s.freqEntryValue);
  if (command.size() > 11) return "";
  while (command.size() < 11) command += "0";
  return command;
}

// The typed band's record: its mode, and split as it was stored there.
void applyTypedBandRecord(Panel& panel) {
  PanelState& s = panel.state;
  const BasicString& record = s.bandTable[s.bandIndex];
  const char mode = charAt(record, 2);
  if (isPanelMode(mode - '0')) s.modeIndex = mode - '0';
  const int32_t split = charAt(record, 1) == '1' ? 1 : 0;
  if (split != s.vfoB) {
    s.vfoB = split;
    sendText(panel, splitCommand(s.radioId, split == 1));
  }
  drawFrequencyPanel(panel);
}

// A typed frequency lands on the receive VFO, A, as a recall does; in a band
// stored with split, VFO B then gets the record's transmit frequency, so that
// receive, transmit and speech agree.
void sendTypedFrequency(Panel& panel, const std::string& command) {
  PanelState& s = panel.state;
  const int32_t split = s.vfoB;
  s.vfoB = 0;
  sendText(panel, command);
  s.vfoB = split;
  if (split != 1) return;
  s.splitFrequencyText = "A" + midText(command, 3, 9);
  const std::string b = midText(s.bandTable[s.bandIndex], 14, 9);
  if (b.size() == 9 && isDigitText(b)) sendText(panel, "FB" + b);
}

// The menu value of a read: after "EX" and the menu number, up to the ";".
void speakMenuReply(Panel& panel, std::string reply) {
  const PanelState& s = panel.state;
  const long point = findText(reply, ".");
  if (point > 0) reply = leftText(reply, point - 1) + ";";
  const long p = findText(reply, "EX");
  // Without the echo of the menu there is nothing to read out.
  if (p < 1) return;
  reply = midText(reply, p);
  const long end = findText(reply, ";") - 1;
  const long first = 3 + radioModel(s.radioId).menuDigits;
  for (long i = first; i <= end; ++i) {
    const char c = charAt(reply, i);
    if (c <= '9') playPhrase(panel, std::string(1, c));
  }
}

}  // namespace

void chooseBandByLetter(Panel& panel) {
  PanelState& s = panel.state;
  const std::string_view coverage = s.bandCoverage;
  s.pendingMode = kEntryNone;
  switch (s.keyCode) {
    case kKeyX:
      if (coverage != "1") {
        chooseBand(panel, 11);
      } else {
        bandNotFitted(panel);
      }
      break;
    case kKeyT:
      if (coverage == "2" || coverage == "7") {
        chooseBand(panel, 12);
      } else {
        bandNotFitted(panel);
      }
      break;
    case kKeyS:
      if (coverage == "7") {
        chooseBand(panel, 13);
      } else {
        bandNotFitted(panel);
      }
      break;
    case kKeyU:
      playPhrase(panel, "band");
      chooseBand(panel, 15);
      break;
    default:
      break;
  }
}

void recallNextChannel(Panel& panel) {
  PanelState& s = panel.state;
  if (s.channelBank < 0 || s.channelBank > 9) return;
  // Ten steps come back to the slot itself; a bank without a usable channel
  // leaves everything as it is.
  int32_t slot = s.channelSlot;
  for (int step = 0; step < 10; ++step) {
    slot = (slot + 1) % 10;
    const BasicString& record =
        s.memoryChannels[static_cast<std::size_t>(s.channelBank * 10 + slot)];
    if (!isMemoryRecord(record)) continue;
    s.channelSlot = slot;
    s.keyCode = 48 + slot;
    playPhrase(panel, "channel");
    s.memoryMode = 2;
    s.memoryBankStep = s.channelBank;
    handleDigitKey(panel);
    return;
  }
}

void toggleKeySpeedEntry(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "ks");
  if (s.pendingMode == kEntryKeySpeed) {
    s.pendingMode = kEntryNone;
    s.modeIndex = s.savedMode;
    drawFrequencyPanel(panel);
    playPhrase(panel, "off");
    speakKeySpeed(panel);
    if (s.breakInOn == 1) sendText(panel, "BI1");
    return;
  }
  s.savedMode = s.modeIndex;
  s.modeIndex = kCw;
  drawFrequencyPanel(panel);
  s.pendingMode = kEntryKeySpeed;
  askRadio(panel, "KS", Asker::kWork, [&panel](const RadioAnswer& answer) {
    PanelState& st = panel.state;
    const auto speed = replyNumber(answer.text, "KS", 2, 3);
    if (speed && *speed >= kMinKeySpeed && *speed <= kMaxKeySpeed) st.keySpeed = *speed;
    playPhrase(panel, "on");
    sendText(panel, "BI0");
    speakKeySpeed(panel);
  });
}

void endKeySpeedEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.pendingMode = kEntryNone;
  s.modeIndex = s.savedMode;
  drawFrequencyPanel(panel);
  if (s.breakInOn == 1) sendText(panel, "BI1");
}

void startOrClearTone(Panel& panel) {
  PanelState& s = panel.state;
  s.freqEntryActive = false;
  s.pendingMode = kEntryNone;
  if (!s.toneEntry) {
    playPhrase(panel, s.dcsAllowed == 1 ? "ecd" : "ec");
    s.toneEntry = true;
    s.toneTyping = true;
    s.toneCode = "";
    return;
  }
  sendText(panel, "CT00");
  s.toneEntry = false;
  s.toneTyping = false;
  playPhrase(panel, charAt(s.toneCode, 1) > '4' && s.toneIsDcs == 1 ? "dcs" : "ctcss");
  playPhrase(panel, "off");
  s.toneCode = "999";
}

void applyTypedTone(Panel& panel) {
  PanelState& s = panel.state;
  s.toneIsDcs = 0;
  s.toneTyping = false;
  const int32_t v = toInt32(textToNumber(s.toneCode));
  // Codes 0 to 49 are CTCSS tone numbers, 500 to 603 DCS codes.
  bool refused =
      !isDigitText(s.toneCode) || s.toneCode.size() > 3 || v > 603 || (v >= 50 && v <= 499);
  if (v >= 500 && s.dcsAllowed == 0) refused = true;
  if (refused) {
    playPhrase(panel, "invalid");
    s.toneEntry = false;
    s.toneCode = "999";
    drawStatusLine(panel);
    return;
  }
  s.toneBeingApplied = true;
  if (v >= 500) {
    s.toneIsDcs = 1;
  } else {
    s.toneCode = zeroPadded(v, 3);
  }
  setToneSquelch(panel);
  s.toneBeingApplied = false;
}

void startMenuEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.pendingMode = kEntryMenuNumber;
  s.menuNumber = "";
  playPhrase(panel, "mn");
}

void takeMenuNumber(Panel& panel) {
  PanelState& s = panel.state;
  s.pendingMode = kEntryMenuValue;
  if (static_cast<int>(s.menuNumber.size()) != radioModel(s.radioId).menuDigits) {
    playPhrase(panel, "invalid");
    s.pendingMode = kEntryNone;
    return;
  }
  playPhrase(panel, "mp");
  s.menuValue = "";
}

void writeOrReadMenu(Panel& panel) {
  PanelState& s = panel.state;
  if (!s.menuValue.empty()) {
    sendText(panel, "EX" + s.menuNumber + s.menuValue.str());
    playPhrase(panel, "ok");
  } else {
    // The menu's own answer, whatever the polls bring meanwhile.
    askRadio(panel, "EX" + s.menuNumber, Asker::kWork,
             [&panel](const RadioAnswer& answer) { speakMenuReply(panel, answer.text); });
  }
  s.pendingMode = kEntryNone;
}

void startFrequencyEntry(Panel& panel) {
  PanelState& s = panel.state;
  s.freqEntryValue = 0;
  s.pendingMode = kEntryNone;
  playPhrase(panel, "EF");
  s.freqEntryMhzDigits = 0;
  s.freqEntryActive = true;
  s.freqEntryPointTyped = false;
}

// Whether the radio can be tuned anywhere within the megahertz typed.
bool megahertzAllowed(const PanelState& s, int32_t mhz) {
  const int64_t low = static_cast<int64_t>(mhz) * 1000000;
  return frequencyAllowed(s.radioId, low) || frequencyAllowed(s.radioId, low + 999999);
}

void takeFrequencyPoint(Panel& panel) {
  PanelState& s = panel.state;
  // A point needs an entry, megahertz before it, and only one of it.
  if (!s.freqEntryActive || s.freqEntryPointTyped || s.freqEntryValue >= 440 ||
      s.freqEntryValue < 1 || !megahertzAllowed(s, s.freqEntryValue)) {
    playPhrase(panel, "invalid");
    return;
  }
  saveBandState(panel);
  s.freqEntryPointTyped = true;
  bandForTypedMhz(panel);
  s.freqEntryBand = s.bandIndex;
  playPhrase(panel, "point");
}

void tuneTypedFrequency(Panel& panel) {
  PanelState& s = panel.state;
  if (!s.freqEntryActive) return;
  s.tickCount = 0;
  s.freqEntryActive = false;
  // A refused entry leaves band, mode and split alone, and sends nothing: a
  // frequency the radio cannot be tuned to is refused here, not by the radio.
  const std::string command = typedFrequencyCommand(s);
  if (command.empty() ||
      !frequencyAllowed(s.radioId, static_cast<int64_t>(textToNumber(midText(command, 3))))) {
    playPhrase(panel, "invalid");
    s.freqEntryMhzDigits = 0;
    // The point chose the typed band; the radio is still where it was.
    if (s.freqEntryPointTyped && isFrequencyReplyText(s.frequencyReply)) bandForFrequency(panel);
    s.freqEntryPointTyped = false;
    return;
  }
  if (!s.freqEntryPointTyped) {
    saveBandState(panel);
    bandForTypedMhz(panel);
    s.freqEntryBand = s.bandIndex;
  }
  s.bandIndex = s.freqEntryBand;
  if (s.bandIndex < 14) applyTypedBandRecord(panel);
  if (s.freqEntryValue < 25 && isFmMode(s.modeIndex)) {
    s.modeIndex = kAm;
    drawFrequencyPanel(panel);
  }
  sendTypedFrequency(panel, command);
  s.bandIndex = s.freqEntryBand;
  s.preampOn = charAt(s.bandTable[s.bandIndex], 26) == '1' ? 0 : 1;
  s.preampLevel = 1;
  setPreamp(panel);
  playPhrase(panel, "ok");
  s.freqEntryPointTyped = false;
}

void readOutFrequency(Panel& panel) {
  PanelState& s = panel.state;
  // F pressed again while the last reading still waits to be said: only the
  // newest is heard.
  Readout readout(panel, "frequency");
  if (s.pendingMode == kEntryExtended && s.repeaterMode == 1) {
    const BasicString saved = s.frequencyDisplay;
    const int64_t tx = static_cast<int64_t>(s.frequency) + repeaterShiftHz(s);
    s.frequencyDisplay = displayFromDigits(nineDigits(tx));
    speakOtherFrequency(panel, saved);
    return;
  }
  if (s.pendingMode == kEntryExtended && s.vfoB == 1) {
    const BasicString saved = s.frequencyDisplay;
    playPhrase(panel, "vfoa");
    const bool inTable = s.bandIndex >= 1 && s.bandIndex <= 14;
    std::string digits = inTable ? midText(s.bandTable[s.bandIndex], 4, 9) : "";
    if (digits.size() != 9 || !isDigitText(digits)) digits = nineDigits(s.frequency);
    s.frequencyDisplay = displayFromDigits(digits);
    speakOtherFrequency(panel, saved);
    return;
  }
  s.pendingMode = kEntryNone;
  s.tuneActive = false;
  speakFrequency(panel);
  speakMode(panel);
  if (s.toneEntry) {
    playPhrase(panel, charAt(s.toneCode, 1) <= '4' ? "ctcss" : "dcs");
    playCharacters(panel, s.toneCode, 1, 3);
  }
}

void startMicGainEntry(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "micgain");
  s.pendingMode = kEntryMicGain;
  s.tickCount = 0;
  playPhrase(panel, "lev");
  askRadio(panel, "MG", Asker::kWork, [&panel](const RadioAnswer& answer) {
    PanelState& st = panel.state;
    // Without an answer the gain stays what the panel knew.
    if (const auto gain = replyNumber(answer.text, "MG", 2, 3)) st.micGain = *gain;
    st.alcPeak = st.micGain;
    st.alcAnnounce = -1;
    speakAlc(panel);
    pauseThen(panel, kSettleMs, [&panel] {
      panel.state.alcPeak = 0;
      panel.state.alcAnnounce = 1;
    });
  });
}

void prefixedKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.keyCode == kKeyM && s.modeIndex == kFmNarrow) {
    s.modeIndex = kFmWide;
    s.wideFm = true;
  } else if (s.keyCode == kKeyM && s.modeIndex == kFmWide) {
    s.modeIndex = kFmNarrow;
    s.wideFm = false;
  }
  drawFrequencyPanel(panel);
  speakMode(panel);
  s.pendingMode = kEntryNone;
}

}  // namespace keldar
