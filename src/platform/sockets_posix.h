// The socket structures and address calls on POSIX, for the portable
// address code (net_address.cpp).
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
