// Hamlib's rigctld network protocol, as text: command lines parsed, answers
// written in the plain and the extended ("+") forms, the capability dump the
// network client reads when it opens, and the unit conversions of levels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace keldar::rigctld {

// Hamlib's error numbers; answers carry them negated ("RPRT -11").
constexpr int kOk = 0;
constexpr int kInvalid = 1;
constexpr int kNotImplemented = 4;
constexpr int kTimedOut = 5;
constexpr int kNotAvailable = 11;

enum class Command {
  kGetFreq,
  kSetFreq,
  kGetMode,
  kSetMode,
  kGetVfo,
  kSetVfo,
  kGetPtt,
  kSetPtt,
  kGetSplitVfo,
  kSetSplitVfo,
  kGetSplitFreq,
  kSetSplitFreq,
  kGetLevel,
  kSetLevel,
  kGetPowerStat,
  kGetLockMode,
  kCheckVfo,
  kGetVfoInfo,
  kGetRigInfo,
  kDumpState,
  kQuit,
  kUnknown,
};

struct Request {
  Command command = Command::kUnknown;
  std::string name;  // the long name: "set_freq"
  std::vector<std::string> args;
  bool extended = false;  // "+", ";", "|" or "," in front
  char separator = '\n';  // between the lines of an extended answer
};

// One line from a client, without its line end: every command on it, in
// order ("f m", "fmv", "F 14250000 m"), each with its own arguments.
std::vector<Request> parseLine(std::string_view line);
// Settings go to the radio; everything else is answered from the panel.
bool isSetting(Command command);
// How many arguments the command needs.
std::size_t argumentCount(Command command);

// Values with their labels for the extended form, or an error.
struct Answer {
  int error = kOk;
  std::vector<std::pair<std::string, std::string>> values;
  std::string body;  // the capability dump: sent as it is
};
Answer failure(int error);

std::string formatAnswer(const Request& request, const Answer& answer);

// The panel's side of the capability dump.
struct Capabilities {
  int32_t maxPowerWatts = 100;
};
std::string dumpState(const Capabilities& caps);

// "14250000", "14250000.000000", "7.1e6": whole hertz within nine digits.
std::optional<int32_t> parseHertz(std::string_view text);
// A level value 0..1 ("0.5", "0.500000").
std::optional<double> parseFraction(std::string_view text);
std::string fractionText(double value);  // "0.500000"

// The radio's mode code ('2', 'C') by Hamlib's name, and back. 0 when the
// name is none the radio has; FM is '4' (wide) or 'B' (narrow) by the
// passband, the current one kept for 0 and -1.
char modeCodeForName(std::string_view name, int32_t passband, char currentCode);
std::string modeNameOf(char code);

// Filter widths in hertz and the panel's width numbers (SSB 9..21, CW 1..12).
int32_t passbandHertz(int32_t modeIndex, int32_t widthIndex);
int32_t widthForPassband(int32_t modeIndex, int32_t hertz);

// Meter readings 0..255 in Hamlib's units, on the radio's own scales: the
// S meter in dB relative to S9, SWR as a ratio, ALC 0..1, compression in dB.
int32_t strengthDb(int32_t reading);
double swrRatio(int32_t reading);
double alcFraction(int32_t reading);
double compressionDb(int32_t reading);

}  // namespace keldar::rigctld
