#include "speech/player.h"

namespace keldar {

namespace {

constexpr char kSeparator = '/';

std::string_view lastComponent(std::string_view path) {
  const auto slash = path.find_last_of(kSeparator);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string phrasePath(std::string_view prefix, std::string_view name) {
  // The prefix is written "wave\"; on disk the folder takes this platform's
  // separator.
  std::string path;
  path.reserve(prefix.size() + name.size() + 4);
  for (char c : prefix) path += (c == '\\') ? kSeparator : c;
  path += name;
  const std::string_view last = lastComponent(path);
  if (!last.empty() && last.find('.') == std::string_view::npos) path += ".wav";
  return path;
}

bool namesRecording(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || u == 0x7f || c == '/' || c == '\\') return false;
  }
  // Single characters come from readings taken apart digit by digit; only
  // the digits have recordings, and a letter or sign must not find some
  // other file that happens to carry its name.
  return name.size() > 1 || isDigit(name[0]);
}

void playPhrase(Panel& panel, std::string_view name) {
  const std::string path = phrasePath(panel.state.phraseDir, name);
  panel.traceLine("SAY", Trace::escape(path));
  if (!namesRecording(name)) return;
  const bool wait = lastComponent(path) != "help.wav";
  panel.sound.playFile(panel.path(path), wait);
}

void playDelay(Panel& panel) {
  // The pause the radio needs before its reply is read, whether or not the
  // recording gives it: a missing or silent "delay" must not change what the
  // panel sends.
  const uint32_t start = panel.clock.tickMs();
  playPhrase(panel, "delay");
  const uint32_t played = panel.clock.tickMs() - start;
  if (played < kDelayMs) panel.clock.waitMs(kDelayMs - played);
}

}  // namespace keldar
