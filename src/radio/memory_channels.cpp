#include "radio/memory_channels.h"

#include <string>

#include "cat/send_text.h"
#include "core/models.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "memory/bank_file.h"
#include "memory/records.h"
#include "radio/apply_mode.h"
#include "radio/channel_entry.h"
#include "radio/repeater.h"
#include "speech/player.h"

namespace keldar {

namespace {

// The slot of bank memoryBankStep and digit d, or -1 when there is none.
int32_t slotOf(const PanelState& s, int32_t d) {
  if (s.memoryBankStep < 0 || s.memoryBankStep > 9 || d < 0 || d > 9) return -1;
  return s.memoryBankStep * 10 + d;
}

// The channel record of the current state; the caller checks its layout.
std::string channelRecord(const PanelState& s) {
  const std::string band = zeroPadded(s.bandIndex < 0 ? 0 : s.bandIndex, 2);
  std::string head;
  std::string parts;
  if (s.repeaterMode == 1) {
    // Repeater form: kind and mode, the band number, the "A" and shift parts.
    const std::string t = bandStateText(s);
    head = leftText(t, 2);
    parts = midText(t, 3);
  } else {
    head = std::string(s.vfoB == 1 ? "1" : "0") + zeroPadded(s.modeIndex, 1);
    if (s.bandIndex == 14) {
      const std::string digits = nineDigits(s.frequency);
      parts = "A" + digits + "B" + digits;
    } else {
      const bool inTable = s.bandIndex >= 1 && s.bandIndex <= 13;
      const std::string record = inTable ? s.bandTable[s.bandIndex].str() : "";
      std::string a = midText(record, 3, 10);
      if (!isFrequencyPart(a, 'A')) a = "A" + nineDigits(s.frequency);
      // VFO B: the same as A, or while split the last FB reply, else the stored one.
      std::string b = "B" + rightText(a, 9);
      const std::string storedB = midText(record, 13, 10);
      if (s.vfoB == 1 && isFrequencyPart(s.vfoBText, 'B')) {
        b = s.vfoBText.str();
      } else if (s.vfoB == 1 && isFrequencyPart(storedB, 'B')) {
        b = storedB;
      }
      parts = a + b;
    }
  }
  const std::string tone = s.toneEntry ? recordTone(s, "999") : "999";
  return head + band + parts + tone + (s.preampOn == 1 ? "1" : "0");
}

void sendRecalledFrequencies(Panel& panel, const std::string& record) {
  PanelState& s = panel.state;
  if (s.vfoB == 0) {
    sendText(panel, "FA" + midText(record, 6, 9));
    return;
  }
  s.vfoB = 0;
  sendText(panel, "FA" + midText(record, 6, 9));
  s.vfoB = 1;
  sendText(panel, "FB" + midText(record, 16, 9));
}

void applyRecalledTone(Panel& panel, const std::string& record) {
  PanelState& s = panel.state;
  s.toneCode = midText(record, 25, 3);
  if (isFmMode(s.modeIndex) && s.toneCode != "999") {
    const int32_t value = toInt32(textToNumber(s.toneCode));
    s.toneEntry = true;
    s.toneTyping = false;
    s.toneIsDcs = value > 499 ? 1 : 0;
    s.toneBeingApplied = false;
    setToneSquelch(panel);
    return;
  }
  s.toneEntry = false;
  s.toneCode = "999";
  sendText(panel, "CT00");
}

}  // namespace

void storeChannel(Panel& panel, int32_t d) {
  PanelState& s = panel.state;
  playPhrase(panel, std::string(1, static_cast<char>('0' + d)));
  const int32_t slot = slotOf(s, d);
  const std::string record = channelRecord(s);
  s.memoryMode = 0;
  // Only a complete record goes into the bank: a half-known state is refused.
  if (slot < 0 || !isMemoryRecord(record)) {
    playPhrase(panel, "invalid");
    return;
  }
  s.memoryChannels[static_cast<std::size_t>(slot)] = record;
  playPhrase(panel, saveMemoryBanks(panel) ? "ok" : "notsaved");
}

void recallChannel(Panel& panel, int32_t d) {
  PanelState& s = panel.state;
  playPhrase(panel, std::string(1, static_cast<char>('0' + d)));
  const int32_t slot = slotOf(s, d);
  s.channelBank = s.memoryBankStep;
  s.channelSlot = d;
  const std::string record = slot < 0 ? "" : s.memoryChannels[static_cast<std::size_t>(slot)].str();
  // Empty, damaged or out-of-band records are all refused alike, and so is a
  // frequency this radio cannot be tuned to.
  if (!isMemoryRecord(record) ||
      !frequencyAllowed(s.radioId, static_cast<int64_t>(textToNumber(midText(record, 6, 9))))) {
    playPhrase(panel, "invalid");
    s.memoryMode = 0;
    s.channelBank = 99;
    return;
  }
  s.tickCount = 0;
  const bool repeater = record[0] == '5';
  if (repeater) {
    endSplit(panel);
  } else if (record[0] == '1') {
    s.vfoB = 1;
    playPhrase(panel, "split");
    sendText(panel, splitCommand(s.radioId, true));
  } else {
    s.vfoB = 0;
    sendText(panel, splitCommand(s.radioId, false));
  }
  s.modeIndex = record[1] - '0';
  // The band first, so that the mode lands in the recalled band's record.
  s.bandIndex = toInt32(textToNumber(midText(record, 3, 2)));
  drawFrequencyPanel(panel);
  if (repeater) s.repeaterMode = 1;
  s.splitFrequencyText = midText(record, 5, 10);
  sendRecalledFrequencies(panel, record);
  if (s.repeaterMode == 1) {
    s.repeaterMode = 0;
    setRepeaterShift(panel);
  }
  s.announceOnReply = true;
  applyRecalledTone(panel, record);
  s.preampOn = record[27] == '1' ? 1 : 0;
  sendText(panel, std::string("PA0") + (s.preampOn == 1 ? "1" : "0"));
  s.memoryMode = 0;
}

}  // namespace keldar
