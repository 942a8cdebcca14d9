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

TEST(OuiKey, ReadsWhatUsersType)
{
    const std::pair<const char*, const char*> good[] = {
        {"00-00-0C", "00-00-0C"},          {"00-00-0c", "00-00-0C"},
        {"00:00:0c", "00-00-0C"},          {"00000c", "00-00-0C"},
        {"00:1a:2b:3c:4d:5e", "00-1A-2B"}, {"001A2B3C4D5E", "00-1A-2B"},
        {"00-1A-2B-3C-4D-5E", "00-1A-2B"}, {"001a.2b3c.4d5e", "00-1A-2B"},
    };
    for (const auto& [in, out] : good) {
        const auto bytes = qv::ParseMacText(in);
        ASSERT_TRUE(bytes.has_value()) << in;
        EXPECT_EQ(qv::MakeOuiKey(bytes->data()), out) << in;
    }
    EXPECT_EQ(qv::ParseMacText("001a.2b3c.4d5e")->size(), 6u);
    const char* bad[] = {"",          "00-00",         "00-00-0G",        "00-00:0C",
                         "00--00-0C", "-00-00-0C",     "000-00-C",        "00-00-0C-",
                         "0000000",   "00 00 0C",      "00-00-0C-11",     "zz:zz:zz",
                         "001a.2b3c", "00.1a2b3c4d5e", "001a.2b3c.4d5e.", "00:1a:2b:3c:4d.5e"};
    for (const char* in : bad)
        EXPECT_FALSE(qv::ParseMacText(in).has_value()) << in;
}

TEST(OuiKey, BlockKeysOfEveryRegistryLength)
{
    EXPECT_EQ(qv::MakeBlockKey("741AE09"), "74-1A-E0-9");
    EXPECT_EQ(qv::MakeBlockKey("70B3D5F2F"), "70-B3-D5-F2-F");
    const std::pair<const char*, int> good[] = {{"00-00-0C", 24}, {"74-1A-E0-9", 28}, {"70-B3-D5-F2-F", 36}};
    for (const auto& [key, bits] : good) {
        const auto block = qv::ParseBlockKey(key);
        ASSERT_TRUE(block.has_value()) << key;
        EXPECT_EQ(block->bits, bits);
    }
    EXPECT_EQ(qv::ParseBlockKey("74-1A-E0-9")->prefix, 0x741AE09u);
    for (const char* key : {"00-00-0c", "00:00:0C", "00-00-0C ", "", "74-1A-E0-", "74-1A-E0-9-1", "741AE09"})
        EXPECT_FALSE(qv::ParseBlockKey(key).has_value()) << key;
}

} // namespace
