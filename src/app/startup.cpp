#include "app/startup.h"

#include <functional>
#include <string>
#include <utility>

#include "app/config.h"
#include "app/events.h"
#include "app/link_watch.h"
#include "base/files.h"
#include "base/text.h"
#include "cat/cat.h"
#include "cat/send_text.h"
#include "cat/work.h"
#include "core/window.h"
#include "display/display.h"
#include "keldar/version.h"
#include "memory/bank_file.h"
#include "radio/apply_mode.h"
#include "radio/setup.h"
#include "radio/stepping.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr int kTimerId = 1;
constexpr int kTimerPeriodMs = 50;
constexpr uint32_t kWakeMs = 600;
constexpr uint32_t kPowerOnMs = 1100;

void greet(Panel& panel) {
  playPhrase(panel, "keldar.wav");
  // The version as it is written: "3.3" is "3", "point", "3".
  for (char c : kVersion) playPhrase(panel, c == '.' ? std::string("point") : std::string(1, c));
}

void drawFixedText(Panel& panel) {
  const PanelState& s = panel.state;
  moveTextPosition(panel, kBannerField.x, kBannerField.y);
  printText(panel, s.bannerText + "\r\n");
  drawHelpLines(panel);
}

void openDebugLog(Panel& panel) {
  PanelState& s = panel.state;
  if (s.debugLog != 1) return;
  // Mode W replaces the log of an earlier run.
  openFile(s.debugFile, panel.path("debug.dat"), "W");
  const LocalTime now = panel.clock.localTime();
  writeDebugLine(panel, "KELDAR " + s.versionText + "  " + dateText(now, "dd-MM-yyyy") + "   " +
                            timeText(now));
  writeDebugLine(panel, "Comport=" + numberToText(s.comPort) +
                            "  Speed=" + numberToText(s.baudRate) + " Baud");
}

// The configuration, the log and what start-up set before the panel is
// initialised survive; every other field goes back to its start value.
void resetStartValues(PanelState& s) {
  PanelState fresh;
  fresh.comPort = s.comPort;
  fresh.baudRate = s.baudRate;
  fresh.powerLevel = s.powerLevel;
  fresh.maxPower = s.maxPower;
  fresh.swrOnTx = s.swrOnTx;
  fresh.tunerSetting = s.tunerSetting;
  fresh.bandCoverage = s.bandCoverage;
  fresh.powerSwitch = s.powerSwitch;
  fresh.dcsAllowed = s.dcsAllowed;
  fresh.shift10m = s.shift10m;
  fresh.shift10mMinus = s.shift10mMinus;
  fresh.shift6m = s.shift6m;
  fresh.shift6mMinus = s.shift6mMinus;
  fresh.shift2m = s.shift2m;
  fresh.shift2mMinus = s.shift2mMinus;
  fresh.shift70cm = s.shift70cm;
  fresh.shift70cmMinus = s.shift70cmMinus;
  fresh.relayPort = s.relayPort;
  fresh.debugLog = s.debugLog;
  fresh.running = s.running;
  fresh.simulationMode = s.simulationMode;
  fresh.versionText = s.versionText;
  fresh.bannerText = s.bannerText;
  fresh.phraseDir = s.phraseDir;
  fresh.panelWindow = s.panelWindow;
  fresh.debugFile = std::move(s.debugFile);
  fresh.currentMessage = s.currentMessage;
  fresh.currentWParam = s.currentWParam;
  s = std::move(fresh);
}

void setDefaultTables(PanelState& s) {
  for (int row = 1; row <= kBandCount; ++row) s.bandTable[row] = kDefaultBandTable[row];
  s.modeCommandLsb = "MD01";
  s.modeCommandUsb = "MD02";
  s.modeCommandCw = "MD03";
  s.modeCommandAm = "MD05";
  s.modeCommandFmNarrow = "MD0B";
  s.modeCommandC4fm = "MD0E";
  s.modeCommandFmWide = "MD04";
  s.modeIndex = kLsb;
  s.serialDataBits = 8;
  s.serialParity = 0;
  s.serialStopBits = 2;
  for (BasicString& channel : s.memoryChannels) channel = "9";
}

// A radio switched off wakes on any byte, then takes "PS1" and needs about
// a second before it answers; then `done`.
void switchRadioOn(Panel& panel, std::function<void()> done) {
  if (panel.state.powerSwitch != 1) {
    done();
    return;
  }
  sendText(panel, "Power on");
  pauseThen(panel, kWakeMs, [&panel, done = std::move(done)]() mutable {
    sendText(panel, "PS1");
    pauseThen(panel, kPowerOnMs, std::move(done));
  });
}

