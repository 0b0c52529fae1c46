#include "share/network_share.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "cat/cat.h"
#include "share/shared_settings.h"

namespace keldar {

namespace {

using rigctld::Answer;
using rigctld::Command;

// The command as the client wrote it, for debug.dat: "F 14250000".
std::string commandText(const rigctld::Request& request) {
  std::string text = request.name;
  for (const std::string& arg : request.args) text += " " + arg;
  return text;
}

bool isMeterRead(const rigctld::Request& request) {
  return request.command == Command::kGetLevel && !request.args.empty() &&
         !meterQueryOf(request.args[0]).empty();
}

}  // namespace

void NetworkShare::service(Panel& panel) {
  activity_.clear();
  server_.poll(activity_);
  for (const NetworkActivity& activity : activity_) take(panel, activity);
  std::vector<int> leaving;
  for (auto& [id, client] : clients_) {
    answerWaiting(panel, id, client);
    if (client.leaving || (client.ended && client.requests.empty())) leaving.push_back(id);
  }
  for (int id : leaving) drop(id);
}

void NetworkShare::take(Panel& panel, const NetworkActivity& activity) {
  switch (activity.kind) {
    case NetworkActivity::Kind::kConnected:
      admit(panel, activity);
      break;
    case NetworkActivity::Kind::kReceived:
      if (auto found = clients_.find(activity.client); found != clients_.end()) {
        receive(panel, found->second, activity.bytes);
      }
      break;
    case NetworkActivity::Kind::kClosed:
      if (auto found = clients_.find(activity.client); found != clients_.end()) {
        found->second.ended = true;
      } else {
        server_.drop(activity.client);
      }
      break;
  }
}

// A program that leaks connections, or one trickling a byte at a time, must
// not lock the others out: the client longest without a whole line goes.
void NetworkShare::admit(Panel& panel, const NetworkActivity& activity) {
  const uint32_t now = panel.clock.tickMs();
  if (clients_.size() >= kMaxClients) {
    auto oldest = clients_.begin();
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
      if (now - it->second.lastLineMs > now - oldest->second.lastLineMs) oldest = it;
    }
    writeDebugLine(panel, "***NET " + oldest->second.peer + " closed to admit " + activity.bytes +
                              ": all " + std::to_string(kMaxClients) + " places taken");
    drop(oldest->first);
  }
  Client& client = clients_[activity.client];
  client.peer = activity.bytes;
  client.lastLineMs = now;
}

void NetworkShare::receive(Panel& panel, Client& client, const std::string& bytes) {
  if (client.leaving) return;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    const std::size_t stop = end == std::string::npos ? bytes.size() : end;
    client.partial.append(bytes, start, stop - start);
    if (client.partial.size() > kMaxLineLength) {
      client.leaving = true;
      return;
    }
    if (end == std::string::npos) break;
    if (!client.partial.empty() && client.partial.back() == '\r') client.partial.pop_back();
    for (rigctld::Request& request : rigctld::parseLine(client.partial)) {
      client.requests.push_back(std::move(request));
    }
    client.partial.clear();
    client.lastLineMs = panel.clock.tickMs();
    start = end + 1;
  }
  // A client that keeps sending while its settings wait is flooding.
  if (client.requests.size() > kMaxWaitingLines) client.leaving = true;
}

// A meter the panel does not poll just now is read by the next meter poll;
// the client's commands wait for it, as for a setting.
bool NetworkShare::meterReady(Panel& panel, Client& client, const rigctld::Request& request) {
  PanelState& s = panel.state;
  const std::string query = meterQueryOf(request.args[0]);
  if (!s.connected) return true;
  if (!client.meterAsked) {
    if (meterPolled(s, query) && meterAnswer(s, request.args[0])) return true;
    s.meterWanted = query;
    client.meterAsked = true;
    client.meterCount = s.meterReadings;
    client.meterAskedMs = panel.clock.tickMs();
    return false;
  }
  const bool read = s.meterReadings != client.meterCount && s.meterWanted.empty() &&
                    meterAnswer(s, request.args[0]).has_value();
  if (!read && panel.clock.tickMs() - client.meterAskedMs < kMeterWaitMs) return false;
  client.meterAsked = false;
  return true;
}

void NetworkShare::answerWaiting(Panel& panel, int id, Client& client) {
  std::string out;
  while (!client.leaving && !client.requests.empty()) {
    const rigctld::Request& request = client.requests.front();
    Answer answer;
    if (rigctld::isSetting(request.command)) {
      // Written at once: an answer to a query sent before it is stale by
      // then, so it cannot undo the setting.
      answer = applySetting(panel, vfo_, request);
      writeDebugLine(panel, "***NET " + client.peer + " " + commandText(request) + " RPRT " +
                                std::to_string(-answer.error));
    } else if (isMeterRead(request) && !meterReady(panel, client, request)) {
      break;
    } else {
      answer = answerRead(panel, vfo_, request);
    }
    out += rigctld::formatAnswer(request, answer);
    if (request.command == Command::kQuit) client.leaving = true;
    client.requests.pop_front();
  }
  if (!out.empty()) server_.send(id, out);
}

void NetworkShare::drop(int id) {
  clients_.erase(id);
  server_.drop(id);
}

void serviceNetwork(Panel& panel) {
  if (panel.network != nullptr) panel.network->service(panel);
}

}  // namespace keldar
