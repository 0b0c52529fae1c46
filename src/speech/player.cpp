#include "speech/player.h"

#include <string>

namespace keldar {

namespace {

// "wave\" is written with the panel's own separator; on disk it is "wave/".
std::string phrasePath(std::string_view dir, std::string_view name) {
  std::string path;
  for (char c : dir) path += (c == '\\') ? '/' : c;
  path += name;
  const auto slash = path.find_last_of('/');
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  if (last.find('.') == std::string::npos) path += ".wav";
  return path;
}

}  // namespace

void playPhrase(Panel& panel, std::string_view name) {
  const std::string path = phrasePath(panel.state.phraseDir, name);
  panel.traceLine("SAY", path);
  panel.sound.playFile(panel.path(path), name != "help.wav");
}

void playDelay(Panel& panel) {
  playPhrase(panel, "delay");
}

}  // namespace keldar
