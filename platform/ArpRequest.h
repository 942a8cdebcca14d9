#pragma once

#include <chrono>
#include <cstdint>

namespace qv::arp {

enum class Outcome { Reply, NoReply, NoPermission, Failed };

// Sends ARP requests for target from source out of interface ifindex through
// a packet socket, once a second, and waits for the target's reply.
// NoPermission when the process lacks CAP_NET_RAW.
Outcome RequestOverPacketSocket(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                                std::chrono::milliseconds wait);

// Lets the kernel resolve target (a datagram from source, then its
// neighbour entry) and reads the result.
Outcome RequestThroughKernel(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                             std::chrono::milliseconds wait);

} // namespace qv::arp
