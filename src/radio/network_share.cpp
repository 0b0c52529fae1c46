#include "radio/network_share.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "radio/shared_settings.h"

namespace keldar {

namespace {

using rigctld::Answer;
using rigctld::Command;
using rigctld::failure;

Answer valuesOf(std::vector<std::pair<std::string, std::string>> values) {
  Answer answer;
  answer.values = std::move(values);
  return answer;
}

Answer frequencyAnswer(const PanelState& s, char vfo, const char* label) {
  const int32_t hertz = knownFrequency(s, vfo);
  if (hertz <= 0) return failure(rigctld::kNotAvailable);
  return valuesOf({{label, std::to_string(hertz)}});
}

Answer levelAnswer(const PanelState& s, std::string_view name) {
  const auto fraction = [](int32_t value, int32_t top) {
    return rigctld::fractionText(std::clamp(static_cast<double>(value) / top, 0.0, 1.0));
  };
  if (name == "STRENGTH")
    return valuesOf({{"", std::to_string(rigctld::strengthDb(s.sMeterReading))}});
  if (name == "RFPOWER")
    return valuesOf({{"", fraction(s.powerLevel, std::max<int32_t>(s.maxPower, 5))}});
  if (name == "AF") return valuesOf({{"", fraction(s.afGain, 255)}});
  if (name == "RF") return valuesOf({{"", fraction(s.rfGain, 255)}});
  if (name == "SQL") return valuesOf({{"", fraction(s.squelchLevel, 100)}});
  return failure(rigctld::kInvalid);
}

// What needs no radio: the capabilities, the VFO choice, the power state.
std::optional<Answer> answerWithoutRadio(const PanelState& s, char& vfo,
                                         const rigctld::Request& r) {
  switch (r.command) {
    case Command::kCheckVfo:
      return valuesOf({{"", "0"}});  // commands carry no VFO argument
    case Command::kDumpState: {
      Answer answer;
      answer.body = rigctld::dumpState({s.maxPower});
      return answer;
    }
    case Command::kGetPowerStat:
      return valuesOf({{"Power Status", s.connected == 1 ? "1" : "0"}});
    case Command::kGetLockMode:
      // Hamlib's client asks before each mode setting and sets nothing
      // unless the answer is "not locked".
      return valuesOf({{"Locked", "0"}});
    case Command::kGetVfo:
      return valuesOf({{"VFO", vfo == 'B' ? "VFOB" : "VFOA"}});
    case Command::kSetVfo: {
      const std::string& name = r.args[0];
      if (name == "VFOA" || name == "Main" || name == "currVFO") {
        vfo = 'A';
      } else if (name == "VFOB" || name == "Sub") {
        vfo = 'B';
      } else {
        return failure(rigctld::kInvalid);
      }
      return Answer{};
    }
    case Command::kQuit:
      return Answer{};
    default:
      return std::nullopt;
  }
}

}  // namespace

Answer answerRead(Panel& panel, char& vfo, const rigctld::Request& r) {
  const PanelState& s = panel.state;
  if (r.command == Command::kUnknown) return failure(rigctld::kNotImplemented);
  if (r.args.size() < rigctld::argumentCount(r.command)) return failure(rigctld::kInvalid);
  if (std::optional<Answer> answer = answerWithoutRadio(s, vfo, r)) return *answer;
  if (s.connected == 0) return failure(rigctld::kTimedOut);
  switch (r.command) {
    case Command::kGetFreq:
      return frequencyAnswer(s, vfo, "Frequency");
    case Command::kGetSplitFreq:
      return frequencyAnswer(s, 'B', "TX Frequency");
    case Command::kGetMode:
      return valuesOf(
          {{"Mode", rigctld::modeName(s.modeIndex)},
           {"Passband", std::to_string(rigctld::passbandHertz(s.modeIndex, s.widthIndex))}});
    case Command::kGetPtt: {
      const bool keyed = s.txState > 0 || s.tuneActive == 1 || s.relayKeyed == 1;
      return valuesOf({{"PTT", keyed ? "1" : "0"}});
    }
    case Command::kGetSplitVfo:
      return valuesOf(
          {{"Split", s.vfoB == 1 ? "1" : "0"}, {"TX VFO", s.vfoB == 1 ? "VFOB" : "VFOA"}});
    case Command::kGetLevel:
      return levelAnswer(s, r.args[0]);
    default:
      return failure(rigctld::kNotImplemented);
  }
}

void NetworkShare::service(Panel& panel) {
  activity_.clear();
  server_.poll(activity_);
  for (const NetworkActivity& activity : activity_) take(activity);
  std::vector<int> leaving;
  for (auto& [id, client] : clients_) {
    answerWaiting(panel, id, client);
    if (client.leaving || (client.ended && client.lines.empty())) leaving.push_back(id);
  }
  for (int id : leaving) drop(id);
}

void NetworkShare::take(const NetworkActivity& activity) {
  switch (activity.kind) {
    case NetworkActivity::Kind::kConnected:
      // One too many is closed at once, before it can send anything.
      if (clients_.size() >= kMaxClients) {
        server_.drop(activity.client);
      } else {
        clients_[activity.client] = Client{};
      }
      break;
    case NetworkActivity::Kind::kReceived:
      if (auto found = clients_.find(activity.client); found != clients_.end()) {
        receive(found->second, activity.bytes);
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

void NetworkShare::receive(Client& client, const std::string& bytes) {
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
    client.lines.push_back(std::move(client.partial));
    client.partial.clear();
    start = end + 1;
  }
  // A client that keeps sending while its settings wait is flooding.
  if (client.lines.size() > kMaxWaitingLines) client.leaving = true;
}

void NetworkShare::answerWaiting(Panel& panel, int id, Client& client) {
  std::string out;
  while (!client.leaving && !client.lines.empty()) {
    const std::string& line = client.lines.front();
    const rigctld::Request request = rigctld::parseLine(line);
    if (request.command == Command::kUnknown && request.name.empty()) {
      client.lines.pop_front();  // an empty line asks nothing
      continue;
    }
    Answer answer;
    if (rigctld::isSetting(request.command)) {
      // Written at once: an answer to a query sent before it is stale by
      // then, so it cannot undo the setting.
      answer = applySetting(panel, client.vfo, request);
    } else {
      answer = answerRead(panel, client.vfo, request);
    }
    out += rigctld::formatAnswer(request, answer);
    if (request.command == Command::kQuit) client.leaving = true;
    client.lines.pop_front();
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
