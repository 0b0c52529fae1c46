#include "speech/readouts.h"

#include <array>
#include <string>
#include <string_view>

#include "base/text.h"
#include "core/radio_modes.h"
#include "core/window.h"
#include "speech/player.h"

namespace keldar {

namespace {

// The character at a 1-based position as a phrase name; past the end it is
// the empty name, which plays nothing.
void playCharacter(Panel& panel, std::string_view text, long position) {
  playPhrase(panel, midText(text, position, 1));
}

void playDigit(Panel& panel, int32_t digit) {
  playPhrase(panel, std::to_string(digit));
}

// Frequency decimals: spoken up to the last one that is not zero, within
// the first eleven characters of the display text.
constexpr long kLastFrequencyPosition = 11;

void speakFrequencyDecimals(Panel& panel, std::string_view text, long dot) {
  playPhrase(panel, "point");
  for (long i = dot + 1; i <= kLastFrequencyPosition; ++i) {
    playCharacter(panel, text, i);
    const std::string rest = midText(text, i + 1, kLastFrequencyPosition - i);
    if (textToNumber(rest) == 0) break;
  }
  playPhrase(panel, "mhz");
}

}  // namespace

void speakFrequency(Panel& panel) {
  const PanelState& s = panel.state;
  const std::string text = s.frequencyDisplay.str();
  if (text.empty()) {
    playPhrase(panel, "nc");
    return;
  }
  const long dot = findText(text, ".");
  if (s.vfoB == 0 && s.repeaterMode == 1) playPhrase(panel, "repeater");
  if (s.speakingTxFrequency == 1 && s.repeaterMode == 1) playPhrase(panel, "tx");
  if (s.vfoB == 1 && s.repeaterMode == 0 && s.speakingTxFrequency == 0) playPhrase(panel, "vfob");
  // The display's leading blanks are no phrase.
  for (long i = 1; i < dot; ++i) {
    if (charAt(text, i) != ' ') playCharacter(panel, text, i);
  }
  if (rightText(text, 6) == "000000") {
    playPhrase(panel, "mhz");
    return;
  }
  speakFrequencyDecimals(panel, text, dot);
}

void speakMode(Panel& panel) {
  switch (panel.state.modeIndex) {
    case kLsb:
      playPhrase(panel, "lsb.wav");
      break;
    case kUsb:
      playPhrase(panel, "usb.wav");
      break;
    case kCw:
      playPhrase(panel, "cw.wav");
      break;
    case kAm:
      playPhrase(panel, "am.wav");
      break;
    case kFmNarrow:
      playPhrase(panel, "fm.wav");
      playPhrase(panel, "nar.wav");
      break;
    case kC4fm:
      playPhrase(panel, "c4fm.wav");
      break;
    case kFmWide:
      playPhrase(panel, "fm.wav");
      break;
    default:
      break;
  }
  // A data mode has no recording: its nearest mode, then "data".
  const RadioModeRow* radioMode = currentRadioMode(panel.state);
  if (radioMode != nullptr && radioMode->data) playPhrase(panel, "data.wav");
}

namespace {

// SSB widths 9..21 are 1.8 .. 3.1 kHz.
void speakSsbWidth(Panel& panel, int32_t w) {
  if (w < 11) {
    playPhrase(panel, "1.wav");
  } else if (w <= 19) {
    playPhrase(panel, "2.wav");
  } else {
    playPhrase(panel, "3.wav");
  }
  playPhrase(panel, "point");
  if (w == 9) {
    playPhrase(panel, "8.wav");
  } else if (w == 10) {
    playPhrase(panel, "9.wav");
  } else if (w >= 11 && w <= 19) {
    playPhrase(panel, std::to_string(w - 10));
  } else if (w == 20) {
    playPhrase(panel, "0.wav");
  } else if (w == 21) {
    playPhrase(panel, "1.wav");
  }
  playPhrase(panel, "khz");
}

// Other widths in hertz: 50 Hz per step, 11 is 800 and 12 is 1200.
void speakHertzWidth(Panel& panel, int32_t w) {
  if (w == 11) {
    playPhrase(panel, "8");
    playPhrase(panel, "0");
  } else if (w == 12) {
    playPhrase(panel, "1");
    playPhrase(panel, "2");
    playPhrase(panel, "0");
  } else {
    const int32_t h = w / 2;
    if (h > 0) playPhrase(panel, digitsOf(h));
    playPhrase(panel, 2 * h == w ? "0" : "5");
  }
  playPhrase(panel, "0");
  playPhrase(panel, "hz");
}

}  // namespace

void speakBandwidth(Panel& panel) {
  playPhrase(panel, "bw");
  if (panel.state.modeIndex < kCw) {
    speakSsbWidth(panel, panel.state.widthIndex);
  } else {
    speakHertzWidth(panel, panel.state.widthIndex);
  }
}

void speakPower(Panel& panel) {
  const std::string text = numberToText(panel.state.powerLevel);
  playCharacter(panel, text, 2);
  if (text.size() > 2) playCharacter(panel, text, 3);
  if (text.size() == 4) playCharacter(panel, text, 4);
  playPhrase(panel, "watts");
}

void speakBand(Panel& panel) {
  static constexpr std::array<std::string_view, 15> kBandPhrases = {
      "", "160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70", "un"};
  const int32_t band = panel.state.bandIndex;
  // A band number outside the table says nothing, not a lone "metres".
  if (band < 1 || band > 14) return;
  playPhrase(panel, kBandPhrases[static_cast<std::size_t>(band)]);
  if (band < 14) playPhrase(panel, "metres");
}

namespace {

struct SMeterRow {
  int32_t above;
  std::string_view phrase;
  std::string_view drawn;
};

// First row whose threshold the reading exceeds; the last row takes the rest.
constexpr std::array<SMeterRow, 10> kSMeterRows = {{
    {122, "9.wav", "S9"},
    {108, "8.wav", "S8  "},
    {96, "7.wav", "S7  "},
    {82, "6.wav", "S6  "},
    {68, "5.wav", "S5  "},
    {54, "4.wav", "S4  "},
    {40, "3.wav", "S3  "},
    {20, "2.wav", "S2  "},
    {10, "1.wav", "S1  "},
    {INT32_MIN, "0.wav", "S0  "},
}};

constexpr int32_t kSNinePlusAbove = 156;

}  // namespace

void speakSMeter(Panel& panel) {
  const int32_t r = panel.state.sMeterReading;
  moveTextPosition(panel, 750, 45);
  if (!panel.state.sMeterAnswered) {
    // A meter the radio never answered has no reading: none is shown or said.
    printText(panel, "    ");
    playPhrase(panel, "na");
    return;
  }
  playPhrase(panel, "s.wav");
  const SMeterRow* row = &kSMeterRows.back();
  for (const SMeterRow& candidate : kSMeterRows) {
    if (r > candidate.above) {
      row = &candidate;
      break;
    }
  }
  playPhrase(panel, row->phrase);
  printText(panel, row->drawn);
  if (row != &kSMeterRows.front()) return;
  // Two blanks wipe a "+" an earlier reading left behind.
  if (r > kSNinePlusAbove) {
    playPhrase(panel, "plus.wav");
    printText(panel, "+");
  } else {
    printText(panel, "  ");
  }
}

void refreshSMeterSilently(Panel& panel) {
  panel.state.phraseDir = "xx";
  speakSMeter(panel);
  panel.state.phraseDir = "wave\\";
}

namespace {

struct SwrReading {
  std::string_view units;
  int32_t tenths;
};

// The meter value (0..255) as the SWR it stands for, to one decimal.
SwrReading swrReading(int32_t v) {
  if (v < 50) return {"1", 0};
  if (v < 120) return {"1", (v - 50) / 7};
  if (v < 160) return {"2", (v - 120) / 10};
  if (v < 180) return {"3", (v - 160) / 2};
  if (v < 200) return {"4", toInt32((v - 180) / 2.5)};
  return {"gt5", 0};
}

}  // namespace

std::string swrFigure(const PanelState& state) {
  if (state.swrText.empty()) return "-.-";
  const SwrReading reading = swrReading(toInt32(textToNumber(state.swrText)));
  if (reading.units == "gt5") return ">5";
  return std::string(reading.units) + "." + std::to_string(reading.tenths);
}

void speakSwr(Panel& panel) {
  PanelState& s = panel.state;
  if (s.tunerSetting == 0 && s.txState == 0) return;
  if (s.swrText.empty()) {
    playPhrase(panel, "na");  // the radio has never answered the SWR meter
    return;
  }
  const bool framed = s.swrOnTx < 2;
  if (framed) playPhrase(panel, "SWR");
  const SwrReading reading = swrReading(toInt32(textToNumber(s.swrText)));
  playPhrase(panel, reading.units);
  playPhrase(panel, "point");
  playDigit(panel, reading.tenths);
  if (framed) playPhrase(panel, "21");
  if (s.swrOnTx == 1) s.swrOnTx = 2;
}

void speakAlc(Panel& panel) {
  PanelState& s = panel.state;
  if (s.alcAnnounce == 1) {
    playPhrase(panel, "alc");
    s.alcAnnounce = 2;
  }
  const std::string text = numberToText(s.alcPeak);
  for (long i = 2; i <= static_cast<long>(text.size()); ++i) playCharacter(panel, text, i);
  s.tickCount = 0;
}

void speakKeySpeed(Panel& panel) {
  const int32_t speed = panel.state.keySpeed;
  if (speed > 9) playDigit(panel, speed / 10);
  playDigit(panel, speed % 10);
  playPhrase(panel, "wpm");
}

}  // namespace keldar
