#include "radio/stepping.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "cat/exchange.h"
#include "cat/send_text.h"
#include "core/models.h"
#include "core/record_checks.h"
#include "display/display.h"
#include "radio/channel_entry.h"
#include "radio/toggles.h"
#include "speech/player.h"

namespace keldar {

namespace {

bool inSsb(const PanelState& s) {
  return isSidebandMode(s.modeIndex);
}

// The value as fixed-width digits after a command's mnemonic.
std::string padded(int32_t value, int width) {
  return zeroPadded(std::max<int32_t>(value, 0), width);
}

void sendAfGain(Panel& panel) {
  sendText(panel, "AG0" + padded(panel.state.afGain, 3));
}

void sendNoiseBlankerLevel(Panel& panel) {
  sendText(panel, "NL" + padded(panel.state.noiseBlankerLevel, 4));
}

void sendNoiseReductionLevel(Panel& panel) {
  sendText(panel, "RL0" + padded(panel.state.noiseReductionLevel, 2));
}

void sendContour(Panel& panel) {
  const PanelState& s = panel.state;
  std::string selector;
  if (s.contourState == 1) selector = "1";
  if (s.contourState == 2) selector = "3";
  sendText(panel, "CO0" + selector + padded(s.contourFrequency, 4));
}

void sendProcessorLevel(Panel& panel) {
  sendText(panel, "PL" + padded(panel.state.processorLevel, 3));
}

// ---- Up -----------------------------------------------------------------------

// Steps past the bands the radio lacks, in the direction of the step.
void skipMissingBands(PanelState& s, int32_t direction) {
  for (int guard = 0; guard < 15; ++guard) {
    s.bandIndex = wrappedBand(s);
    if (bandAvailable(s, s.bandIndex)) return;
    s.bandIndex += direction;
    if (s.bandIndex >= 15) s.bandIndex = 1;
  }
}

void bandUp(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex += 1;
  if (s.bandIndex >= 15) s.bandIndex = 1;
  skipMissingBands(s, 1);
  // Only general coverage really tuned is announced as such: above the
  // highest band fitted the step goes round to 160 m.
  if (wrappedBand(s) == 14) {
    playPhrase(panel, "band");
    playPhrase(panel, "un");
  }
  // selectBand clears a set tone and tells the radio ("CT00").
  selectBand(panel);
}

void widthUp(Panel& panel) {
  PanelState& s = panel.state;
  s.quietLimits = false;
  if (inSsb(s) && s.widthIndex == 21) s.widthIndex = 20;
  if (s.modeIndex == kCw && s.widthIndex > 12) s.widthIndex = 12;
  s.widthIndex += 1;
  if (s.modeIndex == kCw && s.widthIndex == 11)
    sendText(panel, "NA00");  // the setting, not the query "NA0"
  sendWidth(panel);
}

void powerUp(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t ceiling = std::max<int32_t>(s.maxPower, 5);
  s.powerLevel += 10;
  if (s.powerLevel == 15) s.powerLevel = 10;
  s.powerLevel = std::min(s.powerLevel, ceiling);
  if (s.powerLevel == ceiling) playPhrase(panel, "max");
  sendPowerLevel(panel);
}

void rfGainUp(Panel& panel) {
  PanelState& s = panel.state;
  s.rfGain = std::min(s.rfGain + 10, 250);
  sendRfGain(panel);
  if (s.rfGain == 250) playPhrase(panel, "max");
}

void afGainUp(Panel& panel) {
  PanelState& s = panel.state;
  s.afGain = std::min(s.afGain + 10, 250);
  sendAfGain(panel);
  if (s.afGain == 250) playPhrase(panel, "max");
}

// Raises a level by step; past test it becomes top, with "max".
void raise(Panel& panel, int32_t& level, int32_t step, int32_t test, int32_t top) {
  level += step;
  if (level > test) {
    level = top;
    playPhrase(panel, "max");
  }
}

void functionLevelUp(Panel& panel) {
  PanelState& s = panel.state;
  const RadioModel& model = radioModel(s.radioId);
  switch (s.levelTarget) {
    case 1:
      playPhrase(panel, "max");
      s.preampLevel = 2;
      s.preampOn = 0;
      setPreamp(panel);
      break;
    case 2:
      raise(panel, s.noiseBlankerLevel, 1, 10, 10);
      sendNoiseBlankerLevel(panel);
      break;
    case 3:
      raise(panel, s.noiseReductionLevel, 1, model.noiseReductionTest, model.noiseReductionMax);
      sendNoiseReductionLevel(panel);
      break;
    case 4:
      s.contourFrequency = std::min(s.contourFrequency + 100, 3200);
      sendContour(panel);
      if (s.contourFrequency == 3200) playPhrase(panel, "max");
      break;
    case 5:
      raise(panel, s.processorLevel, 10, model.processorTest, model.processorMax);
      sendProcessorLevel(panel);
      break;
    default:
      break;
  }
}

void keySpeedUp(Panel& panel) {
  PanelState& s = panel.state;
  s.keySpeed = std::min(s.keySpeed + 1, 60);
  if (s.keySpeed == 60) playPhrase(panel, "max");
  sendKeySpeed(panel);
}

void micGainUp(Panel& panel) {
  PanelState& s = panel.state;
  raise(panel, s.micGain, 1, 100, 100);
  s.alcPeak = 0;
  sendMicGain(panel);
}

// ---- Down ---------------------------------------------------------------------

void bandDown(Panel& panel) {
  PanelState& s = panel.state;
  s.bandIndex -= 1;
  const bool knownCoverage = s.bandCoverage == "1" || s.bandCoverage == "6" ||
                             s.bandCoverage == "2" || s.bandCoverage == "7";
  if ((s.bandIndex == 0 || s.bandIndex == 13) && knownCoverage) {
    s.bandIndex = highestBandFitted(s.bandCoverage);
  }
  skipMissingBands(s, -1);
  selectBand(panel);
}

void widthDown(Panel& panel) {
  PanelState& s = panel.state;
  s.quietLimits = false;
  if (inSsb(s) && s.widthIndex == 9) s.widthIndex = 10;
  if (s.modeIndex == kCw && s.widthIndex < 1) s.widthIndex = 0;
  s.widthIndex -= 1;
  if (s.modeIndex == kCw && s.widthIndex == 10) sendText(panel, "NA01");
  sendWidth(panel);
}

void powerDown(Panel& panel) {
  PanelState& s = panel.state;
  s.powerLevel -= 10;
  if (s.powerLevel < 1) s.powerLevel = 5;
  sendPowerLevel(panel);
  if (s.powerLevel == 5) playPhrase(panel, "min");
}

// Lowers a level by step; below test it becomes bottom, with "min".
void lower(Panel& panel, int32_t& level, int32_t step, int32_t test, int32_t bottom) {
  level -= step;
  if (level < test) {
    level = bottom;
    playPhrase(panel, "min");
  }
}

void functionLevelDown(Panel& panel) {
  PanelState& s = panel.state;
  switch (s.levelTarget) {
    case 1:
      playPhrase(panel, "min");
      s.preampOn = 0;
      s.preampLevel = 1;
      setPreamp(panel);
      break;
    case 2:
      lower(panel, s.noiseBlankerLevel, 1, 1, 0);
      sendNoiseBlankerLevel(panel);
      break;
    case 3:
      lower(panel, s.noiseReductionLevel, 1, 1, 1);
      sendNoiseReductionLevel(panel);
      break;
    case 4:
      s.contourFrequency -= 100;
      if (s.contourFrequency < 100) s.contourFrequency = 10;
      sendContour(panel);
      if (s.contourFrequency == 10) playPhrase(panel, "min");
      break;
    case 5:
      lower(panel, s.processorLevel, 10, 1, 0);
      sendProcessorLevel(panel);
      break;
    default:
      break;
  }
}

void keySpeedDown(Panel& panel) {
  PanelState& s = panel.state;
  s.keySpeed = std::max(s.keySpeed - 1, 4);
  if (s.keySpeed == 4) playPhrase(panel, "min");
  sendKeySpeed(panel);
}

void micGainDown(Panel& panel) {
  PanelState& s = panel.state;
  lower(panel, s.micGain, 1, 0, 0);
  s.alcPeak = 0;
  sendMicGain(panel);
}

}  // namespace

void sendFrequency(Panel& panel) {
  sendText(panel, "FA" + nineDigits(panel.state.frequency));
}

void roundFrequencyToKhz(Panel& panel) {
  PanelState& s = panel.state;
  const int32_t remainder = s.frequency % 1000;
  s.frequency -= remainder;
  if (remainder == 0 || s.modeIndex == kUsb) {
    s.frequency += s.modeIndex == kUsb ? 1000 : -1000;
  }
  // Nothing below 0 Hz exists to tune to.
  s.frequency = std::max<int32_t>(s.frequency, 0);
  sendFrequency(panel);
}

void sendMicGain(Panel& panel) {
  sendText(panel, "MG" + padded(panel.state.micGain, 3));
}

void sendRfGain(Panel& panel) {
  sendText(panel, "RG0" + padded(panel.state.rfGain, 3));
}

void sendPowerLevel(Panel& panel) {
  sendText(panel, "PC" + padded(panel.state.powerLevel, 3));
}

void sendWidth(Panel& panel) {
  PanelState& s = panel.state;
  const bool quiet = s.quietLimits;
  if (inSsb(s)) {
    s.widthIndex = std::clamp<int32_t>(s.widthIndex, 9, 21);
    s.ssbWidthIndex = s.widthIndex;
    if (s.widthIndex == 21 && !quiet) playPhrase(panel, "max");
    if (s.widthIndex == 9 && !quiet) playPhrase(panel, "min");
  } else if (s.modeIndex == kCw) {
    s.widthIndex = std::clamp<int32_t>(s.widthIndex, 1, 12);
    s.cwWidthIndex = s.widthIndex;
    if (s.widthIndex > 11 && !quiet) playPhrase(panel, "max");
  } else {
    // Other modes keep the number in the range every width command carries.
    s.widthIndex = std::clamp<int32_t>(s.widthIndex, 1, 21);
    if (s.widthIndex == 21 && !quiet) playPhrase(panel, "max");
  }
  if (s.widthIndex == 1 && !quiet) playPhrase(panel, "min");
  sendText(panel, "SH0" + padded(s.widthIndex, 2));
  s.quietLimits = false;
}

void sendKeySpeed(Panel& panel) {
  sendText(panel, "KS0" + padded(panel.state.keySpeed, 2));
}

void readProcessorLevel(Panel& panel) {
  askRadio(panel, "PL", Asker::kWork, [&panel](const RadioAnswer& answer) {
    if (const auto level = replyNumber(answer.text, "PL", 2, 3))
      panel.state.processorLevel = *level;
    drawStatusLine(panel);
  });
}

void stepUp(Panel& panel) {
  PanelState& s = panel.state;
  switch (s.pendingMode) {
    case kEntryNone:
      s.frequency += s.modeIndex == kCw ? 500 : 1000;
      break;
    case kEntryBand:
      bandUp(panel);
      break;
    case kEntryWidth:
      widthUp(panel);
      break;
    case kEntryPower:
      powerUp(panel);
      break;
    case kEntryRfGain:
      rfGainUp(panel);
      break;
    case kEntryAfGain:
      afGainUp(panel);
      break;
    case kEntryFunctionLevel:
      functionLevelUp(panel);
      break;
    case kEntryKeySpeed:
      keySpeedUp(panel);
      break;
    case kEntryMicGain:
      micGainUp(panel);
      break;
    default:
      break;
  }
}

void stepDown(Panel& panel) {
  PanelState& s = panel.state;
  switch (s.pendingMode) {
    case kEntryNone:
      s.frequency = std::max<int32_t>(s.frequency - (s.modeIndex == kCw ? 500 : 1000), 0);
      break;
    case kEntryBand:
      bandDown(panel);
      break;
    case kEntryWidth:
      widthDown(panel);
      break;
    case kEntryPower:
      powerDown(panel);
      break;
    case kEntryRfGain:
      s.rfGain = std::max(s.rfGain - 10, 0);
      sendRfGain(panel);
      break;
    case kEntryAfGain:
      s.afGain = std::max(s.afGain - 10, 0);
      sendAfGain(panel);
      break;
    case kEntryFunctionLevel:
      functionLevelDown(panel);
      break;
    case kEntryKeySpeed:
      keySpeedDown(panel);
      break;
    case kEntryMicGain:
      micGainDown(panel);
      break;
    default:
      break;
  }
}

}  // namespace keldar
