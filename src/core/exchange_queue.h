// The queries on the radio's line that wait for their answers. A query is
// answered by the next answer that carries its mnemonic (radios answer in
// order); its wait ends with that answer or at its deadline, and an answer
// that comes after its deadline is known as late and dropped.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace keldar {

struct RadioAnswer {
  bool arrived = false;  // false: the deadline passed first
  bool refused = false;  // the radio answered "?;"
  std::string text;      // the answer with its ";" (frequencies in nine digits)
  std::string raw;       // as the radio sent it
};

// Who asked: the panel's own work (keys, the set-up), the tick's poll, or
// the other program on the relay port.
enum class Asker { kWork, kPoll, kRelay };

struct RadioQuery {
  std::string command;   // as written, with ";"
  std::string mnemonic;  // what its answer begins with
  Asker asker = Asker::kWork;
  uint32_t deadlineMs = 0;
  uint64_t sequence = 0;  // its place among everything written
  // The count of moving commands when it was written: a frequency answer to
  // a query older than the latest such command is stale.
  int32_t stamp = 0;
  std::function<void(const RadioAnswer&)> handler;
};

struct ExchangeQueue {
  std::deque<RadioQuery> out;  // in the order written
  // Mnemonics of queries whose deadline passed, with how long their late
  // answer is still told apart from the radio's own news (until another
  // query of the same kind is written).
  struct Expired {
    std::string mnemonic;
    uint32_t untilMs = 0;
  };
  std::deque<Expired> expired;
  // Settings written lately, in order: the radio answers a setting only to
  // refuse it ("?;"), and that answer comes before those of later queries.
  struct SetWritten {
    std::string command;
    Asker asker = Asker::kWork;
    uint64_t sequence = 0;
    uint32_t untilMs = 0;
    // A frequency setting's band records as they were before it: a refused
    // frequency must not stay in them.
    std::vector<std::string> bandsBefore;
  };
  std::deque<SetWritten> sets;
  uint64_t written = 0;
  // Refusals of the other program's settings, for the relay to pass back.
  std::string forRelay;
  // The simulated radio's answers, read like bytes from a port.
  std::string simulated;
};

// Where the panel's work waits: a pause until a time, the end of the
// sentence being said.
struct WorkWaits {
  bool pausing = false;
  uint32_t pauseUntilMs = 0;
  bool forSpeech = false;
};

}  // namespace keldar
