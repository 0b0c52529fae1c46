#include "radio/channel_entry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/key_codes.h"
#include "cat/send_text.h"
#include "core/models.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "memory/records.h"
#include "radio/apply_mode.h"
#include "radio/frequency_reply.h"
#include "radio/memory_channels.h"
#include "radio/repeater.h"
#include "radio/toggles.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

char digitChar(int32_t value) {
  return static_cast<char>('0' + value);
}

// The mode digit for a record: the current mode, or the record's own when
// the current one is not a mode number.
char recordModeDigit(const PanelState& s, std::string_view record) {
  if (isPanelMode(s.modeIndex)) return digitChar(s.modeIndex);
  const char own = charAt(record, 2);
  return own >= '1' && own <= '7' ? own : '1';
}

// Nine digits stored at a position of a record, or fallback when the record
// holds no frequency there.
std::string storedDigits(std::string_view record, long position, const std::string& fallback) {
  const std::string digits = midText(record, position, 9);
  return digits.size() == 9 && isDigitText(digits) ? digits : fallback;
}

// The repeater shift part for bands 10 to 13: "B", the sign and eight digits.
std::string shiftPart(const PanelState& s) {
  const BasicString* shift = &s.shift10m;
  int32_t minus = s.shift10mMinus;
  if (s.bandIndex == 11) {
    shift = &s.shift6m;
    minus = s.shift6mMinus;
  } else if (s.bandIndex == 12) {
    shift = &s.shift2m;
    minus = s.shift2mMinus;
  } else if (s.bandIndex == 13) {
    shift = &s.shift70cm;
    minus = s.shift70cmMinus;
  }
  const double kHz = std::min(std::abs(textToNumber(*shift)), 99999999.0);
  return std::string("B") + (minus == 1 ? "-" : "+") + zeroPadded(std::trunc(kHz), 8);
}

bool validBand(int32_t band) {
  return band >= 1 && band <= 14;
}

}  // namespace

int32_t wrappedBand(const PanelState& s) {
  int32_t band = s.bandIndex;
  const std::string_view coverage = s.bandCoverage;
  const int32_t top = highestBandFitted(coverage);
  const bool known = coverage == "1" || coverage == "6" || coverage == "2" || coverage == "7";
  if (known && band == 0) band = top;
  if (known && band == top + 1) band = 1;
  if (band == 15) band = 14;
  if (band < 1) band = top;
  return std::min<int32_t>(band, 14);
}

namespace {

void applyBandTone(Panel& panel) {
  PanelState& s = panel.state;
  if (!isFmMode(s.modeIndex) || s.toneCode == "999" || s.toneCode == "000") return;
  s.toneEntry = true;
  s.toneTyping = false;
  restoreToneSquelch(panel);
  playPhrase(panel, s.toneIsDcs == 1 ? "dcs" : "ctcss");
  for (long i = 1; i <= 3; ++i) playPhrase(panel, std::string(1, charAt(s.toneCode, i)));
}

void frequencyDigit(Panel& panel, int32_t d) {
  PanelState& s = panel.state;
  // A leading zero adds nothing to the value, so it is no megahertz digit.
  if (!(s.freqEntryValue == 0 && d == 0)) {
    if (!s.freqEntryPointTyped) s.freqEntryMhzDigits += 1;
    s.freqEntryValue = toInt32(10.0 * s.freqEntryValue + d);
  }
  playPhrase(panel, std::string(1, digitChar(d)));
}

void bandNumberDigit(Panel& panel, int32_t d) {
  PanelState& s = panel.state;
  saveBandState(panel);
  s.bandIndex = d == 0 ? 10 : d;
  // selectBand ends split itself, telling the radio.
  selectBand(panel);
  s.pendingMode = kEntryNone;
}

void toneDigit(Panel& panel, int32_t d) {
  PanelState& s = panel.state;
  if (s.toneCode.empty() && d < 5) s.toneCode = "0";
  s.toneCode = s.toneCode.str() + std::string(1, digitChar(d));
  playPhrase(panel, std::string(1, digitChar(d)));
}

}  // namespace

bool isFrequencyReplyText(std::string_view reply) {
  return reply.size() == 11 && (reply.substr(0, 2) == "FA" || reply.substr(0, 2) == "FB") &&
         isDigitText(reply.substr(2));
}

std::string recordTone(const PanelState& s, std::string_view fallback) {
  return isToneText(s.toneCode) ? s.toneCode.str() : std::string(fallback);
}

std::string bandStateText(const PanelState& s) {
  const std::string_view record =
      validBand(s.bandIndex) ? std::string_view(s.bandTable[s.bandIndex]) : std::string_view();
  const std::string working = isFrequencyReplyText(s.frequencyReply)
                                  ? rightText(s.frequencyReply, 9)
                                  : nineDigits(s.frequency);
  const bool repeaterForm = s.repeaterMode == 1 && s.bandIndex >= 10 && s.bandIndex <= 13;
  std::string t;
  t += repeaterForm ? '5' : (s.vfoB == 1 ? '1' : '0');
  t += recordModeDigit(s, record);
  if (s.vfoB == 1) {
    // While split the polls read VFO B; VFO A is where the panel last sent it.
    const std::string a = isFrequencyPart(s.vfoAText, 'A') ? rightText(s.vfoAText, 9)
                                                           : storedDigits(record, 4, working);
    t += "A" + a + "B" + working;
  } else {
    t += "A" + working + "B" + storedDigits(record, 14, working);
  }
  if (repeaterForm) t = leftText(t, 12) + shiftPart(s);
  return t;
}

