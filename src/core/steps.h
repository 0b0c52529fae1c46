// The panel's work in the order it was asked for: each key, and each step a
// piece of work leaves to come after an answer, a pause or the end of a
// sentence. The loop runs the front step whenever nothing it waits for is
// outstanding; nothing here ever blocks.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <utility>

namespace keldar {

class StepQueue {
 public:
  using Step = std::function<void()>;

  // New work at the end: a key, in the order the keys were typed.
  void append(Step step) { steps_.push_back(std::move(step)); }
  // What the step (or answer) now running leaves to do next: ahead of any
  // later key, behind what it has already left, so a piece of work reads
  // in the order it was written.
  void then(Step step) {
    steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(insertAt_), std::move(step));
    insertAt_ += 1;
  }
  // A continuation that did not come from the step queue (an answer's
  // handler) starts its own "next" list at the front.
  void beginContinuation() { insertAt_ = 0; }
  bool empty() const { return steps_.empty(); }
  std::size_t size() const { return steps_.size(); }

  // Runs the front step; false when there is none.
  bool runFront() {
    if (steps_.empty()) return false;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    insertAt_ = 0;
    step();
    return true;
  }

 private:
  std::deque<Step> steps_;
  std::size_t insertAt_ = 0;
};

}  // namespace keldar
