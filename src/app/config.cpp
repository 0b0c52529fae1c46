#include "app/config.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "base/files.h"
#include "base/text.h"
#include "base/trace.h"

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

// The model is not known before the radio answers, and no model the panel
// knows goes above 100 W: the power line is checked against that.
constexpr int32_t kHighestPower = 100;
constexpr int32_t kLowestPower = 5;
constexpr std::array<int32_t, 8> kSpeeds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string trimmedRight(std::string_view text) {
  std::string out(text);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

std::optional<ConfigProblem> refuse(std::string holds, std::string allowed) {
  return ConfigProblem{0, {}, std::move(holds), std::move(allowed)};
}

std::optional<ConfigProblem> checkDigitIn(std::string_view line, long position,
                                          std::string_view allowedDigits, std::string allowed) {
  const std::string taken = midText(line, position, 1);
  if (taken.size() == 1 && allowedDigits.find(taken[0]) != std::string_view::npos) return {};
  return refuse(taken, std::move(allowed));
}

std::optional<ConfigProblem> checkPort(std::string_view line, std::size_t twoDigitLength,
                                       std::string allowed) {
  const std::string taken = rightText(line, line.size() == twoDigitLength ? 2 : 1);
  if (allDigits(taken)) return {};
  return refuse(taken, std::move(allowed));
}

std::optional<ConfigProblem> checkSpeed(std::string_view line) {
  const std::string taken = midText(line, 7);
  const int32_t speed = numberOf(taken);
  for (int32_t allowed : kSpeeds) {
    if (speed == allowed && !taken.empty() && taken[0] >= '0' && taken[0] <= '9') return {};
  }
  return refuse(taken,
                "a speed from the 7th character: 1200, 2400, 4800, 9600, 19200, 38400, "
                "57600 or 115200");
}

std::optional<ConfigProblem> checkPower(std::string_view line) {
  const std::string allowed = "watts from " + std::to_string(kLowestPower) + " to " +
                              std::to_string(kHighestPower) +
                              " as the last characters of a line of 7 to 9 (\"Power=100\")";
  if (line.size() < 7 || line.size() > 9) return refuse(std::string(line), allowed);
  const std::string taken = rightText(line, static_cast<long>(line.size()) - 6);
  const int32_t watts = numberOf(taken);
  if (allDigits(taken) && watts >= kLowestPower && watts <= kHighestPower) return {};
  return refuse(taken, allowed);
}

// A sign at signAt ("+" or "-") and the shift's digits right after it.
std::optional<ConfigProblem> checkShift(std::string_view line, long signAt, long width) {
  const std::string allowed = "\"+\" or \"-\" at character " + std::to_string(signAt) +
                              ", then up to " + std::to_string(width) + " digits of kHz";
  const char sign = charAt(line, signAt);
  const std::string digits = trimmedRight(midText(line, signAt + 1, width));
  if ((sign == '+' || sign == '-') && allDigits(digits)) return {};
  return refuse(midText(line, signAt, width + 1), allowed);
}

std::optional<ConfigProblem> checkLine(int lineNumber, std::string_view line) {
  switch (lineNumber) {
    case 1:
      return checkPort(line, 6, "the radio's port number at the end (\"COM=3\", \"COM=12\")");
    case 2:
      return checkSpeed(line);
    case 3:
      return checkPower(line);
    case 4:
      return checkDigitIn(line, 5, "012", "0, 1 or 2 at the 5th character");
    case 5:
      return checkDigitIn(line, 5, "012", "0, 1 or 2 at the 5th character");
    case 6:
      return checkDigitIn(line, 9, "1627", "1, 6, 2 or 7 at the 9th character");
    case 7:
      return checkDigitIn(line, 8, "01", "0 or 1 at the 8th character");
    case 8:
      return checkDigitIn(line, 5, "01", "0 or 1 at the 5th character");
    case 9:
      return checkShift(line, 7, 3);
    case 10:
    case 11:
      return checkShift(line, 6, 3);
    case 12:
      return checkShift(line, 7, 4);
    case 13:
      return checkPort(line, 9, "the relay's port number at the end, 0 for none (\"Relay=0\")");
    case 14:
      return checkDigitIn(line, 7, "01", "0 or 1 at the 7th character");
    default:
      return {};
  }
}

}  // namespace

std::optional<ConfigProblem> checkConfigLine(int lineNumber, std::string_view line) {
  std::optional<ConfigProblem> problem = checkLine(lineNumber, line);
  if (problem) {
    problem->line = lineNumber;
    problem->text = std::string(line);
  }
  return problem;
}

std::string describeConfigProblem(const ConfigProblem& p) {
  if (p.missing)
    return "keldar: keldar.cfg line " + std::to_string(p.line) + " is missing (" +
           std::to_string(kConfigLineCount) + " lines are needed)";
  return "keldar: keldar.cfg line " + std::to_string(p.line) + " \"" + Trace::escape(p.text) +
         "\" holds \"" + Trace::escape(p.holds) + "\"; allowed: " + p.allowed;
}

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

ConfigOutcome readConfiguration(Panel& panel) {
  PanelState& s = panel.state;
  const std::string path = panel.path("keldar.cfg");
  std::error_code ec;
  const std::string folder = std::filesystem::absolute(path, ec).parent_path().string();
  // Only a plain file: a directory reads as empty and a FIFO would block.
  if (const std::string kind = nonFileKind(path); !kind.empty()) {
    std::cerr << "keldar: keldar.cfg in " << folder << " is " << kind << ", not a plain file\n";
    return {ConfigResult::kNotAFile};
  }
  errno = 0;
  if (openFile(s.configFile, path, "R") != 0) {
    const bool exists = std::filesystem::exists(path, ec);
    std::cerr << "keldar: keldar.cfg " << (exists ? "cannot be read" : "not found") << " in "
              << folder;
    if (exists && errno != 0) std::cerr << ": " << std::strerror(errno);
    std::cerr << "\n";
    return {ConfigResult::kMissing};
  }
  ConfigOutcome outcome;
  for (int line = 1; line <= kConfigLineCount; ++line) {
    const bool read = readLine(s.configFile, s.commandText) == 0;
    // A file saved by an editor that marks UTF-8 starts with the mark.
    if (line == 1 && s.commandText.str().starts_with(kByteOrderMark)) {
      s.commandText = midText(s.commandText, 4);
    }
    std::optional<ConfigProblem> problem =
        read ? checkConfigLine(line, s.commandText) : ConfigProblem{line, {}, {}, {}, true};
    if (problem) {
      std::cerr << describeConfigProblem(*problem) << "\n";
      outcome = {ConfigResult::kRefused, line};
      break;
    }
    applyConfigLine(s, line, s.commandText);
  }
  closeFile(s.configFile);
  if (outcome) dropRelayOnRadioPort(s);
  return outcome;
}

}  // namespace keldar
