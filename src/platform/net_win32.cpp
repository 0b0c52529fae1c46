#include "platform/net_win32.h"

// Before windows.h, which would otherwise bring the old Winsock.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <array>
#include <vector>

#include "platform/serial_win32.h"

namespace keldar {

namespace {

constexpr int kBacklog = 64;
constexpr std::size_t kReadChunk = 4096;
// Bytes taken from one client per poll, so one cannot starve the others.
constexpr std::size_t kReadPerPoll = 64 * 1024;
// How long accepting rests when the system has no socket to spare.
constexpr std::chrono::milliseconds kAcceptRest{1000};

std::string socketErrorText() {
  return windowsErrorText(static_cast<unsigned long>(WSAGetLastError()));
}

bool boundTo(SOCKET s, sockaddr_storage& bound) {
  int size = sizeof bound;
  return s != INVALID_SOCKET && getsockname(s, reinterpret_cast<sockaddr*>(&bound), &size) == 0;
}

bool wouldBlock() {
  return WSAGetLastError() == WSAEWOULDBLOCK;
}

}  // namespace

bool winsockReady(std::string& error) {
  static const int started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (started != 0) error = "Winsock did not start: " + windowsErrorText(started);
  return started == 0;
}

Win32NetworkServer::~Win32NetworkServer() {
  for (auto& [id, c] : connections_) closesocket(c.socket);
  if (listen_ != kNoSocket) closesocket(listen_);
  if (event_ != nullptr) CloseHandle(event_);
}

bool Win32NetworkServer::listen(const std::string& address, int port, std::string& error) {
  if (!winsockReady(error)) return false;
  addrinfo* found = nullptr;
  if (const int rc = findListenAddresses(address, port, found); rc != 0) {
    error = "unknown address: " + windowsErrorText(static_cast<unsigned long>(rc));
    return false;
  }
  error = "no address to listen on";
  for (addrinfo* a = found; a != nullptr && listen_ == kNoSocket; a = a->ai_next) {
    const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    // A port another program listens on is refused, never shared with it.
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    if (bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 && ::listen(s, kBacklog) == 0) {
      listen_ = s;
    } else {
      error = socketErrorText();
      closesocket(s);
    }
  }
  freeaddrinfo(found);
  if (listen_ == kNoSocket) return false;
  // Auto-reset: the wait that it ends takes the signal, so it cannot spin.
  event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event_ == nullptr || WSAEventSelect(listen_, event_, FD_ACCEPT) != 0) {
    error = event_ == nullptr ? windowsErrorText(GetLastError()) : socketErrorText();
    return false;
  }
  error.clear();
  return true;
}

std::string Win32NetworkServer::boundAddress() const {
  sockaddr_storage bound{};
  return boundTo(listen_, bound) ? addressText(bound) : std::string();
}

bool Win32NetworkServer::loopbackOnly() const {
  sockaddr_storage bound{};
  return boundTo(listen_, bound) && isLoopback(bound);
}

void Win32NetworkServer::reportBroken(std::vector<NetworkActivity>& activity) {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!it->second.broken) {
      ++it;
      continue;
    }
    activity.push_back({NetworkActivity::Kind::kClosed, it->first, {}});
    closesocket(it->second.socket);
    it = connections_.erase(it);
  }
}

// Every socket is asked, not only those the event was for: a few calls
// that fail at once, and nothing is missed when signals merge. Each read
// and accept lets the socket signal again when more comes.
void Win32NetworkServer::poll(std::vector<NetworkActivity>& activity) {
  if (listen_ == kNoSocket || event_ == nullptr) return;
  reportBroken(activity);
  if (acceptPaused_ && std::chrono::steady_clock::now() >= acceptAgainAt_) acceptPaused_ = false;
  if (!acceptPaused_) acceptAll(activity);
  for (auto& [id, c] : connections_) {
    if (!c.unsent.empty()) flush(c);
    if (!c.ended && !c.broken) readFrom(id, c, activity);
  }
  reportBroken(activity);
}

void Win32NetworkServer::acceptAll(std::vector<NetworkActivity>& activity) {
  while (true) {
    sockaddr_storage peer{};
    int size = sizeof peer;
    const SOCKET s = accept(listen_, reinterpret_cast<sockaddr*>(&peer), &size);
    if (s == INVALID_SOCKET) {
      // The waiting client stays in the backlog until accepting resumes.
      const int error = WSAGetLastError();
      if (error == WSAEMFILE || error == WSAENOBUFS) {
        acceptPaused_ = true;
        acceptAgainAt_ = std::chrono::steady_clock::now() + kAcceptRest;
      }
      return;  // none left (WSAEWOULDBLOCK), or out of sockets for now
    }
    // It came with the listening socket's events: its own replace them.
    if (WSAEventSelect(s, event_, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
      closesocket(s);
      continue;
    }
    // Answers are a few bytes each and wanted at once.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    const int id = nextId_++;
    connections_[id].socket = s;
    activity.push_back({NetworkActivity::Kind::kConnected, id, addressText(peer)});
  }
}

void Win32NetworkServer::readFrom(int id, Connection& c, std::vector<NetworkActivity>& activity) {
  std::string bytes;
  std::array<char, kReadChunk> buffer{};
  while (bytes.size() < kReadPerPoll) {
    const int n = recv(c.socket, buffer.data(), static_cast<int>(buffer.size()), 0);
    if (n > 0) {
      bytes.append(buffer.data(), static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) c.ended = true;
    if (n < 0 && !wouldBlock()) c.broken = true;
    break;
  }
  if (!bytes.empty()) {
    activity.push_back({NetworkActivity::Kind::kReceived, id, std::move(bytes)});
  }
  if (c.ended && !c.broken) {
    // What it sent before ending is still answered, until the drop.
    activity.push_back({NetworkActivity::Kind::kClosed, id, {}});
  }
}

// What the socket does not take now goes when it signals room (FD_WRITE).
void Win32NetworkServer::flush(Connection& c) {
  while (!c.unsent.empty() && !c.broken) {
    const int n = ::send(c.socket, c.unsent.data(), static_cast<int>(c.unsent.size()), 0);
    if (n > 0) {
      c.unsent.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && wouldBlock()) {
      break;
    } else {
      c.broken = true;
    }
  }
}

void Win32NetworkServer::send(int client, std::string_view bytes) {
  auto found = connections_.find(client);
  if (found == connections_.end() || found->second.broken) return;
  if (found->second.queue(bytes, kMaxUnsent)) flush(found->second);
}

void Win32NetworkServer::drop(int client) {
  auto found = connections_.find(client);
  if (found == connections_.end()) return;
  // What is still queued goes if the socket takes it now; no waiting.
  if (!found->second.broken) flush(found->second);
  closesocket(found->second.socket);
  connections_.erase(found);
}

}  // namespace keldar
