#include "share/network_reads.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/models.h"
#include "core/radio_modes.h"
#include "core/record_checks.h"
#include "share/shared_settings.h"

namespace keldar {

namespace {

using rigctld::Answer;
using rigctld::Command;
using rigctld::failure;

Answer valuesOf(std::vector<std::pair<std::string, std::string>> values) {
  Answer answer;
  answer.values = std::move(values);
  return answer;
}

Answer frequencyAnswer(const PanelState& s, char vfo, const char* label) {
  const int32_t hertz = knownFrequency(s, vfo);
  if (hertz <= 0) return failure(rigctld::kNotAvailable);
  return valuesOf({{label, std::to_string(hertz)}});
}

char modeCode(const PanelState& s) {
  const RadioModeRow* mode = currentRadioMode(s);
  return mode != nullptr ? mode->code : 0;
}

std::string modeText(const PanelState& s) {
  return rigctld::modeNameOf(modeCode(s));
}

std::string widthText(const PanelState& s) {
  return std::to_string(rigctld::passbandHertz(s.modeIndex, s.widthIndex));
}

std::string fraction(int32_t value, int32_t top) {
  return rigctld::fractionText(std::clamp(static_cast<double>(value) / top, 0.0, 1.0));
}

Answer levelAnswer(const PanelState& s, std::string_view name) {
  if (name == "STRENGTH")
    return valuesOf({{"", std::to_string(rigctld::strengthDb(s.sMeterReading))}});
  if (name == "RFPOWER") return valuesOf({{"", fraction(s.powerLevel, std::max(s.maxPower, 5))}});
  if (name == "AF") return valuesOf({{"", fraction(s.afGain, 255)}});
  if (name == "RF") return valuesOf({{"", fraction(s.rfGain, 255)}});
  if (name == "SQL") return valuesOf({{"", fraction(s.squelchLevel, 100)}});
  if (name == "COMP") {
    return valuesOf({{"", fraction(s.processorLevel, radioModel(s.radioId).processorMax)}});
  }
  return failure(rigctld::kInvalid);
}

bool split(const PanelState& s) {
  return s.vfoB == 1;
}

Answer vfoInfo(const PanelState& s, std::string_view name) {
  const char vfo = name == "VFOB" || name == "Sub" ? 'B' : 'A';
  if (name != "VFOA" && name != "Main" && name != "currVFO" && vfo != 'B') {
    return failure(rigctld::kInvalid);
  }
  const int32_t hertz = knownFrequency(s, vfo);
  return valuesOf({{"Freq", std::to_string(std::max(hertz, 0))},
                   {"Mode", modeText(s)},
                   {"Width", widthText(s)},
                   {"Split", split(s) ? "1" : "0"},
                   {"SatMode", "0"}});
}

// Hamlib's CRC-32, so that a client may tell when the information changed.
uint32_t crc32Of(std::string_view text) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char c : text) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string hex8(uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xFu];
  return out;
}

// The receive VFO is A; the transmit VFO is B while split.
Answer rigInfo(const PanelState& s) {
  const auto line = [&](char vfo, bool rx, bool tx) {
    const bool a = vfo == 'A';
    return std::string("VFO=VFO") + vfo +
           " Freq=" + std::to_string(std::max(knownFrequency(s, vfo), 0)) +
           " Mode=" + (a ? modeText(s) : "None") + " Width=" + (a ? widthText(s) : "0") +
           " RX=" + (rx ? "1" : "0") + " TX=" + (tx ? "1" : "0") + "\n";
  };
  std::string body = line('A', true, !split(s)) + line('B', false, split(s));
  body += std::string("Split=") + (split(s) ? "1" : "0") + " SatMode=0\n";
  body += "Rig=Yaesu " + std::to_string(s.radioId) + "\nApp=Keldar\nVersion=3.3b\n";
  body += "CRC=" + hex8(crc32Of(body)) + "\n\n";
  Answer answer;
  answer.body = body;
  return answer;
}

