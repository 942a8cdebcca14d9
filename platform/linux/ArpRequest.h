#pragma once

#include "platform/IpAddress.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

struct sockaddr_ll;

namespace qv::arp {

enum class Outcome { Reply, NoReply, NoPermission, Failed };

// Where one request for target goes: the interface and the source address
// (both resolved for srcIp 0), or why it cannot go (a SendARP result code).
struct Path
{
    std::uint32_t code = 0; // NO_ERROR_CODE when the request can go
    int ifindex = 0;
    std::uint32_t source = 0; // network order
};

// The Ethernet address of interface ifindex; false for any other kind.
bool InterfaceMac(int ifindex, std::uint8_t mac[6]);

// First IPv4 address of an up, non-loopback interface (of ifindex when
// given), network order; 0 when there is none.
std::uint32_t FirstInterfaceAddress(int ifindex);

// The checks SendARP makes: a unicast target, a local source, and a target
// on the source's own link. Addresses in network order.
Path FindPath(std::uint32_t target, std::uint32_t source);

// A packet socket for ARP, or -1 with errno set (EPERM without CAP_NET_RAW).
int OpenPacketSocket();

// Broadcasts requests for target from source out of ifindex on fd, once a
// second, and waits for the target's own reply until wait has passed.
Outcome ExchangeOverPacketSocket(int fd, int ifindex, std::uint32_t source, std::uint32_t target,
                                 std::uint8_t mac[6], std::chrono::milliseconds wait);

// OpenPacketSocket, then the exchange. NoPermission without CAP_NET_RAW.
Outcome RequestOverPacketSocket(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                                std::chrono::milliseconds wait);

// True when frame (an ARP packet as a SOCK_DGRAM packet socket gives it,
// from) is the reply of target to our request: sent to this host, Ethernet
// and IPv4 with their lengths, a reply, from target to source at ownMac.
// Then mac holds the sender's address.
bool IsReplyToOurRequest(const sockaddr_ll& from, const std::uint8_t* frame, std::size_t length,
                         const std::uint8_t ownMac[6], std::uint32_t source, std::uint32_t target,
                         std::uint8_t mac[6]);

// Lets the kernel resolve target, of either family (a datagram from
// source, then its neighbour entry). An entry REACHABLE when the request starts is the reply
// ("confirmed by the kernel 2 s ago" in detail); otherwise only one the
// kernel confirmed after the request began is. Anything else found for
// target is described in detail ("cached 00:11:22:33:44:55, STALE").
Outcome RequestThroughKernel(int ifindex, const IpAddress& source, const IpAddress& target,
                             std::uint8_t mac[6], std::chrono::milliseconds wait,
                             std::string* detail = nullptr);

// Runs the helper at path (absolute) for target and source (of one family), with an empty
// environment and no stdin, and kills it if it runs past wait and a second.
// Failed when it cannot be run; otherwise what it reported.
Outcome RequestThroughHelper(const std::string& path, const IpAddress& source, const IpAddress& target,
                             std::uint8_t mac[6], std::chrono::milliseconds wait);

// The helper's one line for an outcome on stderr.
const char* HelperReason(Outcome outcome);

} // namespace qv::arp
