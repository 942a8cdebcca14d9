#include "tests/TestSupport.h"
#include "tests/platform/NetnsEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
    EXPECT_NE(out.find("10.213.1.52\t" + qv::test::Env("QV_NAME253") +
                       "\t02:00:00:00:00:52\tLocally administered\tOther\n"),
              std::string::npos);
    EXPECT_NE(out.find("10.213.1.99\t10.213.1.99\t00:00:00:00:00:00\tN/A\tInvalid\n"), std::string::npos);
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

// Copies of the program and its helper where the unprivileged user reaches
// them; the helper gets its file capability as the package gives it.
struct UnprivilegedCopies
{
    qv::test::TempDir dir;
    std::string program = dir.Path() + "/quorvane";
    std::string window = dir.Path() + "/quorvane-window";
    std::string helper = dir.Path() + "/quorvane-arping";
    const std::string asNobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all ";

    explicit UnprivilegedCopies(bool withHelper)
    {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
        std::filesystem::copy_file(kBin, program);
        std::filesystem::copy_file(QV_WINDOW_BIN, window);
        if (withHelper) {
            std::filesystem::copy_file(QV_ARPING_BIN, helper);
            Shell("setcap cap_net_raw+p " + helper);
        }
    }
    static bool CanRun()
    {
        return Shell("command -v setpriv >/dev/null && command -v setcap >/dev/null") == 0;
    }
};

// CapPrm and CapEff of a running process.
std::string Capabilities(const std::string& pid)
{
    std::string caps;
    Shell("grep -E '^Cap(Prm|Eff)' /proc/" + pid + "/status | tr -s '\\t ' ' '", &caps);
    return caps;
}

