#pragma once

// The socket, resolver and interface-name functions (inet_pton, inet_ntop,
// getnameinfo, if_nametoindex, if_indextoname) from where each system
// declares them.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <netioapi.h>
#else
#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
