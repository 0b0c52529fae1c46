// The emulated transceiver: its state and its answers to CAT commands.
// Written from the radio's point of view only; it shares no code with the panel,
// so a parsing mistake in the panel cannot hide behind the same mistake here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace emu {

struct FrequencyRange {
  int64_t low;
  int64_t high;
};

// What differs between the radios the emulator can be.
struct Model {
  const char* id;           // four digits, as "ID;" answers
  int frequencyDigits;      // 9, or 8 on the older radios
  int menuDigits;           // 3, or 6 on the radios with grouped menus
  FrequencyRange bands[3];  // frequencies it accepts; unused rows are {0, 0}
  int highestMenu;          // last menu number for three-digit menus
  const char* modes;        // the mode codes "MD0x" accepts
};

const Model* findModel(std::string_view id);

class Radio {
 public:
  explicit Radio(const Model& model);

  // One command without its ";". The answer includes its ";"; no value means the
  // radio stays silent, as it does after every accepted setting.
  std::optional<std::string> command(std::string_view text);

  // A change made at the radio itself (its knob, its front panel): a setting in
  // CAT form, or a meter reading "SM0nnn" / "RMdnnn". False when not understood.
  bool frontPanel(std::string_view text);

  // "FA… FB… MD0x FTx PSx TXx": what a test may want to check at the radio.
  std::string state() const;

  const Model& model() const { return model_; }
  int64_t frequencyA() const { return vfoA_; }
  int64_t frequencyB() const { return vfoB_; }
  char mode() const { return mode_; }
  bool powered() const { return powered_; }
  void setPowered(bool on) { powered_ = on; }

 private:
  std::optional<std::string> frequency(std::string_view text, int64_t& vfo);
  std::optional<std::string> modeCommand(std::string_view text);
  std::optional<std::string> menu(std::string_view text);
  std::optional<std::string> contour(std::string_view text);
  std::optional<std::string> splitTx(std::string_view text);
  std::optional<std::string> meter(std::string_view text);
  std::optional<std::string> info() const;
  std::optional<std::string> power(std::string_view text);
  std::optional<std::string> level(std::string_view text, bool& known);
  bool menuNumberValid(std::string_view number) const;
  bool frequencyValid(int64_t hz) const;
  std::string frequencyText(int64_t hz) const;

  const Model& model_;
  bool powered_ = true;
  int64_t vfoA_ = 14250000;
  int64_t vfoB_ = 7074000;
  char mode_ = '2';
  bool txOnB_ = false;
  std::map<std::string, int> levels_;         // keyed by the query text: "AG0", "PC", ...
  std::map<std::string, std::string> menus_;  // menu number -> value digits
  std::map<std::string, int> meters_;         // "SM0", "RM1".."RM8"
  std::map<int, int> contour_;                // CO type 0..3 -> value
};

}  // namespace emu
