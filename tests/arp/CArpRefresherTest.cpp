#include "arp/CArpRefresher.h"
#include "tests/TestSupport.h"
#include "tests/arp/RecordingSink.h"
#include "tests/platform/FakeNetworkServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::vector<std::string>>;

struct Refresher : ::testing::Test
{
    std::shared_ptr<FakeNetworkServices> net = std::make_shared<FakeNetworkServices>();
    std::shared_ptr<CVendorDatabase> vendors = std::make_shared<CVendorDatabase>();
    std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
    std::mutex lock;
    std::condition_variable passed;
    int passes = 0;
    std::vector<int> results;

    void SetUp() override
    {
        static const std::string text = qv::test::ReadFile(qv::test::DataDir() + "/vendors_small.xml");
        ASSERT_TRUE(vendors->LoadVendorDocument(text.c_str(), text.size()));
        net->rows = {FakeNetworkServices::Row("10.0.0.1", {0x00, 0x00, 0x0C, 1, 2, 3}, 3),
                     FakeNetworkServices::Row("10.0.0.3", {0xAA, 0x00, 0x04, 1, 2, 3}, 4),
                     FakeNetworkServices::Row("10.0.0.2", {0x02, 0, 0, 0, 0, 9}, 2)};
        net->names[qv::InetAddr("10.0.0.1")] = "router.test";
    }
    std::unique_ptr<CArpRefresher> Make(std::chrono::milliseconds period)
    {
        CArpRefresher::Services s{net, vendors, sink,
                                  [this](int result) {
                                      std::lock_guard<std::mutex> guard(lock);
                                      ++passes;
                                      results.push_back(result);
                                      passed.notify_all();
                                  },
                                  nullptr};
        return std::make_unique<CArpRefresher>(std::move(s), period);
    }
    bool WaitForPasses(int n)
    {
        std::unique_lock<std::mutex> guard(lock);
        return passed.wait_for(guard, 10s, [&] { return passes >= n; });
    }
};

TEST_F(Refresher, APassListsEveryRowAtOnceAndNamesFillInAsTheyCome)
{
    net->blockResolver = true;
    auto refresher = Make(1h);
    EXPECT_EQ(refresher->RefreshArpList(), 1);
    EXPECT_EQ(sink->Lines(),
              (Lines{{"10.0.0.1", "10.0.0.1", "00:00:0C:01:02:03", "CISCO SYSTEMS, INC.", "Dynamic"},
                     {"10.0.0.3", "10.0.0.3", "AA:00:04:01:02:03", "DIGITAL EQUIPMENT CORPORATION", "Static"},
                     {"10.0.0.2", "10.0.0.2", "02:00:00:00:00:09", "Locally administered", "Invalid"}}));
    // A second pass while the names are still out asks for none of them again.
    EXPECT_EQ(refresher->RefreshArpList(), 1);
    ASSERT_TRUE(qv::test::WaitUntil([&] { return net->lookups.load() == 3; }));
    net->ReleaseResolver();
    ASSERT_TRUE(refresher->Names().WaitIdle(10s));
    EXPECT_EQ(net->lookups.load(), 3);
    EXPECT_EQ(sink->Lines()[0][1], "router.test");
    EXPECT_EQ(sink->Lines()[1][1], "10.0.0.3");

    // The next pass lists the learned name at once.
    net->blockResolver = true;
    EXPECT_EQ(refresher->RefreshArpList(), 1);
    EXPECT_EQ(sink->Lines()[0][1], "router.test");
    net->ReleaseResolver();
}

