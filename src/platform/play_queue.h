// What a sound device has been given and how far it has got, in samples:
// which phrases have begun to sound and how many are still to finish. The
// device parts feed it the count of samples played so far; portable, so it
// is tested on every platform.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace keldar {

class PlayQueue {
 public:
  // A phrase of `samples` samples queued behind the others (0: a file that
  // could not be played, begun and ended at once).
  void add(uint64_t samples);
  // The device has taken this many samples since the queue was last cleared.
  void setPlayed(uint64_t samples);
  // Everything queued counts as played (the device was stopped or drained).
  void clear();
  uint64_t queuedSamples() const { return queued_; }
  uint64_t startedCount() const { return started_; }
  bool empty() const { return entries_.empty(); }
  // Phrases with samples not yet played to their end (one without samples
  // holds no place in the device).
  int unfinishedCount() const;

 private:
  void advance();

  struct Entry {
    uint64_t start;
    uint64_t end;
    bool begun;
  };
  std::deque<Entry> entries_;  // the phrases not yet played to their end
  uint64_t queued_ = 0;
  uint64_t played_ = 0;
  uint64_t started_ = 0;
};

// Recordings decoded once and kept: speech goes on whatever happens to the
// files or to the process's descriptors later. Failed loads are kept too,
// as empty, so a missing phrase costs no file look-up each time.
template <typename Sample>
class PhraseCache {
 public:
  using Loader = std::function<std::vector<Sample>(const std::string& path)>;
  explicit PhraseCache(Loader loader) : loader_(std::move(loader)) {}

  const std::vector<Sample>& get(const std::string& path) {
    auto found = cache_.find(path);
    if (found == cache_.end()) found = cache_.emplace(path, loader_(path)).first;
    return found->second;
  }
  std::size_t size() const { return cache_.size(); }
  // Reads every recording of these folders now; how many held samples.
  std::size_t preload(const std::vector<std::string>& folders);

 private:
  Loader loader_;
  std::map<std::string, std::vector<Sample>> cache_;
};

// The .wav files directly inside each folder, for loading at start.
std::vector<std::string> recordingsIn(const std::vector<std::string>& folders);

template <typename Sample>
std::size_t PhraseCache<Sample>::preload(const std::vector<std::string>& folders) {
  std::size_t loaded = 0;
  for (const std::string& path : recordingsIn(folders)) {
    if (!get(path).empty()) loaded += 1;
  }
  return loaded;
}

}  // namespace keldar
