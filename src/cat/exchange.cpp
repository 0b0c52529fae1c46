#include "cat/exchange.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cat/answers.h"
#include "cat/cat.h"
#include "cat/simulator.h"
#include "core/models.h"
#include "speech/player.h"

namespace keldar {

namespace {

constexpr int kMaxRead = 255;
// Reads in one service: enough for any burst, and the loop is never held.
constexpr int kReadsPerService = 16;
// How long the mnemonic of a query given up on still claims a late answer.
constexpr uint32_t kLateAnswerMs = 3000;
constexpr std::size_t kMaxExpired = 32;
constexpr std::size_t kMaxSets = 64;

// Mnemonics that set something with nothing after them.
constexpr std::array<std::string_view, 10> kBareSettings = {"ZI", "UP", "DN", "AB", "BA",
                                                            "SV", "AM", "MA", "QI", "QR"};
// Mnemonics whose query carries a one-digit selector ("SM0;").
constexpr std::array<std::string_view, 24> kSelectorQueries = {
    "SM", "RM", "AG", "RG", "SQ", "NB", "NL", "NR", "RL", "PA", "RA", "MD",
    "SH", "NA", "ML", "CT", "PR", "IS", "OS", "GT", "BC", "BP", "AN", "RI"};

bool listed(std::string_view mnemonic, const auto& table) {
  return std::find(table.begin(), table.end(), mnemonic) != table.end();
}

bool before(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) < 0;
}

void callHandler(Panel& panel, const AnswerHandler& handler, const RadioAnswer& answer) {
  if (!handler) return;
  panel.steps.beginContinuation();
  handler(answer);
}

// True for the late answer of a query given up on: it is dropped.
bool dropIfLate(Panel& panel, const RadioAnswer& answer) {
  ExchangeQueue& exchange = panel.exchange;
  const std::string mnemonic = answer.text.substr(0, 2);
  const auto late = std::find_if(exchange.expired.begin(), exchange.expired.end(),
                                 [&](const auto& e) { return e.mnemonic == mnemonic; });
  if (late == exchange.expired.end()) return false;
  exchange.expired.erase(late);
  writeDebugLine(panel, "RX late, dropped: " + answer.raw);
  return true;
}

// A refusal that stands before the oldest query still waiting belongs to a
// setting written before it: the panel's own is spoken "invalid", the other
// program's goes back to it. True when it was a setting's.
bool refusesSetting(Panel& panel, const RadioAnswer& answer) {
  ExchangeQueue& exchange = panel.exchange;
  const uint32_t now = panel.clock.tickMs();
  while (!exchange.sets.empty() && before(exchange.sets.front().untilMs, now)) {
    exchange.sets.pop_front();
  }
  const uint64_t oldestQuery = exchange.out.empty() ? UINT64_MAX : exchange.out.front().sequence;
  if (exchange.sets.empty() || exchange.sets.front().sequence > oldestQuery) return false;
  // The settings before it were taken: they stay silent.
  const ExchangeQueue::SetWritten refused = exchange.sets.front();
  exchange.sets.pop_front();
  writeDebugLine(panel, "*** refused: " + refused.command);
  PanelState& s = panel.state;
  if (refused.bandsBefore.size() == s.bandTable.size()) {
    for (std::size_t i = 0; i < s.bandTable.size(); ++i) s.bandTable[i] = refused.bandsBefore[i];
  }
  if (refused.asker == Asker::kRelay) {
    exchange.forRelay += answer.raw;
  } else {
    playPhrase(panel, "invalid");
  }
  return true;
}

void dispatch(Panel& panel, const std::string& raw, const NewsHandler& news) {
  ExchangeQueue& exchange = panel.exchange;
  RadioAnswer answer;
  answer.arrived = true;
  answer.raw = raw;
  answer.refused = raw == "?;";
  PanelState& s = panel.state;
  // Cut to the length of a reply field, as every text of the panel is.
  answer.text = widenedFrequencyReply(s, ReplyBuffer(raw).str());
  if (answer.refused && refusesSetting(panel, answer)) return;
  auto query = exchange.out.begin();
  if (!answer.refused) {
    // Radios answer in order: a query given up on is answered before any
    // later one with its mnemonic.
    if (dropIfLate(panel, answer)) return;
    const std::string mnemonic = answer.text.substr(0, 2);
    query = std::find_if(exchange.out.begin(), exchange.out.end(),
                         [&](const RadioQuery& q) { return q.mnemonic == mnemonic; });
  }
  if (query == exchange.out.end()) {
    if (!answer.refused && news) news(answer);
    return;
  }
  AnswerHandler handler = std::move(query->handler);
  exchange.out.erase(query);
  callHandler(panel, handler, answer);
}

// What has arrived: from the port, or the simulated radio's answers.
std::string readArrived(Panel& panel) {
  PanelState& s = panel.state;
  if (s.simulationMode == 1) {
    std::string bytes = std::move(panel.exchange.simulated);
    panel.exchange.simulated.clear();
    if (bytes.empty()) return {};
    panel.traceLine("READ", std::to_string(s.comPort) + " " + Trace::escape(bytes));
    writeDebugLine(panel, "RX=" + bytes);
    return bytes;
  }
  if (s.comPort <= 0 || panel.serial.bytesWaiting(s.comPort) <= 0) return {};
  char buffer[kMaxRead];
  const int count = std::clamp(panel.serial.readPort(s.comPort, buffer, kMaxRead), 0, kMaxRead);
  s.portBytes = count;
  if (count == 0) return {};
  // The answers only, whatever the link put around them; an unfinished one
  // waits for the rest.
  const std::string found =
      takeRadioBytes(panel, std::string_view(buffer, static_cast<std::size_t>(count)));
  return found.empty() ? std::string(1, '\0') : found;
}

void expireQueries(Panel& panel) {
  ExchangeQueue& exchange = panel.exchange;
  const uint32_t now = panel.clock.tickMs();
  while (!exchange.expired.empty() &&
         (exchange.expired.size() > kMaxExpired || before(exchange.expired.front().untilMs, now))) {
    exchange.expired.pop_front();
  }
  for (auto it = exchange.out.begin(); it != exchange.out.end();) {
    if (before(now, it->deadlineMs)) {
      ++it;
      continue;
    }
    exchange.expired.push_back({it->mnemonic, now + kLateAnswerMs});
    AnswerHandler handler = std::move(it->handler);
    it = exchange.out.erase(it);
    callHandler(panel, handler, RadioAnswer{});
    // The handler may have changed the list: look again from the start.
    it = exchange.out.begin();
  }
}

}  // namespace

