#include "speech/player.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace keldar {

namespace {

constexpr char kSeparator = '/';
// The working directory's folder of recordings, as phrasePath writes it.
constexpr std::string_view kWaveFolder = "wave/";
constexpr int kPhrasesAhead = 2;

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

namespace {

// SAY lines for the phrases the device has begun since the last look.
void noteStarted(Panel& panel) {
  SpeechQueue& speech = panel.speech;
  const uint64_t started = panel.sound.startedCount();
  while (speech.startedSeen < started && !speech.handed.empty()) {
    panel.traceLine("SAY", speech.handed.front().traceText);
    speech.handed.pop_front();
    speech.startedSeen += 1;
  }
  speech.startedSeen = started;
}

// The next phrase cuts the help short: what the device had not begun of it
// (or after it) is never heard.
void cutHelpShort(Panel& panel) {
  SpeechQueue& speech = panel.speech;
  noteStarted(panel);
  panel.sound.stop();
  speech.handed.clear();
  speech.startedSeen = panel.sound.startedCount();
  speech.helpSounding = false;
}

void handOver(Panel& panel, QueuedPhrase phrase) {
  SpeechQueue& speech = panel.speech;
  speech.lastHandedGroup = phrase.group;
  speech.helpSounding = phrase.help;
  // What is said is also what is shown.
  panel.screen.flushDrawing();
  panel.sound.queueFile(phrase.file);
  speech.handed.push_back(std::move(phrase));
}

}  // namespace

void playPhrase(Panel& panel, std::string_view name) {
  // A blank or a sign of a reading has no recording: nothing is said, and
  // nothing is traced as said.
  if (!namesRecording(name)) return;
  SpeechQueue& speech = panel.speech;
  const std::string wanted = phrasePath(panel.state.phraseDir, name);
  const std::string path = findRecording(panel, wanted);
  QueuedPhrase phrase;
  phrase.file = path == wanted ? panel.path(path) : path;
  phrase.traceText = Trace::escape(path);
  phrase.kind = speech.readoutKind;
  phrase.group = speech.readoutGroup;
  phrase.help = lastComponent(path) == "help.wav";
  if (speech.helpSounding) cutHelpShort(panel);
  if (speech.readoutPlace >= 0) {
    // In the place of the reading it replaces; handed over once it is whole,
    // so that nothing queued behind it slips in between its phrases.
    speech.waiting.insert(speech.waiting.begin() + speech.readoutPlace, std::move(phrase));
    speech.readoutPlace += 1;
    return;
  }
  speech.waiting.push_back(std::move(phrase));
  serviceSpeech(panel);
}

void serviceSpeech(Panel& panel) {
  SpeechQueue& speech = panel.speech;
  noteStarted(panel);
  // Two phrases ahead of the one sounding, so even the shortest ones join
  // between the loop's wakes; the rest may still give way to a newer readout.
  while (!speech.waiting.empty() && panel.sound.unfinishedCount() < kPhrasesAhead + 1) {
    QueuedPhrase phrase = std::move(speech.waiting.front());
    speech.waiting.pop_front();
    handOver(panel, std::move(phrase));
    noteStarted(panel);
  }
}

bool speechDone(Panel& panel) {
  serviceSpeech(panel);
  return panel.speech.waiting.empty() && panel.sound.unfinishedCount() == 0;
}

void finishSpeech(Panel& panel) {
  SpeechQueue& speech = panel.speech;
  while (!speech.waiting.empty()) {
    handOver(panel, std::move(speech.waiting.front()));
    speech.waiting.pop_front();
  }
  noteStarted(panel);
  // The device plays the rest out as it closes: their lines go now.
  for (const QueuedPhrase& phrase : speech.handed) panel.traceLine("SAY", phrase.traceText);
  speech.handed.clear();
}

Readout::Readout(Panel& panel, std::string_view kind) : panel_(panel) {
  SpeechQueue& speech = panel.speech;
  const uint64_t group = speech.nextGroup++;
  const auto stale = [&](const QueuedPhrase& phrase) {
    return phrase.group != 0 && phrase.kind == kind && phrase.group != speech.lastHandedGroup;
  };
  // The newer reading takes the older one's place: a reading of another kind
  // queued after it is not sent further back by every press.
  const auto first = std::find_if(speech.waiting.begin(), speech.waiting.end(), stale);
  speech.readoutPlace = first == speech.waiting.end() ? -1 : first - speech.waiting.begin();
  std::erase_if(speech.waiting, stale);
  speech.readoutKind = kind;
  speech.readoutGroup = group;
}

Readout::~Readout() {
  SpeechQueue& speech = panel_.speech;
  speech.readoutKind.clear();
  speech.readoutGroup = 0;
  speech.readoutPlace = -1;
  serviceSpeech(panel_);
}

}  // namespace keldar
