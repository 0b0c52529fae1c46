// Text and number rules shared by every part of the panel: a bounded byte
// text, clamped part operations, and the number <-> text conversions whose
// corner cases the radio-facing code relies on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace keldar {

// A byte text that keeps at most Capacity characters; assignment silently
// cuts longer texts, as every text field of the panel does.
template <std::size_t Capacity>
class BoundedText {
 public:
  static constexpr std::size_t kCapacity = Capacity;

  BoundedText() = default;
  BoundedText(std::string_view s) { assign(s); }      // NOLINT: implicit by design
  BoundedText(const char* s) { assign(s ? s : ""); }  // NOLINT
  BoundedText(const std::string& s) { assign(s); }    // NOLINT

  BoundedText& operator=(std::string_view s) { return assign(s); }
  BoundedText& operator=(const char* s) { return assign(s ? s : ""); }
  BoundedText& operator=(const std::string& s) { return assign(s); }

  BoundedText& assign(std::string_view s) {
    text_.assign(s.substr(0, Capacity));
    return *this;
  }

  const std::string& str() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  operator std::string_view() const { return text_; }  // NOLINT
  void clear() { text_.clear(); }

  friend bool operator==(const BoundedText& a, std::string_view b) { return a.text_ == b; }
  friend bool operator==(const BoundedText& a, const char* b) { return a.text_ == b; }
  friend bool operator==(const BoundedText& a, const BoundedText& b) { return a.text_ == b.text_; }
  friend std::string operator+(const BoundedText& a, std::string_view b) {
    return a.text_ + std::string(b);
  }
  friend std::string operator+(std::string_view a, const BoundedText& b) {
    return std::string(a) + b.text_;
  }
  friend std::string operator+(const BoundedText& a, const char* b) { return a.text_ + b; }
  friend std::string operator+(const char* a, const BoundedText& b) { return a + b.text_; }
  friend std::string operator+(const BoundedText& a, const BoundedText& b) {
    return a.text_ + b.text_;
  }

 private:
  std::string text_;
};

using BasicString = BoundedText<254>;
using ReplyBuffer = BoundedText<255>;

// Part operations; positions are 1-based and out-of-range arguments clamp.
std::string leftText(std::string_view text, long count);
std::string rightText(std::string_view text, long count);
std::string midText(std::string_view text, long start, long count = -1);
long findText(std::string_view text, std::string_view pattern, long start = 1);
int compareText(std::string_view a, std::string_view b);
int charCode(std::string_view text);
std::string charText(int code);
std::string spaceText(long count);
std::string trimLeft(std::string_view text);

// Character at a 1-based position, or '\0' when the text is shorter.
char charAt(std::string_view text, long position);

// Number text with its leading blank (" 145", " 7.50", " -3").
std::string numberToText(double value);
// numberToText without the leading blank.
std::string digitsOf(double value);
// Digits of a non-negative value, left-padded with "0" to width.
std::string zeroPadded(double value, int width);
// The number at the start of a text: "  -12.50;" gives -12.5, "+5" gives 0.
double textToNumber(std::string_view text);

// Storing a double into an int32 field: nearest, halves to even, saturated.
int32_t toInt32(double value);
// Cut towards zero (configuration values), saturated.
int32_t cutToInt32(double value);

struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The only date pattern the panel uses is "dd-MM-yyyy"; an empty pattern
// gives month first, as the runtime does.
std::string dateText(const LocalTime& now, std::string_view pattern = "dd-MM-yyyy");
std::string timeText(const LocalTime& now);

// The 214013 / 2531011 generator, seeded on first use from tickMs / 2.
class RandomSource {
 public:
  double next(double low, double high, uint32_t tickMs);

 private:
  bool seeded_ = false;
  uint32_t state_ = 0;
};

}  // namespace keldar
