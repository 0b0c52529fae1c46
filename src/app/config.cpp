#include "app/config.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "runtime/files.h"
#include "runtime/text.h"

namespace keldar {

namespace {

int32_t numberOf(std::string_view text) {
  return cutToInt32(textToNumber(text));
}

// The last two characters of a line of exactly twoDigitLength characters,
// otherwise its last character: how the port lines hold one- and two-digit
// port numbers.
int32_t portNumberOf(std::string_view line, std::size_t twoDigitLength) {
  return numberOf(rightText(line, line.size() == twoDigitLength ? 2 : 1));
}

// The digit at a fixed position as a number; nothing there gives 0.
int32_t digitAt(std::string_view line, long position) {
  return numberOf(midText(line, position, 1));
}

int32_t minusAt(std::string_view line, long position) {
  return charAt(line, position) == '-' ? 1 : 0;
}

void takePower(PanelState& s, std::string_view line) {
  if (line.size() >= 7 && line.size() <= 9) {
    s.powerLevel = numberOf(rightText(line, static_cast<long>(line.size()) - 6));
  }
  if (s.powerLevel < 5) s.powerLevel = 5;
  s.maxPower = s.powerLevel;
}

}  // namespace

std::string normaliseShift(std::string_view text, std::size_t longest) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (digits.size() > longest) digits.resize(longest);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return digits;
}

void applyConfigLine(PanelState& s, int lineNumber, std::string_view line) {
  switch (lineNumber) {
    case 1:
      // "COM=tcp:HOST:PORT": the radio behind a serial-over-network server.
      if (line.starts_with("COM=tcp:")) {
        s.radioAddress = line.substr(4);
        s.comPort = 1;
      } else {
        s.comPort = portNumberOf(line, 6);
      }
      break;
    case 2:
      s.baudRate = numberOf(midText(line, 7));
      break;
    case 3:
      takePower(s, line);
      break;
    case 4:
      s.swrOnTx = digitAt(line, 5);
      break;
    case 5:
      s.tunerSetting = digitAt(line, 5);
      break;
    case 6:
      s.bandCoverage = midText(line, 9, 1);
      break;
    case 7:
      s.powerSwitch = digitAt(line, 8);
      break;
    case 8:
      s.dcsAllowed = digitAt(line, 5);
      break;
    case 9:
      s.shift10mMinus = minusAt(line, 7);
      s.shift10m = normaliseShift(midText(line, 8, 3), 3);
      break;
    case 10:
      s.shift6mMinus = minusAt(line, 6);
      s.shift6m = normaliseShift(midText(line, 7, 3), 3);
      break;
    case 11:
      s.shift2mMinus = minusAt(line, 6);
      s.shift2m = normaliseShift(midText(line, 7, 3), 3);
      break;
    case 12:
      s.shift70cmMinus = minusAt(line, 7);
      s.shift70cm = normaliseShift(midText(line, 8, 4), 4);
      break;
    case 13:
      s.relayPort = portNumberOf(line, 9);
      break;
    case 14:
      s.debugLog = digitAt(line, 7);
      break;
    default:
      break;
  }
}

void dropRelayOnRadioPort(PanelState& s) {
  if (s.relayPort == 0 || s.relayPort != s.comPort) return;
  std::cerr << "keldar: keldar.cfg line 13: the relay port " << s.relayPort
            << " is the radio's own port; running without a relay\n";
  s.relayPort = 0;
}

bool readConfiguration(Panel& panel) {
  PanelState& s = panel.state;
  const std::string path = panel.path("keldar.cfg");
  // Only a plain file: a directory reads as empty and a FIFO would block.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  if (openFile(s.configFile, path, "R") != 0) return false;
  for (int line = 1; line <= kConfigLineCount; ++line) {
    // Past the end the reader yields empty lines, which read as 0.
    readLine(s.configFile, s.commandText);
    applyConfigLine(s, line, s.commandText);
  }
  closeFile(s.configFile);
  dropRelayOnRadioPort(s);
  return true;
}

}  // namespace keldar
