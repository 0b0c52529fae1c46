#include "share/rigctld.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "core/radio_modes.h"

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
constexpr std::array<CommandRow, 22> kCommands{{
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
    {0, "get_vfo_info", Command::kGetVfoInfo, 1, false},
    {0, "get_rig_info", Command::kGetRigInfo, 0, false},
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
constexpr uint64_t kModeCw = 0x2 | 0x80;      // CW, CWR
constexpr uint64_t kModeSsb = 0x4 | 0x8;      // USB, LSB
constexpr uint64_t kModeRtty = 0x10 | 0x100;  // RTTY, RTTYR
constexpr uint64_t kModeFm = 0x20;
constexpr uint64_t kModeData = 0x400 | 0x800 | 0x1000;  // PKTLSB, PKTUSB, PKTFM
constexpr uint64_t kModeFmNarrow = 0x200000;
constexpr uint64_t kModeAmNarrow = 0x20000000;
constexpr uint64_t kModes =
    kModeAm | kModeCw | kModeSsb | kModeRtty | kModeFm | kModeData | kModeFmNarrow | kModeAmNarrow;
constexpr uint64_t kLevelAf = 1ULL << 3;
constexpr uint64_t kLevelRf = 1ULL << 4;
constexpr uint64_t kLevelSql = 1ULL << 5;
constexpr uint64_t kLevelRfPower = 1ULL << 12;
constexpr uint64_t kLevelComp = 1ULL << 16;
constexpr uint64_t kLevelSwr = 1ULL << 28;
constexpr uint64_t kLevelAlc = 1ULL << 29;
constexpr uint64_t kLevelStrength = 1ULL << 30;
constexpr uint64_t kLevelCompMeter = 1ULL << 33;
constexpr uint64_t kReadLevels =
    kLevelStrength | kLevelComp | kLevelSwr | kLevelAlc | kLevelCompMeter;
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

struct MeterPoint {
  int32_t reading;
  double value;
};
// The radio's meter scales (its S meter: S9 at 130, 60 dB over at full
// scale), as Hamlib converts them.
constexpr std::array<MeterPoint, 16> kSMeterScale{{
    {0, -54},
    {12, -48},
    {27, -42},
    {40, -36},
    {55, -30},
    {65, -24},
    {80, -18},
    {95, -12},
    {112, -6},
    {130, 0},
    {150, 10},
    {172, 20},
    {190, 30},
    {220, 40},
    {240, 50},
    {255, 60},
}};
constexpr std::array<MeterPoint, 5> kSwrScale{{
    {12, 1.0},
    {39, 1.35},
    {65, 1.5},
    {89, 2.0},
    {242, 5.0},
}};
constexpr std::array<MeterPoint, 2> kAlcScale{{{0, 0.0}, {64, 1.0}}};
constexpr std::array<MeterPoint, 9> kCompressionScale{{
    {0, 0.0},
    {40, 2.5},
    {60, 5.0},
    {85, 7.5},
    {135, 10.0},
    {150, 12.5},
    {175, 15.0},
    {195, 17.5},
    {220, 20.0},
}};

// Straight lines between the points; the end values beyond them.
template <std::size_t N>
double onScale(const std::array<MeterPoint, N>& scale, int32_t reading) {
  if (reading <= scale.front().reading) return scale.front().value;
  for (std::size_t i = 1; i < N; ++i) {
    const MeterPoint low = scale[i - 1];
    const MeterPoint high = scale[i];
    if (reading > high.reading) continue;
    const double part = static_cast<double>(reading - low.reading) / (high.reading - low.reading);
    return low.value + part * (high.value - low.value);
  }
  return scale.back().value;
}

// The next command of a line from at: its prefix, its letter or long name,
// and as many words as it takes.
Request nextRequest(std::string_view line, std::size_t& at) {
  Request request;
  if (std::string_view("+;|,").find(line[at]) != std::string_view::npos) {
    request.extended = true;
    request.separator = line[at] == '+' ? '\n' : line[at];
    ++at;
  }
  std::string word;
  if (at < line.size() && line[at] == '\\') {
    const std::size_t start = ++at;
    while (at < line.size() && !isBlank(line[at])) ++at;
    word = std::string(line.substr(start, at - start));
    for (const CommandRow& row : kCommands) {
      if (row.name == word) request.command = row.command;
    }
  } else if (at < line.size()) {
    word = std::string(1, line[at++]);
    for (const CommandRow& row : kCommands) {
      if (row.letter != 0 && row.letter == word[0]) request.command = row.command;
    }
  }
  const CommandRow* row = rowOf(request.command);
  request.name = row != nullptr ? std::string(row->name) : word;
  // An unknown command takes the rest of the line with it.
  const std::size_t wanted = row == nullptr ? SIZE_MAX : row->args;
  while (request.args.size() < wanted) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at >= line.size()) break;
    const std::size_t start = at;
    while (at < line.size() && !isBlank(line[at])) ++at;
    request.args.emplace_back(line.substr(start, at - start));
  }
  return request;
}

}  // namespace

std::vector<Request> parseLine(std::string_view line) {
  std::vector<Request> requests;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at >= line.size()) break;
    requests.push_back(nextRequest(line, at));
  }
  return requests;
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
  out += "0x0\n0x0\n" + hexText(kSetLevels | kReadLevels) + "\n" + hexText(kSetLevels) +
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

char modeCodeForName(std::string_view name, int32_t passband, char currentCode) {
  // Other names Hamlib gives the data modes.
  if (name == "USB-D") name = "PKTUSB";
  if (name == "LSB-D") name = "PKTLSB";
  if (name == "FM-D") name = "PKTFM";
  if (name == "FM") {
    if (passband > 0) return passband <= 12500 ? 'B' : '4';
    return currentCode == 'B' ? 'B' : '4';
  }
  const RadioModeRow* row = radioModeByName(name);
  return row != nullptr ? row->code : 0;
}

std::string modeNameOf(char code) {
  // Hamlib 4.5 names the FM data mode so.
  if (code == 'A') return "FM-D";
  const RadioModeRow* row = radioModeByCode(code);
  return row != nullptr ? std::string(row->hamlibName) : "None";
}

int32_t passbandHertz(int32_t modeIndex, int32_t widthIndex) {
  switch (modeIndex) {
    case kLsb:
    case kUsb: {
      // 1.8 and 1.9 kHz, then 2.1 .. 3.1 kHz.
      const int32_t w = std::clamp(widthIndex, 9, 21);
      return w <= 10 ? 1800 + (w - 9) * 100 : 2000 + (w - 10) * 100;
    }
    case kCw: {
      const int32_t w = std::clamp(widthIndex, 1, 12);
      return w == 11 ? 800 : w == 12 ? 1200 : w * 50;
    }
    case kAm:
      return 6000;
    case kFmNarrow:
      return 9000;
    case kC4fm:
      return 12500;
    default:
      return 16000;
  }
}

int32_t widthForPassband(int32_t modeIndex, int32_t hertz) {
  const bool cw = modeIndex == kCw;
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
  return static_cast<int32_t>(std::lround(onScale(kSMeterScale, std::clamp(reading, 0, 255))));
}

double swrRatio(int32_t reading) {
  return onScale(kSwrScale, reading);
}

double alcFraction(int32_t reading) {
  return onScale(kAlcScale, reading);
}

double compressionDb(int32_t reading) {
  return onScale(kCompressionScale, reading);
}

}  // namespace keldar::rigctld
