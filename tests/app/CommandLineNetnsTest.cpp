#include "tests/TestSupport.h"
#include "tests/platform/NetnsEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using qv::test::Shell;

const std::string kBin = QV_QUORVANE_BIN;

TEST(CommandLineNetns, ListPrintsTheKernelTable)
{
    QV_REQUIRE_NETNS();
    std::string out;
    ASSERT_EQ(Shell(kBin + " --list", &out), 0);
    EXPECT_NE(out.find("10.213.1.2\tpeer.quorvane.test\t00:00:0C:AA:BB:02\tCisco Systems, Inc\tDynamic\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("10.213.1.50\t" + qv::test::Env("QV_NAME49") +
                       "\t00:00:0C:12:34:56\tCisco Systems, Inc\tStatic\n"),
              std::string::npos);
    EXPECT_NE(out.find("10.213.1.52\t" + qv::test::Env("QV_NAME253") + "\t02:00:00:00:00:52\tN/A\tOther\n"),
              std::string::npos);
    EXPECT_NE(out.find("10.213.1.99\t10.213.1.99\t00:00:00:00:00:00\tXEROX CORPORATION\tInvalid\n"),
              std::string::npos);
    EXPECT_EQ(out.find("0.0.0.0"), std::string::npos);
}

TEST(CommandLineNetns, ArpShowsTheLivePeer)
{
    QV_REQUIRE_NETNS();
    std::string out;
    ASSERT_EQ(Shell(kBin + " --arp 10.213.1.2", &out), 0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");
    ASSERT_EQ(Shell(kBin + " --arp 10.213.1.2 --source 10.213.1.1", &out), 0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");
}

TEST(CommandLineNetns, ArpSaysWhyItFailed)
{
    QV_REQUIRE_NETNS();
    std::string err;
    EXPECT_EQ(Shell(kBin + " --arp 10.213.3.2 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("not on a link"), std::string::npos) << err;
    EXPECT_EQ(Shell(kBin + " --arp 10.213.1.2 --source 10.213.1.77 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("not an address of this machine"), std::string::npos) << err;
    EXPECT_EQ(Shell(kBin + " --arp 10.213.1.97 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("no reply"), std::string::npos) << err;
    EXPECT_EQ(Shell(kBin + " --arp 10.213.1 2>/dev/null"), 2);
}

TEST(CommandLineNetns, WithoutRawSocketsTheKernelResolvesForUs)
{
    QV_REQUIRE_NETNS();
    if (Shell("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "setpriv (util-linux) is missing";
    // A copy that the unprivileged user can reach, wherever the build lives.
    qv::test::TempDir dir;
    const std::string copy = dir.Path() + "/quorvane";
    std::filesystem::copy_file(kBin, copy);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
    std::filesystem::permissions(copy, std::filesystem::perms(0755));
    const std::string asNobody =
        "setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all " + copy;
    std::string out;
    // A fresh entry: the fallback has to wait for the kernel's own request.
    Shell("ip neigh del 10.213.1.2 dev h0");
    ASSERT_EQ(Shell(asNobody + " --arp 10.213.1.2", &out), 0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");
    EXPECT_EQ(Shell(asNobody + " --arp 10.213.1.96 2>/dev/null"), 1);
    ASSERT_EQ(Shell(asNobody + " --list", &out), 0);
    EXPECT_NE(out.find("10.213.1.50\t"), std::string::npos);
}

} // namespace

namespace {

TEST(StartWithoutDisplay, SaysSoInOneLineAndExitsOne)
{
    std::string err;
    EXPECT_EQ(
        Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + kBin + " 2>&1 >/dev/null", &err), 1);
    EXPECT_EQ(err, "quorvane: no display to open the window on (use 'quorvane --list' in a terminal)\n");
    // A display that is named but cannot be reached gives the same line, not Qt's abort.
    EXPECT_EQ(
        Shell("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 " + kBin + " 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("quorvane: no display to open the window on"), std::string::npos) << err;
}

} // namespace
