#include "app/CommandLine.h"
#include "tests/platform/FakeNetworkServices.h"
#include "vendor/CVendorDatabase.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace {

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct Cli : ::testing::Test
{
    FakeNetworkServices net;
    CVendorDatabase vendors{{}, ""};
    std::ostringstream out, err;
    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "quorvane");
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        return qv::RunCommandLine(static_cast<int>(argv.size()), argv.data(), net, vendors, out, err);
    }
};

TEST_F(Cli, NoArgumentsMeansTheWindow)
{
    EXPECT_EQ(Run({}), -1);
}

TEST_F(Cli, VendorAcceptsKeysAndMacsInAnyCommonForm)
{
    EXPECT_EQ(Run({"--vendor", "00:00:0c:12:34:56"}), 0);
    EXPECT_EQ(Run({"--vendor", "00000C"}), 0);
    EXPECT_EQ(Run({"--vendor", "0000.0c12.3456"}), 0);
    EXPECT_EQ(Run({"--vendor", "52:54:00:12:34:56"}), 0);
    EXPECT_EQ(out.str(),
              "Cisco Systems, Inc\nCisco Systems, Inc\nCisco Systems, Inc\nQEMU/KVM virtual NIC\n");
    out.str("");
    EXPECT_EQ(Run({"--vendor", "2C-CF-67"}), 1);
    EXPECT_EQ(out.str(), "N/A\n");
    out.str("");
    EXPECT_EQ(Run({"--vendor", "zz:zz:zz"}), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "quorvane: 'zz:zz:zz' is not a MAC address or OUI\n");
}

TEST_F(Cli, BadOptionsExitWithStatusTwoAndOneLine)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"--frobnicate"},
                                          {"--vendor"},
                                          {"--list", "x"},
                                          {"--list", "--watch"},
                                          {"-n"},
                                          {"-n", "--arp", "10.0.0.1"},
                                          {"--source", "10.0.0.2", "--list"},
                                          {"--arp"},
                                          {"--arp", "10.0.0.1", "--source"}}) {
        err.str("");
        EXPECT_EQ(Run(args), 2) << args[0];
        EXPECT_EQ(Lines(err.str()), 1) << err.str();
    }
    EXPECT_EQ(Run({"--arp", "10.0.0.300"}), 2);
    EXPECT_EQ(Run({"--arp", "10.0.0.1", "--source", "nowhere"}), 2);
    EXPECT_EQ(net.arpCalls.load(), 0);
    // What is echoed cannot drive the terminal.
    for (std::vector<std::string> args :
         {std::vector<std::string>{"\x1B]0;pwned\a"}, {"--arp", "\x1B]0;pwned\a"}}) {
        err.str("");
        EXPECT_EQ(Run(args), 2);
        EXPECT_NE(err.str().find("'\\x1B]0;pwned\\x07'"), std::string::npos) << err.str();
        EXPECT_EQ(err.str().find('\x1B'), std::string::npos);
    }
}

TEST_F(Cli, HelpListsTheOptions)
{
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* option : {"--list", "--numeric", "--arp", "--source", "--vendor", "--help", "--version"})
        EXPECT_NE(out.str().find(option), std::string::npos) << option;
    out.str("");
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), "quorvane " QV_VERSION "\nvendor data 2022-08-27 (built in)\n");
}

