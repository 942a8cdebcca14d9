#include "platform/ArpRequest.h"

#include "platform/Netlink.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <linux/neighbour.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::arp {

namespace {

using Clock = std::chrono::steady_clock;

struct Fd
{
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

#pragma pack(push, 1)
struct ArpPacket
{
    std::uint16_t hardwareType;
    std::uint16_t protocolType;
    std::uint8_t hardwareLength;
    std::uint8_t protocolLength;
    std::uint16_t operation;
    std::uint8_t senderMac[6];
    std::uint32_t senderIp;
    std::uint8_t targetMac[6];
    std::uint32_t targetIp;
};
#pragma pack(pop)
static_assert(sizeof(ArpPacket) == 28);

bool InterfaceMac(int ifindex, std::uint8_t mac[6])
{
    ifreq request{};
    if (::if_indextoname(static_cast<unsigned>(ifindex), request.ifr_name) == nullptr)
        return false;
    Fd probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (probe.fd < 0 || ::ioctl(probe.fd, SIOCGIFHWADDR, &request) != 0)
        return false;
    if (request.ifr_hwaddr.sa_family != ARPHRD_ETHER)
        return false;
    std::memcpy(mac, request.ifr_hwaddr.sa_data, 6);
    return true;
}

int RemainingMs(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

Outcome RequestOverPacketSocket(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                                std::chrono::milliseconds wait)
{
    // Protocol 0 at socket() and the protocol at bind(): binding at socket()
    // costs a synchronize_net() in the kernel.
    Fd sock(::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (sock.fd < 0)
        return (errno == EPERM || errno == EACCES) ? Outcome::NoPermission : Outcome::Failed;
    std::uint8_t ownMac[6];
    if (!InterfaceMac(ifindex, ownMac))
        return Outcome::Failed;

    sockaddr_ll link{};
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = ifindex;
    if (::bind(sock.fd, reinterpret_cast<sockaddr*>(&link), sizeof link) != 0)
        return Outcome::Failed;

    ArpPacket request{};
    request.hardwareType = htons(ARPHRD_ETHER);
    request.protocolType = htons(ETH_P_IP);
    request.hardwareLength = 6;
    request.protocolLength = 4;
    request.operation = htons(ARPOP_REQUEST);
    std::memcpy(request.senderMac, ownMac, 6);
    request.senderIp = source;
    request.targetIp = target;

    sockaddr_ll broadcast = link;
    broadcast.sll_halen = 6;
    std::memset(broadcast.sll_addr, 0xFF, 6);

    const Clock::time_point deadline = Clock::now() + wait;
    Clock::time_point nextSend = Clock::now();
    while (Clock::now() < deadline) {
        if (Clock::now() >= nextSend) {
            if (::sendto(sock.fd, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&broadcast),
                         sizeof broadcast) != static_cast<ssize_t>(sizeof request))
                return Outcome::Failed;
            nextSend += std::chrono::seconds(1);
        }
        pollfd waitFor{sock.fd, POLLIN, 0};
        const int timeout = std::min(RemainingMs(deadline), RemainingMs(nextSend));
        const int ready = ::poll(&waitFor, 1, std::max(timeout, 1));
        if (ready < 0 && errno != EINTR)
            return Outcome::Failed;
        if (ready <= 0)
            continue;
        ArpPacket reply{};
        const ssize_t got = ::recv(sock.fd, &reply, sizeof reply, MSG_DONTWAIT);
        if (got < static_cast<ssize_t>(sizeof reply))
            continue;
        if (ntohs(reply.operation) == ARPOP_REPLY && ntohs(reply.protocolType) == ETH_P_IP &&
            reply.hardwareLength == 6 && reply.protocolLength == 4 && reply.senderIp == target) {
            std::memcpy(mac, reply.senderMac, 6);
            return Outcome::Reply;
        }
    }
    return Outcome::NoReply;
}

Outcome RequestThroughKernel(int ifindex, std::uint32_t source, std::uint32_t target, std::uint8_t mac[6],
                             std::chrono::milliseconds wait)
{
    Fd sock(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (sock.fd < 0)
        return Outcome::Failed;
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = source;
    if (::bind(sock.fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)
        return Outcome::Failed;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9); // discard: nothing is expected to answer
    to.sin_addr.s_addr = target;
    const char probe = 0;
    // The datagram only starts the kernel's resolution; a queued or refused
    // send is fine.
    if (::sendto(sock.fd, &probe, 1, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0 &&
        errno == EACCES)
        return Outcome::NoPermission;

    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        const auto rows = netlink::DumpIpv4Neighbours();
        if (rows) {
            for (const MIB_IPNETROW& row : *rows) {
                if (row.dwAddr != target || static_cast<int>(row.dwIndex) != ifindex)
                    continue;
                if (row.dwType == MIB_IPNET_TYPE_INVALID)
                    break; // still resolving, or failed: keep waiting for the deadline
                if (row.dwPhysAddrLen == 6) {
                    std::memcpy(mac, row.bPhysAddr, 6);
                    return Outcome::Reply;
                }
            }
        }
        if (Clock::now() >= deadline)
            return Outcome::NoReply;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace qv::arp