// "FA007100000" is shown as "7.100000": up to two leading zeros of the
// megahertz go.
std::string startFrequencyDisplay(std::string_view command) {
  std::string megahertz = midText(command, 3, 3);
  for (int i = 0; i < 2 && !megahertz.empty() && megahertz.front() == '0'; ++i) {
    megahertz.erase(0, 1);
  }
  return megahertz + "." + rightText(command, 6);
}

// What stopped the start, said before the program ends (stderr has the
// details).
void sayConfigRefused(Panel& panel, const ConfigOutcome& config) {
  if (config.result == ConfigResult::kMissing) {
    playPhrase(panel, "cfgnf");
    return;
  }
  playPhrase(panel, "cfgerr");
  if (config.result == ConfigResult::kNotAFile) {
    playPhrase(panel, "notfile");
    return;
  }
  playPhrase(panel, "line");
  playPhrase(panel, std::to_string(config.line));
}

void runEventLoop(Panel& panel) {
  PanelEventSink sink(panel);
  panel.state.running = true;
  while (panel.state.running) panel.screen.waitForEvents(sink, false);
}

}  // namespace

std::vector<std::string> sharingNotes(const std::string& boundAddress, bool loopbackOnly) {
  std::vector<std::string> notes = {"sharing the radio (rigctld) on " + boundAddress};
  if (!loopbackOnly) {
    notes.push_back("warning: " + boundAddress +
                    " can be reached from other machines; the protocol has no authentication, "
                    "so anyone who reaches the port can key the transmitter");
  }
  return notes;
}

std::string windowTitle() {
  return "*** Keldar Front Panel v" + std::string(kVersion) + " ***";
}

int startUp(Panel& panel, const StartOptions& options) {
  PanelState& s = panel.state;
  s.versionText = kVersion;
  s.bannerText = "*** Keldar V " + s.versionText + " ***";
  s.phraseDir = "wave\\";
  s.panelWindow.open = panel.screen.openWindow(windowTitle(), 250, 100, 950, 500);
  s.simulationMode = 0;
  greet(panel);
  if (options.simulate) {
    s.simulationMode = 1;
    playPhrase(panel, "sim");
  }
  if (const ConfigOutcome config = readConfiguration(panel); !config) {
    // Nothing else is opened: no port, no log, no timer, no memory file.
    sayConfigRefused(panel, config);
    panel.screen.closeWindow();
    s.panelWindow.open = false;
    closeFile(s.debugFile);
    return 1;
  }
  initialisePanel(panel);
  for (const std::string& note : options.logNotes) writeDebugLine(panel, note);
  panel.screen.startTimer(kTimerPeriodMs, kTimerId);
  runEventLoop(panel);
  shutDown(panel);
  return 0;
}

void initialisePanel(Panel& panel) {
  PanelState& s = panel.state;
  drawFixedText(panel);
  openDebugLog(panel);
  resetStartValues(s);
  setDefaultTables(s);
  loadMemoryBanks(panel);
  // The simulated radio leaves every device alone.
  if (s.simulationMode != 1) openRadioPort(panel);
  panel.steps.beginContinuation();
  switchRadioOn(panel, [&panel] {
    tuneStartBand(panel);
    drawFrequencyPanel(panel);
  });
  runWork(panel);
}

void tuneStartBand(Panel& panel) {
  PanelState& s = panel.state;
  // A damaged memory file may name any band; only rows 1..14 exist.
  if (s.bandIndex < 1 || s.bandIndex > kBandCount) s.bandIndex = 4;
  const BasicString& row = s.bandTable[s.bandIndex];
  // Shown at once; the radio is tuned by its set-up, once it has answered.
  s.frequencyDisplay = startFrequencyDisplay("F" + midText(row, 3, 10));
  s.modeIndex = cutToInt32(textToNumber(midText(row, 2, 1)));
  if (s.modeIndex == kFmWide) s.wideFm = true;
  s.savedMode = s.modeIndex;
}

void unkeyTransmitter(Panel& panel) {
  releaseTransmitter(panel);
}

void shutDown(Panel& panel) {
  PanelState& s = panel.state;
  // A close request may come while the space key or a tune keeps the
  // transmitter keyed: it must not stay on the air after the panel is gone.
  unkeyTransmitter(panel);
  panel.screen.stopTimer(kTimerId);
  saveMemoryBanks(panel);
  panel.screen.closeWindow();
  s.panelWindow.open = false;
  if (s.powerSwitch == 1) {
    sendText(panel, "PS0");
    // The loop has ended: nothing else is left to serve meanwhile.
    panel.clock.waitMs(kSettleMs);
  }
  finishSpeech(panel);
  panel.serial.closePort(s.comPort);
  closeFile(s.debugFile);
}

}  // namespace keldar