TEST_F(Cli, ListPrintsOneTabSeparatedLinePerRow)
{
    net.rows = {FakeNetworkServices::Row("10.0.0.1", {0x00, 0x00, 0x0C, 1, 2, 3}, 3),
                FakeNetworkServices::Row("10.0.0.2", {0x02, 0, 0, 0, 0, 2}, 5)};
    net.names[qv::InetAddr("10.0.0.1")] = "one.test";
    EXPECT_EQ(Run({"--list"}), 0);
    EXPECT_EQ(out.str(), "10.0.0.1\tone.test\t00:00:0C:01:02:03\tCisco Systems, Inc\tDynamic\n"
                         "10.0.0.2\t10.0.0.2\t02:00:00:00:00:02\tLocally administered\t5\n");
    out.str("");
    EXPECT_EQ(Run({"-n", "--list"}), 0);
    EXPECT_EQ(Run({"--list", "--numeric"}), 0);
    EXPECT_EQ(net.lookups.load(), 2) << "-n asked for names";
    EXPECT_EQ(out.str(), "10.0.0.1\t10.0.0.1\t00:00:0C:01:02:03\tCisco Systems, Inc\tDynamic\n"
                         "10.0.0.2\t10.0.0.2\t02:00:00:00:00:02\tLocally administered\t5\n"
                         "10.0.0.1\t10.0.0.1\t00:00:0C:01:02:03\tCisco Systems, Inc\tDynamic\n"
                         "10.0.0.2\t10.0.0.2\t02:00:00:00:00:02\tLocally administered\t5\n");
    out.str("");
    net.rows.clear();
    EXPECT_EQ(Run({"--list"}), 0);
    EXPECT_EQ(out.str(), "");
    net.rows = {FakeNetworkServices::Row("10.0.0.1", {1, 2, 3, 4, 5, 6}, 3)};
    net.failFill = true;
    EXPECT_EQ(Run({"--list"}), 1);
    EXPECT_EQ(Lines(err.str()), 1);
}

// Names reach JSON through its library's escaping: any text comes back as it was.
TEST_F(Cli, ListAsJsonParsesBackToTheSameTexts)
{
    net.rows = {FakeNetworkServices::Row("10.0.0.1", {0x00, 0x00, 0x0C, 1, 2, 3}, 3)};
    const std::string hostile = "we\"ird\\name\u2028\x01</script>名前";
    net.names[qv::InetAddr("10.0.0.1")] = hostile;
    ASSERT_EQ(Run({"--json", "--list"}), 0);
    const auto list = nlohmann::json::parse(out.str());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["name"], hostile);
    EXPECT_EQ(list[0]["ip"], "10.0.0.1");
    EXPECT_EQ(list[0]["vendor"], "Cisco Systems, Inc");
    EXPECT_EQ(list[0]["family"], "inet");
    EXPECT_EQ(Run({"--json", "--arp", "10.0.0.1"}), 2);
}

TEST_F(Cli, ArpPrintsMacAndVendorOrSaysWhyNot)
{
    net.arpReplies[qv::InetAddr("10.0.0.1")] = {0xAA, 0x00, 0x04, 0x00, 0x01, 0x02};
    EXPECT_EQ(Run({"--arp", "10.0.0.1"}), 0);
    EXPECT_EQ(net.lastArpSrc, qv::InetAddr("10.0.0.2")); // the local address by default
    EXPECT_EQ(Run({"--arp", "10.0.0.1", "--source", "10.0.0.7"}), 0);
    EXPECT_EQ(net.lastArpSrc, qv::InetAddr("10.0.0.7"));
    EXPECT_EQ(out.str(), "AA:00:04:00:01:02\tDIGITAL EQUIPMENT CORPORATION\n"
                         "AA:00:04:00:01:02\tDIGITAL EQUIPMENT CORPORATION\n");
    EXPECT_EQ(Run({"--arp", "10.0.0.9"}), 1);
    EXPECT_NE(err.str().find("no reply"), std::string::npos) << err.str();
    // A host name is resolved; an address with a typo is never asked for as one.
    net.hosts["router.test"] = "10.0.0.1";
    out.str("");
    EXPECT_EQ(Run({"--arp", "router.test"}), 0);
    EXPECT_EQ(out.str(), "AA:00:04:00:01:02\tDIGITAL EQUIPMENT CORPORATION\n");
    EXPECT_EQ(Run({"--arp", "nowhere.test"}), 2);
}

} // namespace
