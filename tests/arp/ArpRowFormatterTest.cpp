#include "arp/ArpRowFormatter.h"
#include "tests/TestSupport.h"
#include "tests/platform/FakeNetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <gtest/gtest.h>

namespace {

struct Formatter : ::testing::Test
{
    FakeNetworkServices net;
    CVendorDatabase vendors;
    void SetUp() override
    {
        static const std::string text = qv::test::ReadFile(qv::test::DataDir() + "/vendors_small.xml");
        ASSERT_TRUE(vendors.LoadVendorDocument(text.c_str(), text.size()));
    }
};

TEST_F(Formatter, GivesTheFiveTextsInColumnOrder)
{
    net.names[qv::InetAddr("192.168.0.1")] = "gateway";
    const auto text = qv::FormatArpRow(
        FakeNetworkServices::Row("192.168.0.1", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, 3), vendors, net);
    EXPECT_EQ(text.strIp, "192.168.0.1");
    EXPECT_EQ(text.strDnsName, "gateway");
    EXPECT_EQ(text.strMac, "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(text.strVendor, "Ayecom Technology Co., Ltd.");
    EXPECT_EQ(text.strType, "Dynamic");
}

TEST_F(Formatter, UnknownVendorsAndNamesFallBack)
{
    // An incomplete entry has no link-layer address: no owner of 00-00-00 for it.
    auto zero = qv::FormatArpRow(FakeNetworkServices::Row("10.0.0.5", {}, 2), vendors, net);
    EXPECT_EQ(zero.strMac, "00:00:00:00:00:00");
    EXPECT_EQ(zero.strVendor, "N/A");
    // Nor for six zero bytes, which no device has.
    EXPECT_EQ(
        qv::FormatArpRow(FakeNetworkServices::Row("10.0.0.6", {0, 0, 0, 0, 0, 0}, 3), vendors, net).strVendor,
        "N/A");
    EXPECT_EQ(zero.strDnsName, "10.0.0.5");
    EXPECT_EQ(zero.strType, "Invalid");
    const std::pair<std::vector<std::uint8_t>, const char*> kinds[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "Broadcast"},
        {{0x01, 0x00, 0x5E, 0x00, 0x00, 0xFB}, "Multicast"},
        {{0x00, 0x1B, 0x2B, 0x3C, 0x4D, 0x5E}, "N/A"}};
    for (const auto& [mac, text] : kinds)
        EXPECT_EQ(qv::FormatArpRow(FakeNetworkServices::Row("224.0.0.251", mac, 1), vendors, net).strVendor,
                  text);
}

TEST_F(Formatter, ShowsSixBytesWhateverLengthTheRowDeclares)
{
    auto row = FakeNetworkServices::Row("10.0.0.7", {0xAA, 0x00, 0x04, 0x01, 0x02, 0x03}, 4);
    row.dwPhysAddrLen = 4;
    const auto text = qv::FormatArpRow(row, vendors, net);
    EXPECT_EQ(text.strMac, "AA:00:04:01:02:03");
    EXPECT_EQ(text.strVendor, "DIGITAL EQUIPMENT CORPORATION");
    EXPECT_EQ(text.strType, "Static");
}

TEST_F(Formatter, LongNamesAreShownWhole)
{
    const std::string name49(49, 'a');
    const std::string name253 = std::string(63, 'b') + "." + std::string(63, 'c') + "." +
                                std::string(63, 'd') + "." + std::string(61, 'e');
    ASSERT_EQ(name253.size(), 253u);
    net.names[qv::InetAddr("10.0.0.1")] = name49;
    net.names[qv::InetAddr("10.0.0.2")] = name253;
    EXPECT_EQ(qv::ResolveHostName("10.0.0.1", net), name49);
    EXPECT_EQ(qv::ResolveHostName("10.0.0.2", net), name253);
    EXPECT_EQ(qv::ResolveHostName("10.0.0.3", net), "10.0.0.3");
}

TEST(TypeText, NamesTheFourTypesAndPrintsOthersInDecimal)
{
    EXPECT_EQ(qv::TypeText(0), "");
    EXPECT_EQ(qv::TypeText(1), "Other");
    EXPECT_EQ(qv::TypeText(2), "Invalid");
    EXPECT_EQ(qv::TypeText(3), "Dynamic");
    EXPECT_EQ(qv::TypeText(4), "Static");
    EXPECT_EQ(qv::TypeText(5), "5");
    EXPECT_EQ(qv::TypeText(4294967295u), "4294967295");
}

} // namespace
