// The fixture of the acceptance tests: the whole panel driven as an operator
// drives it, keys typed at its terminal, the emulated radio on COM3. Tests check
// what the radio received, what was said (the trace's SAY lines), what was
// drawn, and the files left behind.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "station.h"

namespace e2e {

// Terminal key sequences.
inline constexpr std::string_view kUp = "\x1b[A";
inline constexpr std::string_view kDown = "\x1b[B";
inline constexpr std::string_view kF3 = "\x1bOR";
inline constexpr std::string_view kF11 = "\x1b[23~";
inline constexpr std::string_view kEnter = "\r";

// What the timer asks on every tick; the keys' own commands are what is left.
inline const std::set<std::string> kPolls = {"FA;", "FB;", "SM0;", "RM4;", "RM6;", "MD0;"};

using Lines = std::vector<std::string>;

// Where the panel, the radio and the trace stood before a few keys.
struct Mark {
  size_t trace = 0;
  size_t radio = 0;
};

inline std::string printable(const Lines& lines) {
  std::string out;
  for (const auto& line : lines) out += "[" + line + "] ";
  return out;
}

class Acceptance : public ::testing::Test {
 protected:
  void start(StationOptions options = {}) {
    station_ = std::make_unique<Station>(std::move(options));
    ASSERT_TRUE(station_->start()) << station_->error();
    ASSERT_NO_FATAL_FAILURE(waitConnected());
  }

  void waitConnected() {
    ASSERT_TRUE(station_->waitForTrace("SAY wave/connected.wav")) << "never connected";
    // Keys act once a frequency reply after the connecting one has been taken
    // (until then every key says "nc"); that reply is drawn.
    ASSERT_TRUE(waitUntil([&] { return frequencyDrawn(); })) << "no frequency drawn";
  }

  // The frequency field last drawn with this text (ten characters).
  bool drawn(std::string_view text) const {
    auto lines = station_->traceLines();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      if (line->rfind("PRINT 285 150 ", 0) == 0) return line->substr(14, 10) == text;
    }
    return false;
  }

  bool frequencyDrawn() const {
    auto lines = station_->traceLines();
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return l.rfind("PRINT 285 150 ", 0) == 0; });
  }

  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }

  Mark mark() const { return {station_->traceLines().size(), station_->radioLog().size()}; }

  int keyUps() const {
    auto lines = station_->traceLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
      return l.rfind("KEYUP ", 0) == 0;
    }));
  }

  // One key at a time: the terminal follows each key-down with its key-up,
  // and the panel traces the key-up once the key's own work is done.
  void press(std::initializer_list<std::string_view> keys) {
    for (auto key : keys) {
      int before = keyUps();
      ASSERT_TRUE(station_->press(key));
      ASSERT_TRUE(waitUntil([&] { return keyUps() > before; }))
          << "key not handled: " << printable({std::string(key)});
    }
  }
  void type(std::string_view text) {
    for (char c : text) ASSERT_NO_FATAL_FAILURE(press({std::string_view(&c, 1)}));
  }

  // Trace lines of one kind since the mark, without the kind.
  Lines traced(const Mark& from, std::string_view kind) const {
    auto lines = station_->traceLines();
    Lines out;
    std::string prefix = std::string(kind) + " ";
    for (size_t i = from.trace; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) == 0) out.push_back(lines[i].substr(prefix.size()));
    }
    return out;
  }

  // Where `line` stands in the trace since the mark, its first time (or its
  // last); -1 when it is not there.
  int traceIndex(const Mark& from, std::string_view line, bool last = false) const {
    auto lines = station_->traceLines();
    int found = -1;
    for (size_t i = from.trace; i < lines.size() && (last || found < 0); ++i) {
      if (lines[i] == line) found = static_cast<int>(i);
    }
    return found;
  }

  // What a field ("PRINT 285 150 ") was last drawn with before trace line `before`.
  std::string drawnBefore(std::string_view field, int before) const {
    auto lines = station_->traceLines();
    std::string text;
    for (int i = 0; i < before && i < static_cast<int>(lines.size()); ++i) {
      if (lines[i].starts_with(field)) text = lines[i].substr(field.size());
    }
    return text;
  }

  // Phrase names heard since the mark, pauses left out.
  Lines said(const Mark& from) const {
    Lines out;
    for (const auto& path : traced(from, "SAY")) addPhrase(path, out);
    return out;
  }

  // Phrases heard while the panel handled the first key after the mark (from
  // its KEY line to its KEYUP line): nothing the timer speaks meanwhile.
  Lines saidForKey(const Mark& from) const {
    auto lines = station_->traceLines();
    Lines out;
    bool inKey = false;
    for (size_t i = from.trace; i < lines.size(); ++i) {
      if (lines[i].rfind("KEYUP ", 0) == 0 && inKey) break;
      if (lines[i].rfind("KEY ", 0) == 0) inKey = true;
      if (inKey && lines[i].rfind("SAY ", 0) == 0) addPhrase(lines[i].substr(4), out);
    }
    return out;
  }

  static void addPhrase(std::string path, Lines& out) {
    // Only the phrase folder holds words; the tick's silent meter refresh
    // names paths outside it.
    if (path.rfind("wave/", 0) != 0) return;
    path.erase(0, 5);
    if (path.size() > 4 && path.ends_with(".wav")) path.erase(path.size() - 4);
    // Blanks of a readout have no recording; pauses are not words.
    if (path != "delay" && path.find_first_not_of(' ') != std::string::npos) out.push_back(path);
  }

  // Commands the radio received since the mark, polls left out.
  Lines sent(const Mark& from) const {
    auto log = station_->radioLog();
    Lines out;
    for (size_t i = from.radio; i < log.size(); ++i) {
      if (kPolls.count(log[i]) == 0) out.push_back(log[i]);
    }
    return out;
  }

  // The radio's log lags the panel's writes a little: wait for the run.
  void expectSent(const Mark& from, const Lines& run) {
    bool seen = waitUntil([&] { return findRun(sent(from), run) >= 0; }, Millis(5000));
    EXPECT_TRUE(seen) << "wanted " << printable(run) << "\nreceived " << printable(sent(from));
  }
  // The same, in this order with other commands between them.
  void expectSentInOrder(const Mark& from, const Lines& wanted) {
    auto inOrder = [&] {
      auto got = sent(from);
      auto at = got.begin();
      for (const auto& line : wanted) {
        at = std::find(at, got.end(), line);
        if (at == got.end()) return false;
        ++at;
      }
      return true;
    };
    EXPECT_TRUE(waitUntil(inOrder, Millis(5000)))
        << "wanted in order " << printable(wanted) << "\nreceived " << printable(sent(from));
  }
  void expectSaid(const Mark& from, const Lines& run) {
    EXPECT_GE(findRun(said(from), run), 0)
        << "wanted " << printable(run) << "\nheard " << printable(said(from));
  }
  bool radioShows(std::string_view part) {
    return waitUntil([&] { return station_->radioState().find(part) != std::string::npos; },
                     Millis(5000));
  }

  // F reads the frequency and mode. It is silent for two ticks of every second
  // by design, so it is pressed again until it speaks.
  void readFrequency(const Lines& expected) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      Mark m = mark();
      ASSERT_NO_FATAL_FAILURE(press({"f"}));
      if (saidForKey(m).empty()) continue;
      EXPECT_EQ(saidForKey(m), expected);
      return;
    }
    ADD_FAILURE() << "F never spoke";
  }

  std::unique_ptr<Station> station_;
};

}  // namespace e2e
