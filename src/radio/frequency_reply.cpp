#include "radio/frequency_reply.h"

#include <algorithm>
#include <array>
#include <string>

#include "cat/cat.h"
#include "cat/commanded_state.h"
#include "core/models.h"
#include "core/window.h"
#include "display/display.h"
#include "memory/bank_file.h"
#include "radio/channel_entry.h"
#include "radio/setup.h"
#include "radio/toggles.h"
#include "speech/player.h"
#include "speech/readouts.h"

namespace keldar {

namespace {

constexpr int kVfoMarkX = 80;
constexpr int kFrequencyX = 285;
constexpr int kFrequencyY = 150;
constexpr int kGeneralCoverageBand = 14;

struct BandRange {
  int32_t lowMhz;
  int32_t highMhz;
  int32_t band;
};

constexpr std::array<BandRange, 13> kBandRanges{{
    {1, 1, 1},
    {3, 3, 2},
    {5, 5, 3},
    {7, 7, 4},
    {10, 10, 5},
    {14, 14, 6},
    {18, 18, 7},
    {21, 21, 8},
    {24, 24, 9},
    {28, 29, 10},
    {50, 54, 11},
    {144, 148, 12},
    {430, 449, 13},
}};

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "FA" or "FB", nine digits, ";" — anything else (cut, run together, eight
// digits, garbage) must not reach the band records.
bool isWellFormedFrequencyReply(std::string_view reply) {
  return findText(reply, ";") == 12 && allDigits(midText(reply, 3, 9));
}

}  // namespace

// The radio's first answer: the set-up, then the panel is connected. The
// frequency the set-up tuned is the panel's at once, so the first key after
// "connected" acts.
void connectRadio(Panel& panel) {
  PanelState& s = panel.state;
  if (s.setupRunning) return;
  s.setupRunning = true;
  // It has answered as a radio: the set-up may write to it.
  s.deviceUnproven = false;
  radioSetup(panel, [&panel] {
    PanelState& st = panel.state;
    st.setupRunning = false;
    st.connected = true;
    st.everConnected = true;
    // The set-up has tuned the band: that is where the radio is now, and
    // keys pressed after "connected" act on it.
    if (!st.lastFrequencyCommand.empty()) takeCommandedFrequency(panel, st.lastFrequencyCommand);
    speakFrequency(panel);
    speakMode(panel);
    setPreamp(panel);
    playPhrase(panel, "connected");
  });
}

namespace {

void drawFrequency(Panel& panel) {
  PanelState& s = panel.state;
  moveTextPosition(panel, kVfoMarkX, kFrequencyY);
  if (s.vfoB == 1 && s.repeaterMode == 0) printText(panel, "B   ");
  printText(panel, s.repeaterMode == 1 ? "R   " : "    ");
  if (s.vfoB == 0) printText(panel, "    ");
  moveTextPosition(panel, kFrequencyX, kFrequencyY);
  printText(panel, s.frequencyDisplay.str() + spaceText(13));
}

// True when the program is to end now.
bool advanceQuit(Panel& panel) {
  PanelState& s = panel.state;
  if (s.quitCountdown > 0) s.quitCountdown += 1;
  if (s.quitCountdown <= 2) return false;
  s.quitCountdown = 0;
  const bool saved = saveMemoryBanks(panel);
  closeFile(s.memoryFile);
  if (!saved) {
    // Ending now would lose the channels held only in memory: stay, say so;
    // the next Q ends, saved or not.
    s.quitUnsaved = true;
    playPhrase(panel, "notsaved");
    return false;
  }
  s.running = false;
  return true;
}

void announce(Panel& panel) {
  PanelState& s = panel.state;
  if (s.announceOnReply) {
    s.announceOnReply = false;
    speakFrequency(panel);
    speakMode(panel);
    playPhrase(panel, "preamp");
    playPhrase(panel, s.preampOn == 1 ? "on" : "off");
  }
  if (s.frequencyTracking == 2) speakFrequency(panel);
  if (s.frequencyTracking == 1) s.frequencyTracking = 2;
}

}  // namespace

void handleFrequencyReply(Panel& panel, std::string_view reply) {
  PanelState& s = panel.state;
  if (!s.connected) {
    // The set-up tunes the band and makes its frequency the panel's; without
    // a band frequency of its own, the next answer after it tells where the
    // radio is.
    connectRadio(panel);
    return;
  }
  if (!isWellFormedFrequencyReply(reply)) return;
  s.frequencyReply = leftText(reply, 11);
  const std::string digits = midText(s.frequencyReply, 3, 9);
  if (s.frequencyReply.str().starts_with("FA")) s.vfoAText = "A" + digits;
  if (s.frequencyReply.str().starts_with("FB")) s.vfoBText = "B" + digits;
  saveBandState(panel);
  s.frequency = toInt32(textToNumber(digits));
  s.frequencyDisplay = frequencyFieldText(digits);
  drawFrequency(panel);
  drawStatusLine(panel);
  if (advanceQuit(panel)) return;
  announce(panel);
}

void followCommandedFrequency(Panel& panel, std::string_view command) {
  PanelState& s = panel.state;
  // sendCommand has already made it the panel's frequency; what follows it
  // here is the band it lies in and the display.
  const std::string reply = leftText(command, 11) + ";";
  if (!isWellFormedFrequencyReply(reply) || !isFrequencyReplyText(leftText(reply, 11))) return;
  if (reply.starts_with("FB") != (s.vfoB == 1)) return;
  takeCommandedFrequency(panel, command);
  saveBandState(panel);
  drawFrequency(panel);
}

void bandForFrequency(Panel& panel) {
  PanelState& s = panel.state;
  s.bandRecordValid = true;
  const int32_t mhz = toInt32(textToNumber(rightText(s.frequencyReply, 9))) / 1000000;
  s.bandIndex = kGeneralCoverageBand;
  for (const BandRange& range : kBandRanges) {
    if (mhz >= range.lowMhz && mhz <= range.highMhz) {
      s.bandIndex = range.band;
      break;
    }
  }
  // FM-family modes only from 10 m up, C4FM only from 2 m up.
  if (s.bandIndex < 10 && s.modeIndex > kAm) s.bandRecordValid = false;
  if (s.bandIndex < 12 && s.modeIndex == kC4fm) s.bandRecordValid = false;
}

void rememberBandMode(Panel& panel) {
  if (panel.state.relayActive) return;
  storeBandMode(panel.state);
}

void storeBandMode(PanelState& s) {
  if (s.bandIndex < 1 || s.bandIndex > kBandCount || !isPanelMode(s.modeIndex)) return;
  BasicString& record = s.bandTable[static_cast<std::size_t>(s.bandIndex)];
  // Only the mode digit changes; the record keeps its length and layout.
  if (record.size() < 2) return;
  std::string text = record.str();
  text[1] = static_cast<char>('0' + s.modeIndex);
  record = text;
}

void takeRadioNews(Panel& panel, const RadioAnswer& answer) {
  const std::string& text = answer.text;
  if (text.starts_with("FA") || text.starts_with("FB")) {
    handleFrequencyReply(panel, text);
  } else if (text.starts_with("ID")) {
    takeIdentity(panel, text);
  }
}

void takeIdentity(Panel& panel, std::string_view answer) {
  PanelState& s = panel.state;
  const std::optional<int32_t> id = radioIdFromReply(answer);
  if (!id) return;
  if (!s.deviceUnproven) {
    // An unknown model is filled in; a known one stays as the set-up read it.
    if (s.radioId == 0) s.radioId = *id;
    return;
  }
  s.radioId = *id;
  connectRadio(panel);
}

}  // namespace keldar
