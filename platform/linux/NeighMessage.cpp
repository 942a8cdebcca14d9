#include "platform/linux/NeighMessage.h"

#include <cstring>

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace qv {

std::uint32_t NeighStateToType(std::uint16_t state)
{
    if (state & NUD_PERMANENT)
        return MIB_IPNET_TYPE_STATIC;
    if (state & (NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE))
        return MIB_IPNET_TYPE_DYNAMIC;
    if (state & (NUD_INCOMPLETE | NUD_FAILED))
        return MIB_IPNET_TYPE_INVALID;
    return MIB_IPNET_TYPE_OTHER;
}

namespace {

// What both families' entries hold.
struct Parsed
{
    ndmsg neigh;
    std::uint8_t dst[16];
    bool haveDst = false;
    const std::uint8_t* lladdr = nullptr;
    std::size_t lladdrLength = 0;
    bool haveLladdr = false;
    NeighDetail detail;
};

// The message's header and attributes, for family with addresses of dstLength bytes.
NeighParse ReadNeigh(const std::uint8_t* data, std::size_t length, std::uint8_t family, std::size_t dstLength,
                     Parsed& found)
{
    if (data == nullptr || length < NLMSG_HDRLEN)
        return NeighParse::Malformed;
    nlmsghdr header;
    std::memcpy(&header, data, sizeof header);
    if (header.nlmsg_len < NLMSG_HDRLEN || header.nlmsg_len > length)
        return NeighParse::Malformed;
    if (header.nlmsg_type != RTM_NEWNEIGH)
        return NeighParse::Skip;
    const std::size_t messageEnd = header.nlmsg_len;
    const std::size_t ndmAt = NLMSG_HDRLEN;
    if (messageEnd < ndmAt + sizeof(ndmsg))
        return NeighParse::Malformed;
    std::memcpy(&found.neigh, data + ndmAt, sizeof found.neigh);
    if (found.neigh.ndm_family != family)
        return NeighParse::Skip;
    found.detail.state = found.neigh.ndm_state;
    for (std::size_t at = ndmAt + NLMSG_ALIGN(sizeof(ndmsg)); at < messageEnd;) {
        if (messageEnd - at < sizeof(rtattr))
            return NeighParse::Malformed;
        rtattr attr;
        std::memcpy(&attr, data + at, sizeof attr);
        if (attr.rta_len < sizeof(rtattr) || attr.rta_len > messageEnd - at)
            return NeighParse::Malformed;
        const std::uint8_t* payload = data + at + RTA_LENGTH(0);
        const std::size_t payloadLength = attr.rta_len - RTA_LENGTH(0);
        switch (attr.rta_type & NLA_TYPE_MASK) {
        case NDA_DST:
            if (payloadLength != dstLength)
                return NeighParse::Malformed;
            std::memcpy(found.dst, payload, dstLength);
            found.haveDst = true;
            break;
        case NDA_LLADDR:
            found.lladdr = payload;
            found.lladdrLength = payloadLength;
            found.haveLladdr = true;
            break;
        case NDA_CACHEINFO:
            if (payloadLength >= sizeof(nda_cacheinfo)) {
                nda_cacheinfo info;
                std::memcpy(&info, payload, sizeof info);
                found.detail.haveCacheInfo = true;
                found.detail.confirmedAgo = info.ndm_confirmed;
            }
            break;
        default:
            break;
        }
        at += RTA_ALIGN(attr.rta_len);
    }
    return NeighParse::Row;
}

} // namespace

NeighParse ParseNeighMessage(const std::uint8_t* data, std::size_t length, MIB_IPNETROW& row,
                             NeighDetail* detail)
{
    Parsed found;
    const NeighParse result = ReadNeigh(data, length, AF_INET, 4, found);
    if (result != NeighParse::Row)
        return result;
    std::uint32_t dst = 0;
    if (found.haveDst)
        std::memcpy(&dst, found.dst, 4);
    if (!found.haveDst || dst == 0)
        return NeighParse::Skip;

    std::memset(&row, 0, sizeof row);
    row.dwIndex = static_cast<std::uint32_t>(found.neigh.ndm_ifindex);
    row.dwAddr = dst;
    row.dwType = NeighStateToType(found.neigh.ndm_state);
    row.dwPhysAddrLen = found.haveLladdr ? static_cast<std::uint32_t>(found.lladdrLength) : 0;
    // Only an Ethernet-sized address is shown; any other length leaves zeros.
    if (found.haveLladdr && found.lladdrLength == 6)
        std::memcpy(row.bPhysAddr, found.lladdr, 6);
    if (detail)
        *detail = found.detail;
    return NeighParse::Row;
}

NeighParse ParseNeigh6Message(const std::uint8_t* data, std::size_t length, Neighbour6& row)
{
    Parsed found;
    const NeighParse result = ReadNeigh(data, length, AF_INET6, 16, found);
    if (result != NeighParse::Row)
        return result;
    static const std::uint8_t unspecified[16] = {};
    // Multicast groups have entries of their own (NOARP), but no neighbour.
    if (!found.haveDst || std::memcmp(found.dst, unspecified, 16) == 0 || found.dst[0] == 0xFF)
        return NeighParse::Skip;
    row = Neighbour6{};
    std::memcpy(row.addr, found.dst, 16);
    row.ifindex = static_cast<std::uint32_t>(found.neigh.ndm_ifindex);
    row.type = NeighStateToType(found.neigh.ndm_state);
    row.router = (found.neigh.ndm_flags & NTF_ROUTER) != 0;
    row.physLen = found.haveLladdr ? static_cast<std::uint32_t>(found.lladdrLength) : 0;
    if (found.haveLladdr && found.lladdrLength == 6)
        std::memcpy(row.phys, found.lladdr, 6);
    row.detail = found.detail;
    return NeighParse::Row;
}

DumpStatus WalkNetlinkBuffer(const std::uint8_t* data, std::size_t length,
                             const std::function<void(const std::uint8_t*, std::size_t)>& onMessage,
                             bool& interrupted)
{
    std::size_t at = 0;
    while (at < length) {
        if (length - at < NLMSG_HDRLEN)
            return DumpStatus::Error;
        nlmsghdr header;
        std::memcpy(&header, data + at, sizeof header);
        if (header.nlmsg_len < NLMSG_HDRLEN || header.nlmsg_len > length - at)
            return DumpStatus::Error;
        if (header.nlmsg_flags & NLM_F_DUMP_INTR)
            interrupted = true;
        if (header.nlmsg_type == NLMSG_DONE)
            return DumpStatus::Done;
        if (header.nlmsg_type == NLMSG_ERROR)
            return DumpStatus::Error;
        if (header.nlmsg_type != NLMSG_NOOP)
            onMessage(data + at, header.nlmsg_len);
        at += NLMSG_ALIGN(header.nlmsg_len);
    }
    return DumpStatus::More;
}

} // namespace qv
