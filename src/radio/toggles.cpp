#include "radio/toggles.h"

#include "cat/exchange.h"
#include "cat/send_text.h"
#include "core/models.h"
#include "display/display.h"
#include "radio/stepping.h"
#include "speech/player.h"

namespace keldar {

namespace {

// After switching a function on, the radio is asked for its level: the
// digits after mnemonic + "0" in the reply; a level that is missing or cut
// short keeps the old value.
void readLevelAfter(Panel& panel, const char* query, const char* mnemonic, long digits,
                    int32_t& level) {
  askRadio(panel, query, Asker::kWork, [mnemonic, digits, &level](const RadioAnswer& answer) {
    if (const auto value = replyNumber(answer.text, mnemonic, 3, digits)) level = *value;
  });
}

// Break-in and VOX switch the same way: name, then on or off.
void toggleOnOff(Panel& panel, const char* name, const char* onCommand, const char* offCommand,
                 int32_t& state) {
  playPhrase(panel, name);
  const char* command = offCommand;
  if (state == 0) {
    command = onCommand;
    state = 1;
    playPhrase(panel, "on");
  } else {
    state = 0;
    playPhrase(panel, "off");
  }
  sendText(panel, command);
  drawStatusLine(panel);
}

}  // namespace

void setPreamp(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "preamp");
  const char* command = "PA00";
  if (s.preampOn == 0) {
    s.levelTarget = 1;
    playPhrase(panel, "on");
    command = s.preampLevel < 2 ? "PA01" : "PA02";
    s.preampOn = 1;
  } else {
    playPhrase(panel, "off");
    s.preampOn = 0;
    s.preampLevel = 0;
    if (s.levelTarget == 1) s.levelTarget = 0;
  }
  sendText(panel, command);
  drawStatusLine(panel);
}

void toggleAttenuator(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "at");
  if (s.bandIndex > 11) {
    playPhrase(panel, "na");
    return;
  }
  const char* command = "RA00";
  if (s.attenuatorOn == 0) {
    command = "RA01";
    playPhrase(panel, "on");
    s.attenuatorOn = 1;
  } else {
    s.attenuatorOn = 0;
    playPhrase(panel, "off");
  }
  sendText(panel, command);
  drawStatusLine(panel);
}

void toggleNoiseBlanker(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "nb");
  if (s.noiseBlankerOn == 0) {
    playPhrase(panel, "on");
    s.noiseBlankerOn = 1;
    s.levelTarget = 2;
    sendText(panel, "NB01");
    readLevelAfter(panel, "NL0", "NL", 3, s.noiseBlankerLevel);
    return;
  }
  playPhrase(panel, "off");
  s.noiseBlankerOn = 0;
  if (s.levelTarget == 2) s.levelTarget = 0;
  sendText(panel, "NB00");
}

void toggleNoiseReduction(Panel& panel) {
  PanelState& s = panel.state;
  // State 9 (the radio gave no answer at set-up) switches off silently.
  if (s.noiseReduction < 2) playPhrase(panel, "nr");
  if (s.noiseReduction == 0) {
    s.noiseReduction = 1;
    s.levelTarget = 3;
    playPhrase(panel, "on");
    sendText(panel, "NR01");
    readLevelAfter(panel, "RL0", "RL", 2, s.noiseReductionLevel);
  } else {
    if (s.levelTarget == 3) s.levelTarget = 0;
    if (s.noiseReduction == 1) playPhrase(panel, "off");
    s.noiseReduction = 0;
    sendText(panel, "NR00");
  }
  drawStatusLine(panel);
}

void toggleNotch(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "notch");
  playPhrase(panel, s.notchOn == 0 ? "on" : "off");
  const char* command = s.notchOn == 0 ? "BC01" : "BC00";
  s.notchOn = 1 - s.notchOn;
  sendText(panel, command);
}

void cycleContour(Panel& panel) {
  PanelState& s = panel.state;
  s.levelTarget = 4;
  const char* command = "CO001200";
  if (s.contourState == 0) {
    s.contourState = 1;
    command = "CO011200";
    playPhrase(panel, "cod");
  } else if (s.contourState == 1) {
    s.contourState = 2;
    command = "CO031200";
    playPhrase(panel, "cop");
  } else {
    s.levelTarget = 0;
    s.pendingMode = kEntryNone;
    playPhrase(panel, "co");
    playPhrase(panel, "off");
    s.contourState = 0;
  }
  sendText(panel, command);
}

void toggleSpeechProcessor(Panel& panel) {
  PanelState& s = panel.state;
  const RadioModel& model = radioModel(s.radioId);
  if (!model.speechProcessorKey) return;
  playPhrase(panel, "spc");
  const char* command;
  if (s.speechProcessor == 0) {
    playPhrase(panel, "on");
    command = model.shortProcessorCmds ? "PR1" : "PR01";
    s.levelTarget = 5;
  } else {
    playPhrase(panel, "off");
    command = model.shortProcessorCmds ? "PR0" : "PR00";
    s.levelTarget = 0;
  }
  sendText(panel, command);
  s.speechProcessor = s.speechProcessor == 0 ? 1 : 0;
  if (s.speechProcessor == 1) readProcessorLevel(panel);
}

void toggleBreakIn(Panel& panel) {
  toggleOnOff(panel, "bkin", "BI1", "BI0", panel.state.breakInOn);
}

void toggleVox(Panel& panel) {
  toggleOnOff(panel, "vox", "VX1", "VX0", panel.state.voxOn);
}

void toggleMonitor(Panel& panel) {
  PanelState& s = panel.state;
  playPhrase(panel, "mon");
  if (s.monitorOn == 0) sendText(panel, "ML1" + s.monitorLevel);
  const char* command;
  if (s.monitorOn == 1) {
    playPhrase(panel, "off");
    command = "ML0000";
    s.monitorOn = 0;
  } else {
    playPhrase(panel, "on");
    command = "ML0001";
    s.monitorOn = 1;
  }
  sendText(panel, command);
}

void cycleTuner(Panel& panel) {
  PanelState& s = panel.state;
  s.tunerArmed = false;
  playPhrase(panel, "tuner");
  if (s.tunerSetting == 1) {
    sendText(panel, "AC001");
    playPhrase(panel, "on");
    s.tunerSetting = 0;
  } else if (s.tunerSetting == 0) {
    sendText(panel, "AC001");
    playPhrase(panel, "both");
    s.tunerSetting = 2;
  } else {
    sendText(panel, "AC000");
    playPhrase(panel, "off");
    s.tunerSetting = 1;
  }
}

}  // namespace keldar
