// Arbitrary bytes as a netlink buffer of neighbour messages, and as an
// ICMPv6 message that claims to answer a neighbour solicitation.
#include "platform/linux/NeighMessage.h"
#include "platform/linux/NeighbourSolicitation.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's size, so any over-read is caught.
    std::vector<std::uint8_t> buffer(data, data + size);
    MIB_IPNETROW row;
    qv::ParseNeighMessage(buffer.data(), buffer.size(), row);
    bool interrupted = false;
    qv::WalkNetlinkBuffer(
        buffer.data(), buffer.size(),
        [](const std::uint8_t* message, std::size_t length) {
            MIB_IPNETROW one;
            if (qv::ParseNeighMessage(message, length, one) == qv::NeighParse::Row && one.dwPhysAddrLen == 6)
                (void)one.bPhysAddr[5];
            qv::Neighbour6 six;
            if (qv::ParseNeigh6Message(message, length, six) == qv::NeighParse::Row && six.addr[0] == 0xFF)
                __builtin_trap(); // groups are never rows
        },
        interrupted);
    // The target taken from where an advertisement carries it, so that the
    // option walk is reached.
    std::uint8_t target[16] = {0xFD};
    for (std::size_t i = 0; i < 16 && 8 + i < size; ++i)
        target[i] = data[8 + i];
    std::uint8_t mac[6];
    qv::ndp::IsAdvertisementForUs({255, 1}, 1, buffer.data(), buffer.size(), qv::IpAddress(target, 1), mac);
    return 0;
}
