// Arbitrary bytes as a vendor document: load, the lookup walk for a few
// keys, then a cursor walk steered by the input itself.
#include "vendor/CComError.h"
#include "vendor/CVendorDatabase.h"
#include "vendor/CXmlDocReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    CVendorDatabase db;
    db.LoadVendorDocument(text.c_str(), text.size());
    std::string vendor;
    for (const char* key : {"00-00-00", "00-00-0C", "AA-00-04", "FF-FF-FF"})
        db.LookupVendor(vendor, key);

    CXmlDocReader reader([](const std::string&) {});
    reader.LoadFromText(text.c_str());
    static const char* const names[] = {nullptr, "", "Macaddresses", "mac", "a"};
    for (std::size_t i = 0; i < size && i < 256; ++i) {
        const std::uint8_t op = data[i];
        try {
            switch (op % 6) {
            case 0:
                reader.Rewind();
                break;
            case 1:
                reader.FindElement(names[(op / 6) % 5]);
                break;
            case 2:
                reader.Descend();
                break;
            case 3:
                reader.Ascend();
                break;
            case 4:
                reader.GetAttribute((op & 0x40) ? "addr" : "company");
                break;
            case 5:
                reader.FindElement(nullptr);
                break;
            }
        } catch (const CComError&) {
            // Part of the contract: no element found yet.
        }
    }
    return 0;
}
