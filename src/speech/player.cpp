#include "speech/player.h"

#include <filesystem>
#include <system_error>

namespace keldar {

namespace {

constexpr char kSeparator = '/';
// The working directory's folder of recordings, as phrasePath writes it.
constexpr std::string_view kWaveFolder = "wave/";

std::string_view lastComponent(std::string_view path) {
  const auto slash = path.find_last_of(kSeparator);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
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

std::vector<std::string> phraseFoldersBeside(std::string_view programDir) {
  if (programDir.empty()) return {};
  const std::filesystem::path dir(programDir);
  return {(dir / "wave").lexically_normal().string(),
          (dir / ".." / "share" / "keldar" / "wave").lexically_normal().string()};
}

std::string findRecording(const Panel& panel, const std::string& path) {
  if (path.rfind(kWaveFolder, 0) != 0 || isFile(panel.path(path))) return path;
  const std::string file = path.substr(kWaveFolder.size());
  for (const std::string& folder : panel.phraseFolders) {
    std::string candidate = folder + kSeparator + file;
    if (isFile(candidate)) return candidate;
  }
  return path;
}

void playPhrase(Panel& panel, std::string_view name) {
  const std::string wanted = phrasePath(panel.state.phraseDir, name);
  if (!namesRecording(name)) {
    panel.traceLine("SAY", Trace::escape(wanted));
    return;
  }
  const std::string path = findRecording(panel, wanted);
  panel.traceLine("SAY", Trace::escape(path));
  const bool wait = lastComponent(path) != "help.wav";
  panel.screen.flushDrawing();
  panel.sound.playFile(path == wanted ? panel.path(path) : path, wait);
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
