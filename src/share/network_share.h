// Programs sharing the radio over the network in Hamlib's rigctld protocol.
// Serviced at every wake of the panel's loop, never waiting: reads are
// answered from the panel's state at once; a setting is written at once and
// then answered; each client's answers come in the order of its commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/panel.h"
#include "share/network_reads.h"
#include "share/rigctld.h"

namespace keldar {

class NetworkShare {
 public:
  // When all are taken, the client longest without a whole command line
  // makes room for a new one.
  static constexpr std::size_t kMaxClients = 32;
  // How long a client waits for a meter reading it asked for.
  static constexpr uint32_t kMeterWaitMs = 2000;
  // Hamlib's commands are a few dozen bytes; a longer line is no command.
  static constexpr std::size_t kMaxLineLength = 512;
  // Commands a client may have waiting behind a setting.
  static constexpr std::size_t kMaxWaitingLines = 64;

  explicit NetworkShare(NetworkServer& server) : server_(server) {}

  void service(Panel& panel);
  std::size_t clientCount() const { return clients_.size(); }

 private:
  struct Client {
    std::string peer;     // its address, for debug.dat
    std::string partial;  // the start of a line still coming
    std::deque<rigctld::Request> requests;
    uint32_t lastLineMs = 0;  // when it last completed a line (or came)
    // A meter reading asked for: the count of readings then, and when.
    bool meterAsked = false;
    uint32_t meterCount = 0;
    uint32_t meterAskedMs = 0;
    bool leaving = false;
    bool ended = false;  // it sends nothing more: leaves once answered
  };

  void take(Panel& panel, const NetworkActivity& activity);
  void admit(Panel& panel, const NetworkActivity& activity);
  void receive(Panel& panel, Client& client, const std::string& bytes);
  void answerWaiting(Panel& panel, int id, Client& client);
  bool meterReady(Panel& panel, Client& client, const rigctld::Request& request);
  void drop(int id);

  NetworkServer& server_;
  std::map<int, Client> clients_;
  std::vector<NetworkActivity> activity_;
  // The VFO the clients work, as one rigctld keeps it for all.
  char vfo_ = 'A';
};

// Services the panel's network clients, when it shares the radio at all.
void serviceNetwork(Panel& panel);

}  // namespace keldar