TEST_F(Refresher, TheNextPassReplacesTheLinesAndTheSameAddressTwiceGivesTwoLines)
{
    auto refresher = Make(1h);
    ASSERT_EQ(refresher->RefreshArpList(), 1);
    net->rows = {FakeNetworkServices::Row("10.0.0.9", {1, 2, 3, 4, 5, 6}, 3),
                 FakeNetworkServices::Row("10.0.0.9", {1, 2, 3, 4, 5, 7}, 3)};
    ASSERT_EQ(refresher->RefreshArpList(), 1);
    const Lines lines = sink->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0][2], "01:02:03:04:05:06");
    EXPECT_EQ(lines[1][2], "01:02:03:04:05:07");
    EXPECT_EQ(sink->replaces, 2);

    // IPv6 neighbours follow the IPv4 ones in the same change.
    qv::Neighbour6 six{};
    six.addr[0] = 0xFD;
    six.addr[15] = 0x02;
    six.physLen = 6;
    const std::uint8_t cisco[6] = {0x00, 0x00, 0x0C, 0xAA, 0xBB, 0x02};
    std::copy(cisco, cisco + 6, six.phys);
    six.type = MIB_IPNET_TYPE_STATIC;
    net->rows6 = {six};
    net->names6["fd00::2"] = "router6.lan";
    ASSERT_EQ(refresher->RefreshArpList(), 1);
    // Its name comes through the same pool.
    ASSERT_TRUE(refresher->Names().WaitIdle(5s));
    ASSERT_EQ(sink->Lines().size(), 3u);
    EXPECT_EQ(sink->Lines()[2], (std::vector<std::string>{"fd00::2", "router6.lan", "00:00:0C:AA:BB:02",
                                                          "CISCO SYSTEMS, INC.", "Static"}));
}

TEST_F(Refresher, EmptyOrFailingSnapshotsLeaveAnEmptyList)
{
    auto refresher = Make(1h);
    ASSERT_EQ(refresher->RefreshArpList(), 1);
    net->failFill = true;
    EXPECT_EQ(refresher->RefreshArpList(), 0);
    EXPECT_TRUE(sink->Lines().empty());
    net->failFill = false;
    net->rows.clear();
    EXPECT_EQ(refresher->RefreshArpList(), 0);
    EXPECT_TRUE(sink->Lines().empty());
}

TEST_F(Refresher, ATableThatGrowsBeforeTheFillIsReadAgain)
{
    auto refresher = Make(1h);
    net->growBeforeFills = 2;
    EXPECT_EQ(refresher->RefreshArpList(), 1);
    EXPECT_EQ(sink->Lines().size(), 3u);
    EXPECT_EQ(net->fills.load(), 3);
    net->claimExtraRows = 1000; // only what the block holds is read
    EXPECT_EQ(refresher->RefreshArpList(), 1);
    EXPECT_EQ(sink->Lines().size(), 3u);
    net->claimExtraRows = 0;
    net->growBeforeFills = 100; // never settles: give up for this period
    EXPECT_EQ(refresher->RefreshArpList(), 0);
    EXPECT_TRUE(sink->Lines().empty());
}

TEST_F(Refresher, TheWorkerRepeatsPassesEachPeriod)
{
    auto refresher = Make(5ms);
    refresher->Start();
    ASSERT_TRUE(WaitForPasses(3));
    EXPECT_TRUE(refresher->Stop(5s));
    std::lock_guard<std::mutex> guard(lock);
    for (int result : results)
        EXPECT_EQ(result, 1);
    EXPECT_EQ(sink->Lines().size(), 3u);
}

TEST_F(Refresher, StopEndsASleepingWorkerAtOnce)
{
    auto refresher = Make(1h);
    refresher->Start();
    ASSERT_TRUE(WaitForPasses(1));
    // The worker sleeps for an hour: only a wake-up lets it end in time.
    EXPECT_TRUE(refresher->Stop(5s));
}

TEST_F(Refresher, AStuckResolverHoldsNoPassBackAndStopIsPrompt)
{
    net->blockResolver = true;
    auto refresher = Make(1h);
    refresher->Start();
    ASSERT_TRUE(WaitForPasses(1));
    EXPECT_EQ(sink->Lines().size(), 3u);
    ASSERT_TRUE(qv::test::WaitUntil([&] { return net->lookups.load() == 3; }));
    // Lookups that never answer are not waited for.
    EXPECT_TRUE(refresher->Stop(500ms));
    refresher.reset();
    sink.reset();
    vendors.reset();
    net->ReleaseResolver(); // the lookups end, their answers are dropped
    EXPECT_TRUE(qv::test::WaitUntil([&] { return net.use_count() == 1; }));
}

} // namespace
