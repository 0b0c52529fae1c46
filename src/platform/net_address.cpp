#include "platform/net_address.h"

// The platform's socket header (sockets_posix.h or sockets_win32.h), as the
// build names it: the code below is the same over both.
#include KELDAR_SOCKETS_HEADER

#include <array>

namespace keldar {

bool isLoopback(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    const auto* in4 = reinterpret_cast<const sockaddr_in*>(&address);
    return (ntohl(in4->sin_addr.s_addr) >> 24) == 127;
  }
  if (address.ss_family != AF_INET6) return false;
  const in6_addr& a = reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr;
  if (IN6_IS_ADDR_LOOPBACK(&a)) return true;
  return IN6_IS_ADDR_V4MAPPED(&a) && a.s6_addr[12] == 127;
}

std::string addressText(const sockaddr_storage& address) {
  std::array<char, INET6_ADDRSTRLEN> text{};
  if (address.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &in6->sin6_addr, text.data(), text.size());
    return "[" + std::string(text.data()) + "]:" + std::to_string(ntohs(in6->sin6_port));
  }
  const auto* in4 = reinterpret_cast<const sockaddr_in*>(&address);
  inet_ntop(AF_INET, &in4->sin_addr, text.data(), text.size());
  return std::string(text.data()) + ":" + std::to_string(ntohs(in4->sin_port));
}

int findListenAddresses(const std::string& address, int port, addrinfo*& found) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  found = nullptr;
  return getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
}

bool ClientQueue::queue(std::string_view bytes, std::size_t limit) {
  const bool waiting = !unsent.empty();
  unsent.append(bytes);
  if (unsent.size() > limit) {
    broken = true;
    return false;
  }
  return !waiting;
}

}  // namespace keldar
