#include "vendor/OuiKey.h"

#include <gtest/gtest.h>

namespace {

TEST(OuiKey, FormatsUpperCaseHexPairs)
{
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    EXPECT_EQ(qv::MakeOuiKey(mac), "00-1A-2B");
    EXPECT_EQ(qv::MakeMacText(mac), "00:1A:2B:3C:4D:5E");
    const std::uint8_t zero[6] = {};
    EXPECT_EQ(qv::MakeMacText(zero), "00:00:00:00:00:00");
}

TEST(OuiKey, NormalisesWhatUsersType)
{
    const std::pair<const char*, const char*> good[] = {
        {"00-00-0C", "00-00-0C"},          {"00-00-0c", "00-00-0C"},
        {"00:00:0c", "00-00-0C"},          {"00000c", "00-00-0C"},
        {"00:1a:2b:3c:4d:5e", "00-1A-2B"}, {"001A2B3C4D5E", "00-1A-2B"},
        {"00-1A-2B-3C-4D-5E", "00-1A-2B"},
    };
    for (const auto& [in, out] : good)
        EXPECT_EQ(qv::NormaliseOuiKey(in).value_or("none"), out) << in;
    const char* bad[] = {"",         "00-00",     "00-00-0G", "00-00:0C", "00--00-0C",  "-00-00-0C",
                         "000-00-C", "00-00-0C-", "0000000",  "00 00 0C", "00-00-0C-11"};
    for (const char* in : bad)
        EXPECT_FALSE(qv::NormaliseOuiKey(in).has_value()) << in;
}

} // namespace