// What needs no radio: the capabilities, the VFO choice, the power state.
std::optional<Answer> answerWithoutRadio(const PanelState& s, char& vfo,
                                         const rigctld::Request& r) {
  switch (r.command) {
    case Command::kCheckVfo:
      return valuesOf({{"", "0"}});  // commands carry no VFO argument
    case Command::kDumpState: {
      Answer answer;
      answer.body = rigctld::dumpState({s.maxPower});
      return answer;
    }
    case Command::kGetPowerStat:
      return valuesOf({{"Power Status", s.connected ? "1" : "0"}});
    case Command::kGetLockMode:
      // Hamlib's client asks before each mode setting and sets nothing
      // unless the answer is "not locked".
      return valuesOf({{"Locked", "0"}});
    case Command::kGetVfo:
      return valuesOf({{"VFO", vfo == 'B' ? "VFOB" : "VFOA"}});
    case Command::kSetVfo: {
      const std::string& name = r.args[0];
      if (name == "VFOA" || name == "Main" || name == "currVFO") {
        vfo = 'A';
      } else if (name == "VFOB" || name == "Sub") {
        vfo = 'B';
      } else {
        return failure(rigctld::kInvalid);
      }
      return Answer{};
    }
    case Command::kQuit:
      return Answer{};
    default:
      return std::nullopt;
  }
}

int32_t readingFor(const PanelState& s, std::string_view query) {
  if (query == "RM6") return s.swrReading;
  if (query == "RM4") return s.alcReading;
  return s.compReading;
}

}  // namespace

void takeMeterAnswer(PanelState& s, std::string_view answer) {
  if (answer.size() < 6 || !answer.starts_with("RM") || !isDigitText(answer.substr(3, 3))) return;
  const int32_t reading = toInt32(textToNumber(answer.substr(3, 3)));
  if (answer[2] == '6') s.swrReading = reading;
  if (answer[2] == '4') s.alcReading = reading;
  if (answer[2] == '3') s.compReading = reading;
  s.meterReadings += 1;
}

std::string meterQueryOf(std::string_view level) {
  if (level == "SWR") return "RM6";
  if (level == "ALC") return "RM4";
  if (level == "COMP_METER") return "RM3";
  return {};
}

bool meterPolled(const PanelState& s, std::string_view query) {
  if (query == "RM6") return s.tuneActive || s.txState > 0;
  if (query == "RM4") return s.alcAnnounce >= 1;
  return false;
}

std::optional<Answer> meterAnswer(const PanelState& s, std::string_view level) {
  const std::string query = meterQueryOf(level);
  const int32_t reading = readingFor(s, query);
  if (reading < 0) return std::nullopt;
  double value = rigctld::compressionDb(reading);
  if (query == "RM6") value = rigctld::swrRatio(reading);
  if (query == "RM4") value = rigctld::alcFraction(reading);
  return valuesOf({{"", rigctld::fractionText(value)}});
}

Answer answerRead(Panel& panel, char& vfo, const rigctld::Request& r) {
  const PanelState& s = panel.state;
  if (r.command == Command::kUnknown) return failure(rigctld::kNotImplemented);
  if (r.args.size() < rigctld::argumentCount(r.command)) return failure(rigctld::kInvalid);
  if (std::optional<Answer> answer = answerWithoutRadio(s, vfo, r)) return *answer;
  if (!s.connected) return failure(rigctld::kTimedOut);
  switch (r.command) {
    case Command::kGetFreq:
      return frequencyAnswer(s, vfo, "Frequency");
    case Command::kGetSplitFreq:
      return frequencyAnswer(s, 'B', "TX Frequency");
    case Command::kGetMode:
      return valuesOf({{"Mode", modeText(s)}, {"Passband", widthText(s)}});
    case Command::kGetPtt: {
      const bool keyed = s.txState > 0 || s.tuneActive || s.relayKeyed;
      return valuesOf({{"PTT", keyed ? "1" : "0"}});
    }
    case Command::kGetSplitVfo:
      return valuesOf({{"Split", split(s) ? "1" : "0"}, {"TX VFO", split(s) ? "VFOB" : "VFOA"}});
    case Command::kGetLevel:
      if (!meterQueryOf(r.args[0]).empty()) {
        return meterAnswer(s, r.args[0]).value_or(failure(rigctld::kTimedOut));
      }
      return levelAnswer(s, r.args[0]);
    case Command::kGetVfoInfo:
      return vfoInfo(s, r.args[0]);
    case Command::kGetRigInfo:
      return rigInfo(s);
    default:
      return failure(rigctld::kNotImplemented);
  }
}

}  // namespace keldar