void handleDigitKey(Panel& panel) {
  PanelState& s = panel.state;
  if (s.keyCode < vk::key('0') || s.keyCode > vk::key('9')) return;
  if (s.pendingMode == kEntryNone && !s.freqEntryActive && s.memoryMode == 0 && !s.toneEntry) {
    return;
  }
  s.commandText = "";
  const int32_t d = s.keyCode - 48;
  const std::string digit(1, digitChar(d));
  if (s.memoryBankStep == -1) {
    s.memoryBankStep = d;
    playPhrase(panel, digit);
    playPhrase(panel, "channel");
  } else if (s.pendingMode == kEntryMenuNumber || s.pendingMode == kEntryMenuValue) {
    BasicString& text = s.pendingMode == kEntryMenuNumber ? s.menuNumber : s.menuValue;
    text = text.str() + digit;
    playPhrase(panel, digit);
  } else if (s.memoryMode == 1) {
    storeChannel(panel, d);
  } else if (s.memoryMode == 2) {
    recallChannel(panel, d);
  } else if (s.pendingMode == kEntryNone && s.freqEntryActive) {
    frequencyDigit(panel, d);
  } else if (s.pendingMode == kEntryBand) {
    bandNumberDigit(panel, d);
  } else if (s.toneEntry && s.toneTyping) {
    // Digits join the code only between I and its Enter.
    toneDigit(panel, d);
  }
}

void bandForTypedMhz(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex = 14;
  if (s.toneEntry) {
    sendText(panel, "CT00");
    s.toneEntry = false;
    s.toneTyping = false;
    s.toneCode = "999";
  }
  const int32_t m = s.freqEntryValue;
  struct Row {
    int32_t low, high, band;
  };
  static constexpr Row kRows[] = {{1, 1, 1},     {3, 3, 2},    {5, 5, 3},    {7, 7, 4},
                                  {10, 10, 5},   {14, 14, 6},  {18, 18, 7},  {21, 21, 8},
                                  {24, 24, 9},   {28, 29, 10}, {50, 54, 11}, {144, 148, 12},
                                  {430, 439, 13}};
  for (const Row& row : kRows) {
    if (m >= row.low && m <= row.high) {
      s.bandIndex = row.band;
      break;
    }
  }
  if (s.bandIndex == 14) endSplit(panel);
}

bool bandAvailable(const PanelState& s, int32_t band) {
  band = std::min<int32_t>(band, 14);  // 15 asks for general coverage
  if (!bandFitted(s.radioId, band)) return false;
  const BasicString& record = s.bandTable[static_cast<std::size_t>(band)];
  if (!isBandRecord(record)) return true;  // its default takes its place
  return frequencyAllowed(s.radioId, static_cast<int64_t>(textToNumber(midText(record, 4, 9))));
}

void selectBand(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex = wrappedBand(s);
  // A band the radio lacks sends nothing; the panel stays on the radio's band.
  if (!bandAvailable(s, s.bandIndex)) {
    playPhrase(panel, "band");
    playPhrase(panel, "na");
    if (isFrequencyReplyText(s.frequencyReply)) bandForFrequency(panel);
    return;
  }
  s.tickCount = 0;
  endSplit(panel);
  if (s.toneEntry) {
    s.toneEntry = false;
    s.toneCode = "999";
    sendText(panel, "CT00");
  }
  // A row that lost its layout is of no use to the radio: the band's
  // default takes its place.
  if (!isBandRecord(s.bandTable[s.bandIndex])) {
    s.bandTable[s.bandIndex] = kDefaultBandTable[s.bandIndex];
  }
  const std::string r = s.bandTable[s.bandIndex].str();
  s.modeIndex = r[1] - '0';
  drawFrequencyPanel(panel);
  sendText(panel, "F" + midText(r, 3, 10));
  if (r[0] == '5') {
    s.repeaterMode = 0;
    setRepeaterShift(panel);
  }
  s.toneCode = midText(r, 23, 3);
  speakBand(panel);
  s.splitFrequencyText = midText(r, 3, 10);
  applyBandTone(panel);
  s.preampOn = r[25] == '0' ? 1 : 0;
  s.preampLevel = 1;
  setPreamp(panel);
  s.quietLimits = true;
}

void saveBandState(Panel& panel) {
  PanelState& s = panel.state;
  // Only a reply that really carries a frequency says where the radio is.
  if (!isFrequencyReplyText(s.frequencyReply)) return;
  bandForFrequency(panel);
  if (!s.bandRecordValid || !validBand(s.bandIndex)) return;
  const std::string t = bandStateText(s);
  if (s.relayActive) return;
  BasicString& record = s.bandTable[s.bandIndex];
  const std::string ownTone = midText(record, 23, 3);
  record = t + recordTone(s, isToneText(ownTone) ? ownTone : "999") +
           std::string(1, s.preampOn == 1 ? '1' : '0');
}

void splitOff(Panel& panel) {
  PanelState& s = panel.state;
  s.vfoB = 0;
  sendText(panel, splitCommand(s.radioId, false));
  const std::string_view split = s.splitFrequencyText;
  const bool known = split.size() == 10 && isDigitText(split.substr(1));
  const std::string record = validBand(s.bandIndex) ? s.bandTable[s.bandIndex].str() : "";
  const std::string digits =
      known ? std::string(split.substr(1)) : storedDigits(record, 4, nineDigits(s.frequency));
  // VFO A goes back to the frequency it had when split was switched on.
  sendText(panel, "FA" + digits);
  if (s.relayActive || !validBand(s.bandIndex)) return;
  const std::string ownTone = midText(record, 23, 3);
  s.bandTable[s.bandIndex] = std::string("0") + recordModeDigit(s, record) + "A" + digits + "B" +
                             storedDigits(record, 14, digits) +
                             recordTone(s, isToneText(ownTone) ? ownTone : "999") +
                             std::string(1, s.preampOn == 1 ? '1' : '0');
}

}  // namespace keldar
