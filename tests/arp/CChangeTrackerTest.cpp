#include "arp/CChangeTracker.h"
#include "platform/AddressText.h"

#include <gtest/gtest.h>

namespace {

using Kind = CChangeTracker::Kind;
using Mac = CChangeTracker::Mac;

std::uint32_t Ip(const char* text)
{
    return qv::InetAddr(text);
}
Mac MacOf(std::uint8_t last)
{
    return {0x00, 0x00, 0x0c, 0x00, 0x00, last};
}

std::vector<CChangeTracker::Event> Observe(CChangeTracker& tracker, const char* ip, std::uint8_t last)
{
    std::vector<CChangeTracker::Event> events;
    tracker.Observe(Ip(ip), MacOf(last), events);
    return events;
}

TEST(CChangeTracker, TellsNewChangedFlipFlopAndTheGatewayApart)
{
    CChangeTracker tracker;
    tracker.Baseline(Ip("10.0.0.1"), MacOf(1));
    tracker.SetGateway(Ip("10.0.0.1"));
    tracker.Baseline(Ip("10.0.0.2"), MacOf(2));

    EXPECT_TRUE(Observe(tracker, "10.0.0.2", 2).empty());
    auto events = Observe(tracker, "10.0.0.3", 3);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::New);
    events = Observe(tracker, "10.0.0.2", 4);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Changed);
    EXPECT_EQ(events[0].oldMac, MacOf(2));
    events = Observe(tracker, "10.0.0.2", 2);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::FlipFlop);
    events = Observe(tracker, "10.0.0.1", 9);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::GatewayChanged);
}

// The gateway's MAC answering for another address, whichever moves first.
TEST(CChangeTracker, SharedIsToldInBothOrders)
{
    // Gateway .1 and station .66; one of them takes the other's MAC.
    const auto takes = [](const char* ip, std::uint8_t mac) {
        CChangeTracker tracker;
        tracker.Baseline(Ip("10.0.0.1"), MacOf(1));
        tracker.SetGateway(Ip("10.0.0.1"));
        tracker.Baseline(Ip("10.0.0.66"), MacOf(66));
        return Observe(tracker, ip, mac);
    };
    auto events = takes("10.0.0.1", 66); // the gateway takes the attacker's MAC
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::GatewayChanged);
    EXPECT_EQ(events[1].kind, Kind::Shared);
    EXPECT_EQ(events[1].other, Ip("10.0.0.66"));
    EXPECT_EQ(events[1].oldMac, MacOf(1));
    events = takes("10.0.0.66", 1); // another address takes the gateway's MAC
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::Changed);
    EXPECT_EQ(events[1].kind, Kind::Shared);
    EXPECT_EQ(events[1].addr, Ip("10.0.0.1"));
    EXPECT_EQ(events[1].other, Ip("10.0.0.66"));
}

TEST(CChangeTracker, AFloodPastTheBoundEvictsTheOldestButNeverAGateway)
{
    CChangeTracker tracker(3);
    tracker.SetGateway(Ip("10.0.0.1")); // known as the gateway before it is seen
    tracker.Baseline(Ip("10.0.0.1"), MacOf(1));
    tracker.Baseline(Ip("10.0.0.2"), MacOf(2));
    const auto flood = [&](int from) {
        for (int i = from; i < from + 30; ++i) {
            const std::string ip = "10.0.1." + std::to_string(i);
            Observe(tracker, ip.c_str(), static_cast<std::uint8_t>(i));
        }
    };
    flood(10);
    EXPECT_EQ(tracker.Size(), 3u);
    EXPECT_EQ(tracker.Find(Ip("10.0.0.2")), nullptr);
    EXPECT_NE(tracker.Find(Ip("10.0.1.39")), nullptr);
    auto events = Observe(tracker, "10.0.0.1", 99);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::GatewayChanged);

    // The route moves to a station already seen; the gateway before stays kept too.
    tracker.SetGateway(Ip("10.0.1.39"));
    flood(100);
    EXPECT_NE(tracker.Find(Ip("10.0.0.1")), nullptr);
    events = Observe(tracker, "10.0.1.39", 7);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::GatewayChanged);
}

} // namespace
