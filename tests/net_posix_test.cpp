// The POSIX network server on real sockets: where it listens, and one
// client's bytes both ways.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/net_address.h"
#include "platform/net_posix.h"

namespace keldar {
namespace {

int portOf(const std::string& bound) {
  return std::stoi(bound.substr(bound.rfind(':') + 1));
}

// Polls until the server reports something of this kind; the activity seen.
std::vector<NetworkActivity> until(PosixNetworkServer& server, NetworkActivity::Kind kind) {
  std::vector<NetworkActivity> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{server.waitFd(), POLLIN, 0};
    ::poll(&p, 1, 100);
    server.poll(seen);
    for (const NetworkActivity& a : seen) {
      if (a.kind == kind) return seen;
    }
  }
  return seen;
}

TEST(NetworkServer, ListensOnLoopbackUnlessAnAddressIsGiven) {
  std::string address, error;
  int port = 0;
  ASSERT_TRUE(parseListenAddress("4532", address, port, error));
  EXPECT_EQ(address, "127.0.0.1");
  EXPECT_EQ(port, 4532);
  ASSERT_TRUE(parseListenAddress("[::1]:0", address, port, error));
  EXPECT_EQ(address, "::1");
  for (const char* bad : {"", "x", "host:", "65536", ":4532"}) {
    EXPECT_FALSE(parseListenAddress(bad, address, port, error)) << bad;
  }
  EXPECT_NE(parseCommandLine({"--rigctld", "port"}).error, "");
  EXPECT_EQ(parseCommandLine({"--rigctld=4532"}).rigctldAddress, "127.0.0.1");

  PosixNetworkServer loopback;
  ASSERT_TRUE(parseListenAddress("0", address, port, error));
  ASSERT_TRUE(loopback.listen(address, port, error)) << error;
  EXPECT_EQ(loopback.boundAddress().rfind("127.0.0.1:", 0), 0u) << loopback.boundAddress();
  PosixNetworkServer everywhere;
  ASSERT_TRUE(everywhere.listen("0.0.0.0", 0, error)) << error;
  EXPECT_EQ(everywhere.boundAddress().rfind("0.0.0.0:", 0), 0u) << everywhere.boundAddress();
  PosixNetworkServer taken;
  EXPECT_FALSE(taken.listen("127.0.0.1", portOf(loopback.boundAddress()), error));
  EXPECT_NE(error, "");
}

TEST(NetworkServer, CarriesOneClientsLinesAndSeesItEnd) {
  PosixNetworkServer server;
  std::string error;
  ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
  const int peer = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(portOf(server.boundAddress())));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(peer, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  std::vector<NetworkActivity> seen = until(server, NetworkActivity::Kind::kConnected);
  ASSERT_FALSE(seen.empty());
  const int id = seen.back().client;

  ASSERT_EQ(::send(peer, "f\n", 2, 0), 2);
  ::shutdown(peer, SHUT_WR);  // sent all it will: the answer must still come
  seen = until(server, NetworkActivity::Kind::kClosed);
  std::string received;
  for (const NetworkActivity& a : seen) {
    if (a.kind == NetworkActivity::Kind::kReceived) received += a.bytes;
  }
  EXPECT_EQ(received, "f\n");
  server.send(id, "14250000\n");
  server.drop(id);
  char answer[32] = {};
  EXPECT_EQ(::recv(peer, answer, sizeof answer, MSG_WAITALL), 9);
  EXPECT_EQ(std::string(answer), "14250000\n");
  ::close(peer);
}

sockaddr_storage ipv6(const char* text, uint16_t port) {
  sockaddr_storage address{};
  auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
  in6->sin6_family = AF_INET6;
  in6->sin6_port = htons(port);
  ::inet_pton(AF_INET6, text, &in6->sin6_addr);
  return address;
}

TEST(NetworkServer, AnIpv4LoopbackMappedIntoIpv6IsStillLoopback) {
  EXPECT_TRUE(isLoopback(ipv6("::1", 4532)));
  EXPECT_TRUE(isLoopback(ipv6("::ffff:127.0.0.9", 4532)));
  EXPECT_FALSE(isLoopback(ipv6("::ffff:10.0.0.1", 4532)));
  EXPECT_FALSE(isLoopback(ipv6("::2", 4532)));
  EXPECT_EQ(addressText(ipv6("::ffff:127.0.0.9", 4532)), "[::ffff:127.0.0.9]:4532");
  sockaddr_storage none{};
  EXPECT_FALSE(isLoopback(none));
}

TEST(NetworkServer, AClientHoldsWhatItHasNotTakenUpToItsLimit) {
  ClientQueue client;
  EXPECT_TRUE(client.queue("RPRT 0\n", 10));
  EXPECT_FALSE(client.queue("ab", 10)) << "behind what waits, not written at once";
  EXPECT_EQ(client.unsent, "RPRT 0\nab");
  EXPECT_FALSE(client.broken);
  EXPECT_FALSE(client.queue("xy", 10));
  EXPECT_TRUE(client.broken);
}

}  // namespace
}  // namespace keldar
