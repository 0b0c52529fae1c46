#include "base/text.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace keldar {

std::string leftText(std::string_view text, long count) {
  if (count < 0) count = 0;
  if (count > static_cast<long>(text.size())) count = static_cast<long>(text.size());
  return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string rightText(std::string_view text, long count) {
  const long length = static_cast<long>(text.size());
  if (count < 0) count = 0;
  if (count > length) return std::string(text);
  return std::string(text.substr(static_cast<std::size_t>(length - count)));
}

std::string midText(std::string_view text, long start, long count) {
  const long length = static_cast<long>(text.size());
  if (start > length) start = length + 1;
  if (start <= 0) start = 1;
  const long rest = length - start + 1;
  if (count < 0) count = rest;
  if (start + count > length) count = rest;
  if (count <= 0) return std::string();
  return std::string(
      text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

long findText(std::string_view text, std::string_view pattern, long start) {
  const long length = static_cast<long>(text.size());
  if (start <= 0) start = 1;
  if (start > 1 && start > length) return 0;
  if (pattern.empty() || start > length) return 0;
  const auto found = text.find(pattern, static_cast<std::size_t>(start - 1));
  return found == std::string_view::npos ? 0 : static_cast<long>(found) + 1;
}

int compareText(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int charCode(std::string_view text) {
  return text.empty() ? 0 : static_cast<unsigned char>(text.front());
}

std::string charText(int code) {
  return std::string(1, static_cast<char>(code & 0xFF));
}

std::string spaceText(long count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), ' ') : std::string();
}

std::string trimLeft(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return std::string(text.substr(i));
}

char charAt(std::string_view text, long position) {
  if (position < 1 || position > static_cast<long>(text.size())) return '\0';
  return text[static_cast<std::size_t>(position - 1)];
}

std::string numberToText(double value) {
  if (std::isnan(value)) return " 0";
  const double whole = std::trunc(value);
  char buffer[400];
  if (whole == value) {
    if (std::fabs(whole) < 9.2e18) {
      std::snprintf(buffer, sizeof buffer, " %lld", static_cast<long long>(whole));
    } else {
      std::snprintf(buffer, sizeof buffer, " %.0f", whole);
    }
  } else {
    std::snprintf(buffer, sizeof buffer, " %.2f", value);
  }
  return buffer;
}

std::string digitsOf(double value) {
  return numberToText(value).substr(1);
}

std::string zeroPadded(double value, int width) {
  std::string digits = digitsOf(value);
  while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), '0');
  return digits;
}

double textToNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  double value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value += (text[i] - '0') * scale;
      scale /= 10;
      ++i;
    }
  }
  return negative ? -value : value;
}

namespace {
int32_t saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(value);
}
}  // namespace

int32_t toInt32(double value) {
  if (std::isnan(value)) return 0;
  // Round half to even without depending on the floating-point mode.
  double lower = std::floor(value);
  const double fraction = value - lower;
  double rounded = lower;
  if (fraction > 0.5) {
    rounded = lower + 1;
  } else if (fraction == 0.5) {
    rounded = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
  }
  return saturate(rounded);
}

int32_t cutToInt32(double value) {
  return saturate(std::trunc(value));
}

std::string dateText(const LocalTime& now, std::string_view pattern) {
  char buffer[64];
  if (pattern.empty()) {
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", now.month, now.day, now.year);
    return buffer;
  }
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    if (c == 'd' || c == 'M' || c == 'y') {
      int value = c == 'd' ? now.day : (c == 'M' ? now.month : now.year);
      int width = static_cast<int>(run);
      if (c == 'y') {
        if (run <= 2) value %= 100;
        width = run <= 2 ? 2 : 4;
      }
      std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
      out += buffer;
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out.substr(0, 39);
}

std::string timeText(const LocalTime& now) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return buffer;
}

double RandomSource::next(double low, double high, uint32_t tickMs) {
  if (!seeded_) {
    state_ = tickMs / 2;
    seeded_ = true;
  }
  state_ = state_ * 214013u + 2531011u;
  const float r = static_cast<float>((state_ >> 16) & 0x7FFF) / 32768.0f;
  const float lowF = static_cast<float>(low);
  const float highF = static_cast<float>(high);
  return highF > lowF ? lowF + (highF - lowF) * r : lowF * r;
}

}  // namespace keldar