void askRadio(Panel& panel, std::string_view query, Asker asker, AnswerHandler handler,
              uint32_t timeoutMs) {
  PanelState& s = panel.state;
  s.commandText = query;
  // Not written (held from a device not yet known as a radio, or beyond what
  // it takes): there is no answer to wait for.
  if (!sendCommand(panel)) {
    callHandler(panel, handler, RadioAnswer{});
    return;
  }
  RadioQuery out;
  out.command = s.commandText.str();
  out.mnemonic = out.command.substr(0, 2);
  out.asker = asker;
  out.deadlineMs = panel.clock.tickMs() + timeoutMs;
  out.sequence = panel.exchange.written;
  out.stamp = s.commandCount;
  out.handler = std::move(handler);
  // From now on an answer of this kind is this query's: a query given up on
  // earlier claims none, so one answer the radio never sent cannot make
  // every later one count as late.
  std::erase_if(panel.exchange.expired,
                [&out](const ExchangeQueue::Expired& e) { return e.mnemonic == out.mnemonic; });
  panel.exchange.out.push_back(std::move(out));
  if (s.simulationMode == 1) panel.exchange.simulated += simulatedAnswer(panel, s.commandText);
}

bool readRadioLine(Panel& panel, const NewsHandler& news) {
  bool any = false;
  for (int i = 0; i < kReadsPerService; ++i) {
    const std::string arrived = readArrived(panel);
    if (arrived.empty()) break;
    any = true;
    for (const std::string& answer : splitCommands(arrived)) {
      if (answer.size() > 1 && answer.back() == ';') dispatch(panel, answer, news);
    }
  }
  expireQueries(panel);
  return any;
}

void noteWritten(Panel& panel, std::string_view command, Asker setter) {
  ExchangeQueue& exchange = panel.exchange;
  exchange.written += 1;
  if (isQueryCommand(command, radioModel(panel.state.radioId).menuDigits)) return;
  if (exchange.sets.size() >= kMaxSets) exchange.sets.pop_front();
  ExchangeQueue::SetWritten set{
      std::string(command), setter, exchange.written, panel.clock.tickMs() + kAnswerTimeoutMs, {}};
  if (command.starts_with("FA") || command.starts_with("FB")) {
    for (const BasicString& record : panel.state.bandTable) set.bandsBefore.push_back(record.str());
  }
  exchange.sets.push_back(std::move(set));
}

int queriesOut(const Panel& panel, Asker asker) {
  return static_cast<int>(std::count_if(panel.exchange.out.begin(), panel.exchange.out.end(),
                                        [asker](const RadioQuery& q) { return q.asker == asker; }));
}

void abandonQueries(Panel& panel) {
  std::deque<RadioQuery> out = std::move(panel.exchange.out);
  panel.exchange.out.clear();
  for (RadioQuery& query : out) callHandler(panel, query.handler, RadioAnswer{});
}

bool isQueryCommand(std::string_view command, int menuDigits) {
  const std::string_view body = command.substr(0, command.find(';'));
  if (body.size() < 2) return false;
  const std::string_view mnemonic = body.substr(0, 2);
  const std::string_view rest = body.substr(2);
  if (!std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  if (rest.empty()) return !listed(mnemonic, kBareSettings);
  if (mnemonic == "EX") return static_cast<int>(rest.size()) <= menuDigits;
  if (mnemonic == "CO" || mnemonic == "CN") return rest.size() == 2;
  return rest.size() == 1 && listed(mnemonic, kSelectorQueries);
}

}  // namespace keldar
