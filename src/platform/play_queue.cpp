#include "platform/play_queue.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace keldar {

void PlayQueue::add(uint64_t samples) {
  entries_.push_back({queued_, queued_ + samples, false});
  queued_ += samples;
  advance();
}

void PlayQueue::setPlayed(uint64_t samples) {
  played_ = std::min(samples, queued_);
  advance();
}

void PlayQueue::clear() {
  played_ = queued_;
  advance();
  queued_ = 0;
  played_ = 0;
}

int PlayQueue::unfinishedCount() const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [](const Entry& e) { return e.end > e.start; }));
}

void PlayQueue::advance() {
  // A phrase has begun once the device is past its first sample; one
  // without samples, once the device has reached it.
  for (Entry& entry : entries_) {
    if (entry.begun) continue;
    if (played_ < entry.start || (played_ == entry.start && entry.end > entry.start)) break;
    entry.begun = true;
    started_ += 1;
  }
  while (!entries_.empty() && entries_.front().begun && played_ >= entries_.front().end) {
    entries_.pop_front();
  }
}

std::vector<std::string> recordingsIn(const std::vector<std::string>& folders) {
  std::vector<std::string> files;
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::filesystem::path& path = it->path();
      if (path.extension() == ".wav" && it->is_regular_file(ec)) files.push_back(path.string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace keldar
