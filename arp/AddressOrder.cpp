#include "arp/AddressOrder.h"

#include "platform/IpAddress.h"

#include <cstring>

namespace qv {

AddressKey AddressSortKey(const std::string& text)
{
    AddressKey key{};
    IpAddress address;
    // The zone only tells links apart; it is not looked up to sort.
    if (!IpAddress::Parse(text.substr(0, text.find('%')), address)) {
        key.fill(0xFF);
    } else if (address.IsV6()) {
        key[0] = 1;
        std::memcpy(key.data() + 1, address.V6(), 16);
    } else {
        const std::uint32_t v4 = address.V4(); // network order: its bytes sort as the number
        std::memcpy(key.data() + 1, &v4, 4);
    }
    return key;
}

} // namespace qv
