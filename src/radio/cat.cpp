#include "radio/cat.h"

#include <string>

namespace keldar {

void sendCommand(Panel& panel) {
  PanelState& s = panel.state;
  std::string text = s.commandText.str();
  if (s.vfoB == 1 && text.rfind("FA", 0) == 0) text.replace(0, 2, "FB");
  text += ";";
  s.commandText = text;
  panel.serial.writePort(s.comPort, text.data(), static_cast<int>(text.size()));
  if (s.debugLog == 1) writeDebugLine(panel, "TX=" + text);
}

void readReply(Panel& panel) {
  PanelState& s = panel.state;
  s.replyText = "";
  s.portBytes = panel.serial.bytesWaiting(s.comPort);
  if (s.portBytes < 1) return;
  char buffer[255];
  s.portBytes = panel.serial.readPort(s.comPort, buffer, sizeof buffer);
  if (s.portBytes < 0) s.portBytes = 0;
  s.replyText = std::string_view(buffer, static_cast<std::size_t>(s.portBytes));
  if (s.debugLog == 1 && !s.replyText.empty()) writeDebugLine(panel, "RX=" + s.replyText);
}

// Placeholder until its issue lands.
void widenFrequencyReply(Panel& panel) {
  (void)panel;
}

void writeDebugLine(Panel& panel, std::string_view text) {
  PanelState& s = panel.state;
  if (s.debugLog != 1) return;
  s.debugLine = text;
  writeLine(s.debugFile, s.debugLine);
}

}  // namespace keldar
