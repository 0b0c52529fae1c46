// The radio's TCP connection on the platform's sockets (tcp_radio_posix.cpp,
// tcp_radio_win32.cpp): started without waiting, never blocking after.
#pragma once

#include <cstdint>
#include <string>

namespace keldar::tcp_link {

using Socket = std::intptr_t;
constexpr Socket kNone = -1;

// Starts connecting to host and port; kNone when no address of the host
// takes a connection attempt.
Socket start(const std::string& host, const std::string& port);
// 0 while still connecting, 1 once connected, -1 when it failed.
int connectState(Socket socket);
// Bytes ready to read; -1 when the server has ended or the link broke.
int readyBytes(Socket socket);
// Bytes read or written, 0 when none can go now, -1 when the link broke.
int receive(Socket socket, char* buffer, int maxCount);
int transmit(Socket socket, const char* buffer, int count);
void close(Socket socket);

}  // namespace keldar::tcp_link
