#include "radio/rigctld.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace keldar::rigctld {

namespace {

struct CommandRow {
  char letter;  // 0: reached by its long name only
  std::string_view name;
  Command command;
  std::size_t args;
  bool setting;
};

// The selector of the client's own VFO (V) changes nothing at the radio.
constexpr std::array<CommandRow, 20> kCommands{{
    {'f', "get_freq", Command::kGetFreq, 0, false},
    {'F', "set_freq", Command::kSetFreq, 1, true},
    {'m', "get_mode", Command::kGetMode, 0, false},
    {'M', "set_mode", Command::kSetMode, 2, true},
    {'v', "get_vfo", Command::kGetVfo, 0, false},
    {'V', "set_vfo", Command::kSetVfo, 1, false},
    {'t', "get_ptt", Command::kGetPtt, 0, false},
    {'T', "set_ptt", Command::kSetPtt, 1, true},
    {'s', "get_split_vfo", Command::kGetSplitVfo, 0, false},
    {'S', "set_split_vfo", Command::kSetSplitVfo, 2, true},
    {'i', "get_split_freq", Command::kGetSplitFreq, 0, false},
    {'I', "set_split_freq", Command::kSetSplitFreq, 1, true},
    {'l', "get_level", Command::kGetLevel, 1, false},
    {'L', "set_level", Command::kSetLevel, 2, true},
    {0, "get_powerstat", Command::kGetPowerStat, 0, false},
    {0, "get_lock_mode", Command::kGetLockMode, 0, false},
    {0, "chk_vfo", Command::kCheckVfo, 0, false},
    {0, "dump_state", Command::kDumpState, 0, false},
    {'q', "quit", Command::kQuit, 0, false},
    {'Q', "quit", Command::kQuit, 0, false},
}};

const CommandRow* rowOf(Command command) {
  for (const CommandRow& row : kCommands) {
    if (row.command == command) return &row;
  }
  return nullptr;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> wordsOf(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

// Whole text as a number, nothing else around it.
std::optional<double> numberOf(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string hexText(uint64_t value) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return "0x" + std::string(digits.data(), result.ptr);
}

// Hamlib's bits for modes and levels, as its network client reads them.
constexpr uint64_t kModeAm = 0x1;
constexpr uint64_t kModeCw = 0x2;
constexpr uint64_t kModeSsb = 0x4 | 0x8;
constexpr uint64_t kModeFm = 0x20;
constexpr uint64_t kModes = kModeAm | kModeCw | kModeSsb | kModeFm;
constexpr uint64_t kLevelAf = 1ULL << 3;
constexpr uint64_t kLevelRf = 1ULL << 4;
constexpr uint64_t kLevelSql = 1ULL << 5;
constexpr uint64_t kLevelRfPower = 1ULL << 12;
constexpr uint64_t kLevelStrength = 1ULL << 30;
constexpr uint64_t kSetLevels = kLevelAf | kLevelRf | kLevelSql | kLevelRfPower;
constexpr uint64_t kVfoAB = 0x3;
constexpr int kPttByCat = 1;

struct Range {
  int64_t low, high;
};
// The amateur bands the panel knows, where the transmitter may be used.
constexpr std::array<Range, 13> kTransmitRanges{{
    {1800000, 2000000},
    {3500000, 4000000},
    {5250000, 5450000},
    {7000000, 7300000},
    {10100000, 10150000},
    {14000000, 14350000},
    {18068000, 18168000},
    {21000000, 21450000},
    {24890000, 24990000},
    {28000000, 29700000},
    {50000000, 54000000},
    {144000000, 148000000},
    {430000000, 450000000},
}};

std::string rangeLine(Range r, int lowMw, int highMw) {
  return std::to_string(r.low) + ".000000 " + std::to_string(r.high) + ".000000 " +
         hexText(kModes) + " " + std::to_string(lowMw) + " " + std::to_string(highMw) + " " +
         hexText(kVfoAB) + " 0x1\n";
}

struct SMeterPoint {
  int32_t reading, db;
};
// The panel's own S scale (S1 above 10 ... S9 above 122, "plus" above 156),
// 6 dB per S unit, and full scale 60 dB over S9.
constexpr std::array<SMeterPoint, 12> kSMeterScale{{
    {0, -54},
    {10, -48},
    {20, -42},
    {40, -36},
    {54, -30},
    {68, -24},
    {82, -18},
    {96, -12},
    {108, -6},
    {122, 0},
    {156, 20},
    {255, 60},
}};

}  // namespace

Request parseLine(std::string_view line) {
  Request request;
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i < line.size() && std::string_view("+;|,").find(line[i]) != std::string_view::npos) {
    request.extended = true;
    request.separator = line[i] == '+' ? '\n' : line[i];
    ++i;
  }
  line.remove_prefix(i);
  std::string word;
  if (!line.empty() && line[0] == '\\') {
    std::size_t end = 1;
    while (end < line.size() && !isBlank(line[end])) ++end;
    word = std::string(line.substr(1, end - 1));
    line.remove_prefix(end);
    for (const CommandRow& row : kCommands) {
      if (row.name == word) request.command = row.command;
    }
  } else if (!line.empty()) {
    word = std::string(1, line[0]);
    for (const CommandRow& row : kCommands) {
      if (row.letter != 0 && row.letter == line[0]) request.command = row.command;
    }
    line.remove_prefix(1);
  }
  const CommandRow* row = rowOf(request.command);
  request.name = row != nullptr ? std::string(row->name) : word;
  request.args = wordsOf(line);
  return request;
}

bool isSetting(Command command) {
  const CommandRow* row = rowOf(command);
  return row != nullptr && row->setting;
}

std::size_t argumentCount(Command command) {
  const CommandRow* row = rowOf(command);
  return row != nullptr ? row->args : 0;
}

Answer failure(int error) {
  Answer answer;
  answer.error = error;
  return answer;
}

std::string formatAnswer(const Request& request, const Answer& answer) {
  const std::string report = "RPRT " + std::to_string(answer.error == 0 ? 0 : -answer.error) + "\n";
  if (request.command == Command::kQuit || request.command == Command::kUnknown) return report;
  if (request.command == Command::kCheckVfo && answer.error == 0) {
    return (request.extended ? "ChkVFO: " : "") + answer.values.front().second + "\n";
  }
  if (!request.extended) {
    if (answer.error != 0) return report;
    if (!answer.body.empty()) return answer.body;
    if (answer.values.empty()) return report;
    std::string out;
    for (const auto& [label, value] : answer.values) out += value + "\n";
    return out;
  }
  std::string out = request.name + ":";
  for (const std::string& arg : request.args) out += " " + arg;
  out += request.separator;
  if (answer.error == 0) {
    out += answer.body;
    for (const auto& [label, value] : answer.values) {
      out += (label.empty() ? value : label + ": " + value) + request.separator;
    }
  }
  return out + report;
}

std::string dumpState(const Capabilities& caps) {
  const int highMw = std::max(caps.maxPowerWatts, 5) * 1000;
  std::string out = "1\n2\n0\n";  // protocol 1, the network model, no ITU region
  out += rangeLine({30000, 470000000}, -1, -1);
  out += "0 0 0 0 0 0 0\n";
  for (const Range& r : kTransmitRanges) out += rangeLine(r, 5000, highMw);
  out += "0 0 0 0 0 0 0\n";
  out += hexText(kModes) + " 10\n0 0\n";
  // Per mode its normal width first, then narrow and wide.
  out += "0xc 2400\n0xc 1800\n0xc 3100\n0x2 500\n0x2 50\n0x2 1200\n0x1 6000\n";
  out += "0x20 16000\n0x20 9000\n0 0\n";
  out += "0\n0\n0\n0\n\n\n";  // no RIT, XIT, IF shift, announcements, preamp or attenuator steps
  out += "0x0\n0x0\n" + hexText(kSetLevels | kLevelStrength) + "\n" + hexText(kSetLevels) +
         "\n0x0\n0x0\n";
  out += "vfo_ops=0x0\nptt_type=" + hexText(kPttByCat) +
         "\ntargetable_vfo=0x0\nhas_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\nhas_get_freq=1\n"
         "done\n";
  return out;
}

std::optional<int32_t> parseHertz(std::string_view text) {
  const std::optional<double> value = numberOf(text);
  if (!value) return std::nullopt;
  const double hertz = std::nearbyint(*value);
  if (hertz < 1 || hertz > 999999999) return std::nullopt;
  return static_cast<int32_t>(hertz);
}

std::optional<double> parseFraction(std::string_view text) {
  const std::optional<double> value = numberOf(text);
  if (!value || *value < 0 || *value > 1) return std::nullopt;
  return value;
}

std::string fractionText(double value) {
  std::array<char, 32> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                    std::chars_format::fixed, 6);
  return std::string(digits.data(), result.ptr);
}

