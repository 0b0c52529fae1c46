#include "radio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace emu {
namespace {

// The radios: an HF/VHF/UHF all-mode with nine-digit frequencies and three-digit
// menus, an older HF radio with eight-digit frequencies, an HF radio whose
// menus are numbered in three groups of two digits, and an HF and 6 m radio
// with eight digits.
constexpr Model kModels[] = {
    {"0670",
     9,
     3,
     {{30000, 56000000}, {118000000, 164000000}, {420000000, 470000000}},
     153,
     "123456789ABCDE"},
    {"0241", 8, 3, {{30000, 56000000}, {0, 0}, {0, 0}}, 127, "123456789ABCD"},
    {"0681", 9, 6, {{30000, 75000000}, {0, 0}, {0, 0}}, 0, "123456789ABCD"},
    // HF and 6 m only, eight digits: no 2 m, no 70 cm.
    {"0362", 8, 3, {{30000, 60000000}, {0, 0}, {0, 0}}, 160, "123456789ABCD"},
};

// A value the radio holds and reports: the query text, the number of digits that
// follow it in a setting and an answer, and the range the radio accepts.
struct LevelSpec {
  const char* query;
  int width;
  int low;
  int high;
  int start;
};

constexpr LevelSpec kLevels[] = {
    {"AG0", 3, 0, 255, 60}, {"RG0", 3, 0, 255, 255}, {"SQ0", 3, 0, 100, 0},  {"PC", 3, 5, 100, 100},
    {"MG", 3, 0, 100, 50},  {"KS", 3, 4, 60, 20},    {"PL", 3, 0, 100, 50},  {"NL0", 3, 0, 10, 5},
    {"RL0", 2, 1, 15, 8},   {"SH0", 2, 0, 21, 14},   {"NA0", 1, 0, 1, 0},    {"NB0", 1, 0, 1, 0},
    {"NR0", 1, 0, 1, 0},    {"RA0", 1, 0, 1, 0},     {"PA0", 1, 0, 2, 0},    {"BC0", 1, 0, 1, 0},
    {"BI", 1, 0, 1, 0},     {"VX", 1, 0, 1, 0},      {"ML0", 3, 0, 1, 0},    {"ML1", 3, 0, 100, 50},
    {"PR0", 1, 0, 1, 0},    {"PR1", 1, 0, 1, 0},     {"AI", 1, 0, 1, 0},     {"CT0", 1, 0, 3, 0},
    {"OS0", 1, 0, 2, 0},    {"VS", 1, 0, 1, 0},      {"CN00", 3, 0, 49, 12}, {"CN01", 3, 0, 103, 0},
    {"AC", 3, 0, 2, 0},     {"TX", 1, 0, 1, 0},
};

// Commands that only act (no query form): mnemonic and the digits they take.
struct ActionSpec {
  const char* mnemonic;
  int width;
};
constexpr ActionSpec kActions[] = {{"ZI", 0}, {"AB", 0}, {"BA", 0}, {"SV", 0}, {"BS", 2}};

// Menu values whose width the radio fixes; other menus start at "0".
struct MenuStart {
  const char* model;
  const char* menu;
  const char* value;
};
constexpr MenuStart kMenuStarts[] = {
    {"0670", "032", "0"},       {"0670", "080", "0100"},  {"0670", "081", "1000"},
    {"0670", "082", "0600"},    {"0670", "083", "05000"}, {"0681", "010315", "0100"},
    {"0681", "010316", "1000"}, {"0241", "050", "000"},
};

const std::string kRefused = "?;";

bool allDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int64_t number(std::string_view digits) {
  int64_t value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

std::string padded(int64_t value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
  return buffer;
}

const MenuStart* menuStart(std::string_view model, std::string_view menu) {
  for (const auto& row : kMenuStarts) {
    if (model == row.model && menu == row.menu) return &row;
  }
  return nullptr;
}

}  // namespace

const Model* findModel(std::string_view id) {
  for (const auto& model : kModels) {
    std::string_view own = model.id;
    if (id == own || (id.size() == 3 && own.substr(1) == id)) return &model;
  }
  return nullptr;
}

Radio::Radio(const Model& model) : model_(model) {
  for (const auto& row : kLevels) levels_[row.query] = row.start;
  for (const auto& row : kMenuStarts) {
    if (std::string_view(row.model) == model.id) menus_[row.menu] = row.value;
  }
  meters_ = {{"SM0", 100}, {"RM1", 100}, {"RM2", 0}, {"RM3", 0},  {"RM4", 30},
             {"RM5", 0},   {"RM6", 15},  {"RM7", 0}, {"RM8", 138}};
  contour_ = {{0, 0}, {1, 1000}, {2, 0}, {3, 0}};
}

std::optional<std::string> Radio::command(std::string_view text) {
  if (startsWith(text, "PS")) return power(text);
  if (!powered_) return std::nullopt;  // switched off: deaf to all but "PS1"
  if (startsWith(text, "FA")) return frequency(text, vfoA_);
  if (startsWith(text, "FB")) return frequency(text, vfoB_);
  if (startsWith(text, "MD")) return modeCommand(text);
  if (startsWith(text, "EX")) return menu(text);
  if (startsWith(text, "CO")) return contour(text);
  if (startsWith(text, "FT")) return splitTx(text);
  if (startsWith(text, "SM") || startsWith(text, "RM")) return meter(text);
  if (text == "ID") return "ID" + std::string(model_.id) + ";";
  if (text == "IF") return info();
  for (const auto& action : kActions) {
    if (!startsWith(text, action.mnemonic)) continue;
    std::string_view rest = text.substr(2);
    if (static_cast<int>(rest.size()) == action.width && allDigits(rest)) return std::nullopt;
  }
  bool known = false;
  auto answer = level(text, known);
  if (known) return answer;
  return kRefused;
}

bool Radio::frontPanel(std::string_view text) {
  if (text == "PS0" || text == "PS1") {
    powered_ = text == "PS1";
    return true;
  }
  bool isMeter = (startsWith(text, "SM0") && text.size() == 6) ||
                 (startsWith(text, "RM") && text.size() == 6 && text[2] >= '1' && text[2] <= '8');
  if (isMeter) {
    if (!allDigits(text.substr(3)) || number(text.substr(3)) > 255) return false;
    meters_[std::string(text.substr(0, 3))] = static_cast<int>(number(text.substr(3)));
    return true;
  }
  bool wasPowered = powered_;
  powered_ = true;
  auto answer = command(text);
  powered_ = wasPowered;
  return !(answer && *answer == kRefused);
}

std::optional<std::string> Radio::power(std::string_view text) {
  if (text == "PS") return powered_ ? std::optional<std::string>("PS1;") : std::nullopt;
  if (text == "PS0" || text == "PS1") {
    powered_ = text == "PS1";
    return std::nullopt;
  }
  return powered_ ? std::optional<std::string>(kRefused) : std::nullopt;
}

std::optional<std::string> Radio::frequency(std::string_view text, int64_t& vfo) {
  std::string mnemonic(text.substr(0, 2));
  if (text.size() == 2) return mnemonic + frequencyText(vfo) + ";";
  std::string_view digits = text.substr(2);
  if (static_cast<int>(digits.size()) != model_.frequencyDigits || !allDigits(digits)) {
    return kRefused;
  }
  int64_t hz = number(digits);
  if (!frequencyValid(hz)) return kRefused;
  vfo = hz;
  return std::nullopt;
}

std::optional<std::string> Radio::modeCommand(std::string_view text) {
  if (text == "MD0") return std::string("MD0") + mode_ + ";";
  if (text.size() == 4 && text[2] == '0') {
    if (std::string_view(model_.modes).find(text[3]) != std::string_view::npos) {
      mode_ = text[3];
      return std::nullopt;
    }
  }
  return kRefused;
}

bool Radio::menuNumberValid(std::string_view number) const {
  if (static_cast<int>(number.size()) != model_.menuDigits || !allDigits(number)) return false;
  if (model_.menuDigits == 3) {
    int64_t n = emu::number(number);
    return n >= 1 && n <= model_.highestMenu;
  }
  // Grouped menus: group 01..05, then a section and an item 01..20 each.
  int64_t group = emu::number(number.substr(0, 2));
  int64_t section = emu::number(number.substr(2, 2));
  int64_t item = emu::number(number.substr(4, 2));
  return group >= 1 && group <= 5 && section >= 1 && section <= 20 && item >= 1 && item <= 20;
}

std::optional<std::string> Radio::menu(std::string_view text) {
  std::string_view rest = text.substr(2);
  if (static_cast<int>(rest.size()) < model_.menuDigits) return kRefused;
  std::string number(rest.substr(0, model_.menuDigits));
  if (!menuNumberValid(number)) return kRefused;
  std::string_view value = rest.substr(model_.menuDigits);
  if (value.empty()) {
    auto found = menus_.find(number);
    return "EX" + number + (found == menus_.end() ? std::string("0") : found->second) + ";";
  }
  bool valueOk = value.size() <= 6 && std::all_of(value.begin(), value.end(), [](char c) {
                   return std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-';
                 });
  const MenuStart* start = menuStart(model_.id, number);
  if (!valueOk || (start && std::string_view(start->value).size() != value.size())) {
    return kRefused;
  }
  menus_[number] = std::string(value);
  return std::nullopt;
}

std::optional<std::string> Radio::contour(std::string_view text) {
  // "CO0" + type (0 contour on/off, 1 contour frequency, 2 peak filter on/off,
  // 3 peak filter frequency) + four digits for a setting.
  if (text.size() < 4 || text[2] != '0' || text[3] < '0' || text[3] > '3') return kRefused;
  int type = text[3] - '0';
  if (text.size() == 4) return std::string(text) + padded(contour_[type], 4) + ";";
  std::string_view digits = text.substr(4);
  if (digits.size() != 4 || !allDigits(digits) || number(digits) > 3200) return kRefused;
  contour_[type] = static_cast<int>(number(digits));
  return std::nullopt;
}

std::optional<std::string> Radio::splitTx(std::string_view text) {
  if (text == "FT") return std::string("FT") + (txOnB_ ? "1" : "0") + ";";
  if (text.size() == 3 && text[2] >= '0' && text[2] <= '3') {
    txOnB_ = text[2] == '1' || text[2] == '3';
    return std::nullopt;
  }
  return kRefused;
}

std::optional<std::string> Radio::meter(std::string_view text) {
  auto found = meters_.find(std::string(text));
  if (found == meters_.end()) return kRefused;
  return found->first + padded(found->second, 3) + ";";
}

std::optional<std::string> Radio::info() const {
  return "IF001" + frequencyText(vfoA_) + "+0000" + "00" + std::string(1, mode_) + "00000;";
}

std::optional<std::string> Radio::level(std::string_view text, bool& known) {
  for (const auto& row : kLevels) {
    std::string_view query = row.query;
    if (!startsWith(text, query)) continue;
    std::string_view digits = text.substr(query.size());
    if (digits.empty()) {
      known = true;
      return std::string(query) + padded(levels_[row.query], row.width) + ";";
    }
    if (static_cast<int>(digits.size()) != row.width || !allDigits(digits)) continue;
    known = true;
    int64_t value = number(digits);
    if (value < row.low || value > row.high) return kRefused;
    levels_[row.query] = static_cast<int>(value);
    return std::nullopt;
  }
  return std::nullopt;
}

bool Radio::frequencyValid(int64_t hz) const {
  for (const auto& band : model_.bands) {
    if (band.high > 0 && hz >= band.low && hz <= band.high) return true;
  }
  return false;
}

std::string Radio::state() const {
  return "FA" + frequencyText(vfoA_) + " FB" + frequencyText(vfoB_) + " MD0" + mode_ + " FT" +
         (txOnB_ ? "1" : "0") + " PS" + (powered_ ? "1" : "0") + " TX" +
         std::to_string(levels_.at("TX"));
}

std::string Radio::frequencyText(int64_t hz) const {
  return padded(hz, model_.frequencyDigits);
}

}  // namespace emu
