#include "vendor/SpecialAddress.h"

#include <algorithm>

namespace qv {

namespace {

bool Starts(const std::uint8_t* mac, std::initializer_list<std::uint8_t> prefix)
{
    return std::equal(prefix.begin(), prefix.end(), mac);
}

} // namespace

std::optional<std::string> ProtocolAddressText(const std::uint8_t* mac)
{
    const std::string number = std::to_string(mac[5]);
    if (Starts(mac, {0x52, 0x54, 0x00}))
        return "QEMU/KVM virtual NIC";
    if (Starts(mac, {0x00, 0x00, 0x5E, 0x00, 0x01}))
        return "VRRP virtual router (VRID " + number + ")";
    if (Starts(mac, {0x00, 0x00, 0x5E, 0x00, 0x02}))
        return "VRRP IPv6 virtual router (VRID " + number + ")";
    if (Starts(mac, {0x00, 0x00, 0x0C, 0x07, 0xAC}))
        return "HSRP virtual router (group " + number + ")";
    if (Starts(mac, {0x02, 0x42}))
        return "Docker container";
    return std::nullopt;
}

std::optional<std::string> AddressKindText(const std::uint8_t* mac)
{
    if (std::all_of(mac, mac + 6, [](std::uint8_t b) { return b == 0xFF; }))
        return "Broadcast";
    if (mac[0] & 0x01)
        return "Multicast";
    if (mac[0] & 0x02)
        return "Locally administered";
    return std::nullopt;
}

} // namespace qv
