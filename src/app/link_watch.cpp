#include "app/link_watch.h"

#include "cat/cat.h"
#include "cat/exchange.h"
#include "speech/player.h"

namespace keldar {

namespace {

// About two seconds without an answer, with polls sent meanwhile (one at a
// time, each waiting up to its deadline): a radio that was not asked cannot
// be missed.
constexpr int32_t kSilentPolls = 2;
constexpr uint32_t kSilentMs = 2000;
constexpr uint32_t kRetryMs = 1000;

bool radioGone(Panel& panel) {
  PanelState& s = panel.state;
  if (panel.serial.portLost(s.comPort)) return true;
  return s.unansweredPolls >= kSilentPolls && panel.clock.tickMs() - s.lastAnswerMs >= kSilentMs;
}

void loseRadio(Panel& panel) {
  PanelState& s = panel.state;
  s.linkLost = true;
  // The set-up runs again at the radio's next frequency answer.
  s.connected = false;
  s.deviceUnproven = true;
  s.lastRetryMs = panel.clock.tickMs();
  writeDebugLine(panel, "*** radio lost");
  playPhrase(panel, "lost");
  // Nothing more will answer: the work waiting for answers goes on without.
  abandonQueries(panel);
}

}  // namespace

void openRadioPort(Panel& panel) {
  PanelState& s = panel.state;
  panel.serial.closePort(s.comPort);
  s.radioPortOpen = panel.serial.openPort(s.comPort, s.baudRate) == 1;
  s.deviceUnproven = true;
  panel.serial.setReadTimeouts(s.comPort, -1);
  panel.serial.setLineFormat(s.comPort, s.serialDataBits, s.serialParity, s.serialStopBits);
}

void watchLink(Panel& panel) {
  PanelState& s = panel.state;
  // No device to watch: the simulated radio, or no port configured.
  if (s.simulationMode == 1 || s.comPort <= 0) return;
  if (!s.linkLost && s.connected) {
    if (radioGone(panel)) loseRadio(panel);
    return;
  }
  if (!s.linkLost && s.unansweredPolls < kSilentPolls) return;
  if (s.connected) {
    // Set up again and "connected" said: watched as before.
    s.linkLost = false;
    s.unansweredPolls = 0;
    s.lastAnswerMs = panel.clock.tickMs();
    writeDebugLine(panel, "*** radio found");
    return;
  }
  // Lost, or never heard since start (a radio plugged in or switched on
  // later): a re-plugged USB radio comes back under the same COM<n> path; a
  // radio merely switched off answers on the port as it is.
  if (panel.clock.tickMs() - s.lastRetryMs < kRetryMs) return;
  // A radio that has just answered is being set up over the port as it is:
  // opening it again now would cut that set-up off.
  if (s.setupRunning || panel.clock.tickMs() - s.lastAnswerMs < kRetryMs) return;
  // A port that is open and whole (a radio switched off behind a cable or a
  // network link) is asked again as it is: reopening it would drop what is
  // on its way back.
  if (s.radioPortOpen && !panel.serial.portLost(s.comPort)) return;
  s.lastRetryMs = panel.clock.tickMs();
  openRadioPort(panel);
}

}  // namespace keldar
