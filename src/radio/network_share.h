// Programs sharing the radio over the network in Hamlib's rigctld protocol.
// Serviced at every wake of the panel's loop, never waiting: reads are
// answered from the panel's state at once; a setting is written at once and
// then answered; each client's answers come in the order of its commands.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/panel.h"
#include "radio/rigctld.h"

namespace keldar {

class NetworkShare {
 public:
  static constexpr std::size_t kMaxClients = 16;
  // Hamlib's commands are a few dozen bytes; a longer line is no command.
  static constexpr std::size_t kMaxLineLength = 512;
  // Commands a client may have waiting behind a setting.
  static constexpr std::size_t kMaxWaitingLines = 64;

  explicit NetworkShare(NetworkServer& server) : server_(server) {}

  void service(Panel& panel);
  std::size_t clientCount() const { return clients_.size(); }

 private:
  struct Client {
    std::string partial;  // the start of a line still coming
    std::deque<std::string> lines;
    char vfo = 'A';
    bool leaving = false;
    bool ended = false;  // it sends nothing more: leaves once answered
  };

  void take(const NetworkActivity& activity);
  void receive(Client& client, const std::string& bytes);
  void answerWaiting(Panel& panel, int id, Client& client);
  void drop(int id);

  NetworkServer& server_;
  std::map<int, Client> clients_;
  std::vector<NetworkActivity> activity_;
};

// Services the panel's network clients, when it shares the radio at all.
void serviceNetwork(Panel& panel);

// A read of the rigctld protocol answered from the panel's state; vfo is the
// client's own VFO, which set_vfo changes.
rigctld::Answer answerRead(Panel& panel, char& vfo, const rigctld::Request& request);

}  // namespace keldar
