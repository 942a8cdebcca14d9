// Arbitrary bytes as a netlink buffer of neighbour messages.
#include "platform/NeighMessage.h"

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
    return 0;
}
