// The socket structures and address calls on Winsock, for the portable
// address code (net_address.cpp).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
