#include "arp/CNameResolver.h"
#include "tests/platform/FakeNetworkServices.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

struct Answers
{
    std::mutex lock;
    std::vector<std::string> texts;
    std::vector<std::string> Take()
    {
        std::lock_guard<std::mutex> guard(lock);
        return std::exchange(texts, {});
    }
};

// Only an answer that changes what a list shows is sent on.
TEST(CNameResolver, SendsANameOnlyWhenItDiffersFromTheOneLearned)
{
    auto net = std::make_shared<FakeNetworkServices>();
    net->SetName("10.0.0.1", "router.test");
    Answers answers;
    CNameResolver resolver(net, CNameResolver::kMaxInFlight, std::chrono::milliseconds(0));
    resolver.SetAnswer([&](const qv::IpAddress&, const std::string& text) {
        std::lock_guard<std::mutex> guard(answers.lock);
        answers.texts.push_back(text);
    });
    const auto ask = [&](const char* ip) {
        resolver.Request(qv::InetAddr(ip));
        EXPECT_TRUE(resolver.WaitIdle(std::chrono::seconds(10)));
        return answers.Take();
    };
    EXPECT_EQ(ask("10.0.0.1"), std::vector<std::string>{"router.test"});
    EXPECT_EQ(ask("10.0.0.1"), std::vector<std::string>{});
    net->SetName("10.0.0.1", "renamed.test");
    EXPECT_EQ(ask("10.0.0.1"), std::vector<std::string>{"renamed.test"});
    EXPECT_EQ(resolver.Known(qv::InetAddr("10.0.0.1")), "renamed.test");
    // No name: the list already shows the address, so nothing is sent.
    EXPECT_EQ(ask("10.0.0.9"), std::vector<std::string>{});
    EXPECT_EQ(resolver.Known(qv::InetAddr("10.0.0.9")), "10.0.0.9");
}

// A server that does not answer is no answer: the name learned stays until
// one says it is gone. Names learned are not asked again within the refresh time.
TEST(CNameResolver, AnOutageKeepsLearnedNamesAndOnlyNxdomainDropsThem)
{
    auto net = std::make_shared<FakeNetworkServices>();
    net->SetName("10.0.0.1", "router.test");
    std::mutex lock;
    std::vector<std::string> texts;
    {
        CNameResolver fresh(net, CNameResolver::kMaxInFlight, std::chrono::minutes(5));
        fresh.Request(qv::InetAddr("10.0.0.1"));
        ASSERT_TRUE(fresh.WaitIdle(std::chrono::seconds(10)));
        const int before = net->lookups;
        fresh.Request(qv::InetAddr("10.0.0.1"));
        ASSERT_TRUE(fresh.WaitIdle(std::chrono::seconds(10)));
        EXPECT_EQ(net->lookups, before) << "a name learned now was asked again";
    }
    CNameResolver resolver(net, CNameResolver::kMaxInFlight, std::chrono::milliseconds(0));
    resolver.SetAnswer([&](const qv::IpAddress&, const std::string& text) {
        std::lock_guard<std::mutex> guard(lock);
        texts.push_back(text);
    });
    const auto ask = [&] {
        resolver.Request(qv::InetAddr("10.0.0.1"));
        EXPECT_TRUE(resolver.WaitIdle(std::chrono::seconds(10)));
        return resolver.Known(qv::InetAddr("10.0.0.1")).value_or("none");
    };
    EXPECT_EQ(ask(), "router.test");
    net->nameServerDown = true;
    EXPECT_EQ(ask(), "router.test");
    EXPECT_EQ(ask(), "router.test");
    net->nameServerDown = false;
    net->ForgetName("10.0.0.1");
    EXPECT_EQ(ask(), "10.0.0.1");
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(texts, (std::vector<std::string>{"router.test", "10.0.0.1"}));
}

} // namespace