std::string modeName(int32_t modeIndex) {
  static constexpr std::array<const char*, 8> kNames = {"",   "LSB", "USB",  "CW",
                                                        "AM", "FM",  "C4FM", "FM"};
  return modeIndex >= 1 && modeIndex <= 7 ? kNames[static_cast<std::size_t>(modeIndex)] : "";
}

int32_t modeForName(std::string_view name, int32_t passband, int32_t currentMode) {
  if (name == "LSB") return 1;
  if (name == "USB") return 2;
  if (name == "CW") return 3;
  if (name == "AM") return 4;
  if (name == "FMN") return 5;
  if (name != "FM") return 0;
  if (passband > 0) return passband <= 12500 ? 5 : 7;
  return currentMode == 7 ? 7 : 5;
}

int32_t passbandHertz(int32_t modeIndex, int32_t widthIndex) {
  switch (modeIndex) {
    case 1:
    case 2: {
      // 1.8 and 1.9 kHz, then 2.1 .. 3.1 kHz.
      const int32_t w = std::clamp(widthIndex, 9, 21);
      return w <= 10 ? 1800 + (w - 9) * 100 : 2000 + (w - 10) * 100;
    }
    case 3: {
      const int32_t w = std::clamp(widthIndex, 1, 12);
      return w == 11 ? 800 : w == 12 ? 1200 : w * 50;
    }
    case 4:
      return 6000;
    case 5:
      return 9000;
    case 6:
      return 12500;
    default:
      return 16000;
  }
}

int32_t widthForPassband(int32_t modeIndex, int32_t hertz) {
  const bool cw = modeIndex == 3;
  int32_t best = cw ? 1 : 9;
  for (int32_t w = best; w <= (cw ? 12 : 21); ++w) {
    if (std::abs(passbandHertz(modeIndex, w) - hertz) <
        std::abs(passbandHertz(modeIndex, best) - hertz)) {
      best = w;
    }
  }
  return best;
}

int32_t strengthDb(int32_t reading) {
  reading = std::clamp(reading, 0, 255);
  for (std::size_t i = 1; i < kSMeterScale.size(); ++i) {
    const SMeterPoint low = kSMeterScale[i - 1];
    const SMeterPoint high = kSMeterScale[i];
    if (reading > high.reading) continue;
    const double part = static_cast<double>(reading - low.reading) / (high.reading - low.reading);
    return static_cast<int32_t>(std::lround(low.db + part * (high.db - low.db)));
  }
  return kSMeterScale.back().db;
}

}  // namespace keldar::rigctld