TEST(CommandLineNetns, UnprivilegedQueriesGoThroughTheHelperAndTheFallbackTakesNoStaleEntry)
{
    QV_REQUIRE_NETNS();
    if (!UnprivilegedCopies::CanRun())
        GTEST_SKIP() << "setpriv or setcap is missing";
    std::string out;
    {
        UnprivilegedCopies copies(true);
        // A wrong stale entry: only a real request and reply can give the peer's MAC in time.
        Shell("ip neigh replace 10.213.1.2 lladdr 02:00:00:00:00:99 nud stale dev h0");
        ASSERT_EQ(Shell(copies.asNobody + copies.program + " --arp 10.213.1.2", &out), 0);
        EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");

        // While the helper waits for an absent host it holds no capability at all.
        ASSERT_EQ(Shell(copies.asNobody + copies.helper + " 10.213.1.93 10.213.1.1 >/dev/null 2>&1 & echo $!",
                        &out),
                  0);
        const std::string pid = out.substr(0, out.find('\n'));
        std::string caps;
        const std::string none = "CapPrm: 0000000000000000\nCapEff: 0000000000000000\n";
        const auto noNewPrivs = [&] { return Shell("grep -q NoNewPrivs:.1 /proc/" + pid + "/status") == 0; };
        for (int i = 0; i < 100 && !(noNewPrivs() && Capabilities(pid) == none); ++i)
            Shell("sleep 0.01");
        EXPECT_EQ(Capabilities(pid), none);
        EXPECT_TRUE(noNewPrivs());
        EXPECT_EQ(
            Shell("wait " + pid + " 2>/dev/null; while kill -0 " + pid + " 2>/dev/null; do sleep 0.05; done"),
            0);
    }
    UnprivilegedCopies alone(false);
    std::string err;
    // 10.213.1.51 is STALE and nobody is there: the cache is no answer.
    EXPECT_EQ(Shell(alone.asNobody + alone.program + " --arp 10.213.1.51 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("no confirmed reply; cached AA:00:04:00:00:51, STALE"), std::string::npos) << err;
    EXPECT_NE(err.find("permission denied"), std::string::npos) << err;
    // A host the kernel holds REACHABLE sends no new confirmation: the entry is the answer.
    ASSERT_EQ(Shell("ip neigh del 10.213.1.2 dev h0; ping -c1 -W2 10.213.1.2 >/dev/null && ip neigh show "
                    "10.213.1.2 | grep -q REACHABLE"),
              0);
    ASSERT_EQ(
        Shell(alone.asNobody + alone.program + " --arp 10.213.1.2 2>" + alone.dir.Path() + "/err", &out), 0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");
    EXPECT_NE(qv::test::ReadFile(alone.dir.Path() + "/err").find("confirmed by the kernel"),
              std::string::npos);
}

TEST(CommandLineNetns, AnIpv6TargetIsSolicitedThroughTheHelperAndForgedAdvertisementsAreIgnored)
{
    QV_REQUIRE_NETNS();
    if (!UnprivilegedCopies::CanRun())
        GTEST_SKIP() << "setpriv or setcap is missing";
    const std::string peer = "ip netns exec " + qv::test::Env("QV_PEER_NETNS") + " ";
    ASSERT_EQ(
        Shell("ip addr add fd99:1::1/64 dev h0 nodad && " + peer + "ip addr add fd99:1::2/64 dev p0 nodad"),
        0);
    UnprivilegedCopies copies(true);
    std::string out;
    // A wrong stale entry: only a real solicitation and advertisement give the peer's MAC in time.
    Shell("ip -6 neigh replace fd99:1::2 lladdr 02:00:00:00:00:99 nud stale dev h0");
    ASSERT_EQ(Shell(copies.asNobody + copies.program + " --arp fd99:1::2", &out), 0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\tCisco Systems, Inc\n");

    // Unsolicited, hop limit 64, another target, no link-layer option: none answers.
    Shell(peer + QV_ARP_FORGE_BIN " --na fd99:1::1 fd99:1::99 4 >/dev/null 2>&1 &");
    std::string err;
    EXPECT_EQ(Shell(copies.asNobody + copies.program + " --arp fd99:1::99 2>&1 >/dev/null", &err), 1);
    EXPECT_NE(err.find("no reply"), std::string::npos) << err;
}

// Both families, as ip lists them; -4 and -6 choose one.
TEST(CommandLineNetns, ListShowsIpv6NeighboursAfterIpv4OnesAndTheFamilyFlagsChoose)
{
    QV_REQUIRE_NETNS();
    const std::string peer = "ip -n " + qv::test::Env("QV_PEER_NETNS") + " ";
    ASSERT_EQ(Shell("ip addr add fd99:1::1/64 dev h0 nodad && " + peer +
                    "addr add fd99:1::2/64 dev p0 nodad && "
                    "ping -6 -c1 -W2 fd99:1::2 >/dev/null"),
              0);
    // The peer's link-local address answers once its duplicate detection is over.
    ASSERT_TRUE(qv::test::WaitUntil(
        [] { return Shell("ping -6 -c1 -W1 fe80::200:cff:feaa:bb02%h0 >/dev/null 2>&1") == 0; }));
    std::string out;
    ASSERT_EQ(Shell(kBin + " --list -n", &out), 0);
    const std::size_t v4 = out.find("10.213.1.2\t");
    const std::size_t global = out.find("fd99:1::2\tfd99:1::2\t00:00:0C:AA:BB:02\tCisco Systems, Inc\t");
    EXPECT_NE(global, std::string::npos) << out;
    EXPECT_NE(out.find("fe80::200:cff:feaa:bb02%h0\t"), std::string::npos) << out;
    EXPECT_LT(v4, global);
    EXPECT_EQ(out.find("ff02:"), std::string::npos) << "a multicast group is no neighbour";
    ASSERT_EQ(Shell(kBin + " -6 --list -n", &out), 0);
    EXPECT_EQ(out.find("10.213.1.2\t"), std::string::npos);
    EXPECT_NE(out.find("fd99:1::2\t"), std::string::npos);
    ASSERT_EQ(Shell(kBin + " --list -4 -n", &out), 0);
    EXPECT_EQ(out.find("fd99:"), std::string::npos);
    ASSERT_EQ(Shell(kBin + " --list -6 --json", &out), 0);
    EXPECT_NE(out.find(R"("ip":"fd99:1::2","name":"fd99:1::2")"), std::string::npos) << out;
    EXPECT_NE(out.find(R"("interface":"h0","family":"inet6")"), std::string::npos) << out;
    Shell("ip addr del fd99:1::1/64 dev h0; " + peer +
          "addr del fd99:1::2/64 dev p0; ip -6 neigh flush dev h0");
}

// quorvane --watch --state as the service runs it: started, stopped with
// SIGTERM once its first dump is compared (its metrics written).
struct WatchRun
{
    std::string out, err;
    int status = -1;
    WatchRun(const std::string& dir, const std::string& options)
    {
        for (const char* file : {"/metrics.prom", "/pid", "/status"})
            std::filesystem::remove(dir + file);
        Shell("sh -c '" + kBin + " --watch " + options + " --metrics " + dir + "/metrics.prom >" + dir +
              "/out 2>" + dir + "/err & echo $! >" + dir + "/pid; wait $!; echo $? >" + dir +
              "/status' </dev/null >/dev/null 2>&1 &");
        const auto exists = [&](const char* file) { return std::filesystem::exists(dir + file); };
        qv::test::WaitUntil([&] { return exists("/metrics.prom") || exists("/status"); });
        EXPECT_TRUE(qv::test::WaitUntil([&] { return !qv::test::ReadFile(dir + "/pid").empty(); }));
        Shell("kill -TERM " + qv::test::ReadFile(dir + "/pid") + " 2>/dev/null");
        EXPECT_TRUE(qv::test::WaitUntil([&] { return !qv::test::ReadFile(dir + "/status").empty(); }));
        status = std::atoi(qv::test::ReadFile(dir + "/status").c_str());
        out = qv::test::ReadFile(dir + "/out");
        err = qv::test::ReadFile(dir + "/err");
    }
};

TEST(CommandLineNetns, AWatchWithStateReportsWhatChangedWhileItWasStopped)
{
    QV_REQUIRE_NETNS();
    qv::test::TempDir dir;
    const std::string state = dir.Path() + "/state.jsonl";
    const std::string options = "--json --state " + state;
    Shell("ip -6 neigh replace fe80::77 lladdr 00:00:0c:00:06:77 nud permanent dev h0");
    WatchRun first(dir.Path(), options);
    EXPECT_EQ(first.out, ""); // nothing remembered yet: the table is the baseline
    const std::string saved = qv::test::ReadFile(state);
    ASSERT_EQ(saved.substr(0, saved.find('\n')), R"({"format":"quorvane-state","version":1})");
    EXPECT_NE(saved.find(R"("ip":"10.213.1.2")"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"("ip":"fe80::77%h0","family":"inet6")"), std::string::npos) << saved;
    EXPECT_NE(saved.find(R"("gateway":true)"), std::string::npos) << saved;

    // The same table again: nothing to say.
    WatchRun same(dir.Path(), options);
    EXPECT_EQ(same.out, "");
    // The gateway's MAC changes and a station appears while no watch runs.
    Shell("ip neigh replace 10.213.1.2 lladdr 02:66:00:00:00:01 dev h0 && "
          "ip neigh replace 10.213.1.77 lladdr 00:00:0c:00:00:77 nud permanent dev h0 && "
          "ip -6 neigh replace fe80::77 lladdr 02:00:00:00:06:78 nud permanent dev h0");
    WatchRun after(dir.Path(), options);
    Shell("ip neigh replace 10.213.1.2 lladdr 00:00:0c:aa:bb:02 dev h0; ip neigh del 10.213.1.77 dev h0");
    EXPECT_EQ(after.status, 0);
    EXPECT_NE(after.out.find(R"("event":"gateway-changed","ip":"10.213.1.2","mac":"02:66:00:00:00:01")"),
              std::string::npos)
        << after.out;
    EXPECT_NE(after.out.find(R"("old_mac":"00:00:0C:AA:BB:02")"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find(R"("event":"new","ip":"10.213.1.77")"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find(R"("event":"changed","ip":"fe80::77%h0","mac":"02:00:00:00:06:78")"),
              std::string::npos)
        << after.out;

    // Not ours: refused, untouched.
    const std::string foreign = dir.Path() + "/foreign.txt";
    std::ofstream(foreign) << "192.168.0.1 00:11:22:33:44:55\n";
    WatchRun refused(dir.Path(), "--state " + foreign);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("is not a quorvane state file"), std::string::npos) << refused.err;
    EXPECT_EQ(qv::test::ReadFile(foreign), "192.168.0.1 00:11:22:33:44:55\n");
    // Ours, damaged further on: kept aside, and the watch starts afresh.
    std::ofstream(state) << R"({"format":"quorvane-state","version":1})"
                         << "\n{\"ip\":\n";
    WatchRun damaged(dir.Path(), options);
    EXPECT_EQ(damaged.status, 0);
    EXPECT_NE(damaged.err.find("is damaged (line 2 does not parse); kept as " + state + ".bad"),
              std::string::npos)
        << damaged.err;
    EXPECT_EQ(damaged.out, "");
    EXPECT_TRUE(std::filesystem::exists(state + ".bad"));
    EXPECT_NE(qv::test::ReadFile(state).find(R"("ip":"10.213.1.2")"), std::string::npos);
}

// libcap-ng tells syslog of what it could not drop: the helper is given a
// /dev/log of the test's own, in a mount namespace of its own.
TEST(CommandLineNetns, TheHelperWritesNothingToSyslog)
{
    QV_REQUIRE_NETNS();
    if (!UnprivilegedCopies::CanRun() || Shell("command -v unshare >/dev/null") != 0)
        GTEST_SKIP() << "setpriv, setcap or unshare is missing";
    UnprivilegedCopies copies(true);
    const std::string logPath = copies.dir.Path() + "/log";
    const int log = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, logPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(log, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::filesystem::permissions(logPath, std::filesystem::perms(0666));
    std::string out;
    EXPECT_EQ(Shell("unshare --mount sh -c 'mount -t tmpfs none /dev && touch /dev/log && mount --bind " +
                        logPath + " /dev/log && " + copies.asNobody + copies.helper +
                        " 10.213.1.2 10.213.1.1'",
                    &out),
              0);
    EXPECT_EQ(out, "00:00:0C:AA:BB:02\n");
    char line[512];
    const ssize_t got = ::recv(log, line, sizeof line, MSG_DONTWAIT);
    EXPECT_LT(got, 0) << std::string(line, got > 0 ? static_cast<std::size_t>(got) : 0);
    ::close(log);
}

TEST(CommandLineNetns, AUsersQtPluginCannotOpenAPacketSocketEvenInACopyGivenTheCapability)
{
    QV_REQUIRE_NETNS();
    if (!UnprivilegedCopies::CanRun())
        GTEST_SKIP() << "setpriv or setcap is missing";
    UnprivilegedCopies copies(false);
    Shell("setcap cap_net_raw+ep " + copies.program + " && setcap cap_net_raw+ep " + copies.window);
    // The user's plugin folder, and a place for its report.
    const std::string plugins = copies.dir.Path() + "/plugins";
    std::filesystem::create_directories(plugins + "/imageformats");
    std::filesystem::copy_file(QV_PLUGIN_FILE, plugins + "/imageformats/libprobe.so");
    std::filesystem::permissions(plugins, std::filesystem::perms(0777));
    const std::string probe = plugins + "/probe";
    std::string out;
    ASSERT_EQ(Shell("cd " + plugins + " && QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=" + plugins +
                        " QV_PROBE_FILE=" + probe + " " + copies.asNobody + copies.program +
                        " >/dev/null 2>err & echo $!",
                    &out),
              0);
    const std::string pid = out.substr(0, out.find('\n'));
    const bool loaded = qv::test::WaitUntil([&] { return !qv::test::ReadFile(probe).empty(); });
    EXPECT_EQ(Capabilities(pid), "CapPrm: 0000000000000000\nCapEff: 0000000000000000\n");
    Shell("kill " + pid);
    ASSERT_TRUE(loaded) << "Qt never loaded the plugin";
    EXPECT_EQ(qv::test::ReadFile(probe).substr(0, 7), "refused") << qv::test::ReadFile(probe);
    const std::string err = qv::test::ReadFile(plugins + "/err");
    EXPECT_NE(err.find("CAP_NET_RAW belongs on quorvane-arping"), std::string::npos) << err;
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
