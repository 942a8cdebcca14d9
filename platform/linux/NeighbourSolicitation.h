#pragma once

#include "platform/linux/ArpRequest.h"
#include "platform/IpAddress.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

// One IPv6 neighbour solicitation and the advertisement that answers it:
// the IPv6 counterpart of an ARP request.
namespace qv::ndp {

using arp::Outcome;

// Where one solicitation for target goes, or why it cannot (a SendARP code).
struct Path
{
    std::uint32_t code = 0; // NO_ERROR_CODE when it can go
    int ifindex = 0;
    IpAddress source; // as given, or the one the kernel would choose for target
};

// A unicast target on a link of this machine (of source's link when source
// is given), and a source that is one of this machine's addresses.
Path FindPath(const IpAddress& target, const IpAddress& source);

// A raw ICMPv6 socket, or -1 with errno set (EPERM without CAP_NET_RAW).
int OpenIcmp6Socket();

// What arrived with one ICMPv6 message.
struct Arrival
{
    int hopLimit = -1;
    int ifindex = 0;
};

// True when message (ICMPv6 header on) answers our solicitation for target
// sent out of ifindex: hop limit 255, a Neighbor Advertisement (136, code
// 0) for target with the Solicited flag, on ifindex, with a target
// link-layer address option of length 1 (6 bytes); then mac holds it.
bool IsAdvertisementForUs(const Arrival& arrival, int ifindex, const std::uint8_t* message,
                          std::size_t length, const IpAddress& target, std::uint8_t mac[6]);

// Solicits target from source out of ifindex on fd (to its solicited-node
// address, hop limit 255, with our link-layer address), once a second, and
// waits for its advertisement until wait has passed.
Outcome ExchangeOverIcmp6Socket(int fd, int ifindex, const IpAddress& source, const IpAddress& target,
                                std::uint8_t mac[6], std::chrono::milliseconds wait);

// OpenIcmp6Socket, then the exchange. NoPermission without CAP_NET_RAW.
Outcome RequestOverIcmp6Socket(int ifindex, const IpAddress& source, const IpAddress& target,
                               std::uint8_t mac[6], std::chrono::milliseconds wait);

} // namespace qv::ndp
