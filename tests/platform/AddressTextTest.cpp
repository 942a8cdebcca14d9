#include "platform/AddressText.h"

#include <gtest/gtest.h>

#include "platform/SocketApi.h"
#include <thread>

namespace {

TEST(AddressText, ConvertsBothWaysInNetworkOrder)
{
    EXPECT_EQ(qv::InetAddr("192.168.0.1"), htonl(0xC0A80001u));
    EXPECT_EQ(qv::InetNtoa(htonl(0xC0A80001u)), "192.168.0.1");
    EXPECT_EQ(qv::InetNtoa(0), "0.0.0.0");
    EXPECT_EQ(qv::InetAddr("0.0.0.0"), 0u);
    EXPECT_EQ(qv::InetAddr("not an address"), qv::INADDR_NONE_VALUE);
    EXPECT_EQ(qv::InetAddr("256.1.1.1"), qv::INADDR_NONE_VALUE);
}

TEST(AddressText, StrictParsingForTypedAddresses)
{
    std::uint32_t a = 0;
    EXPECT_TRUE(qv::ParseDottedQuad("10.213.1.2", a));
    EXPECT_EQ(a, qv::InetAddr("10.213.1.2"));
    for (const char* bad : {"10.213.1", "10.213.1.2.3", "010.1.1.1x", "", "a.b.c.d", "10.213.1.256"})
        EXPECT_FALSE(qv::ParseDottedQuad(bad, a)) << bad;
}

TEST(AddressText, ConversionsFromTwoThreadsDoNotShareABuffer)
{
    int wrongThere = 0;
    int wrongHere = 0;
    std::thread other([&] {
        for (int i = 0; i < 20000; ++i)
            wrongThere += qv::InetNtoa(qv::InetAddr("10.1.2.3")) != "10.1.2.3";
    });
    for (int i = 0; i < 20000; ++i)
        wrongHere += qv::InetNtoa(qv::InetAddr("172.16.254.9")) != "172.16.254.9";
    other.join();
    EXPECT_EQ(wrongThere + wrongHere, 0);
}

} // namespace
