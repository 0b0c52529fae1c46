// What the network servers share over POSIX sockets and Winsock alike
// (net_address.cpp): the addresses they listen on and report, and what
// they keep of each client besides its socket.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct addrinfo;
struct sockaddr_storage;

namespace keldar {

// Whether only this machine can reach the address: 127.0.0.0/8, ::1, and
// 127.x.x.x mapped into IPv6.
bool isLoopback(const sockaddr_storage& address);
// "127.0.0.1:4532", "[::1]:4532".
std::string addressText(const sockaddr_storage& address);
// The addresses to listen on at address ("127.0.0.1", "::1", a host name)
// and port, as getaddrinfo finds them (found, to be freed with
// freeaddrinfo): its result, 0 on success.
int findListenAddresses(const std::string& address, int port, addrinfo*& found);

// A client of a network server, but for its socket.
struct ClientQueue {
  std::string unsent;
  bool broken = false;  // reported as closed at the next poll
  bool ended = false;   // the client has sent all it will; answers may still go

  // Queues bytes behind what the client has not taken yet: true when they
  // are to be written at once (nothing else was waiting). A client that
  // would then hold more than limit unread reads nothing of what it asked
  // for: it is broken instead.
  bool queue(std::string_view bytes, std::size_t limit);
};

}  // namespace keldar
