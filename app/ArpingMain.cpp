// quorvane-arping TARGET SOURCE: one ARP request, or for IPv6 addresses one
// neighbour solicitation; the only code of Quorvane that may hold
// CAP_NET_RAW (as a file capability, cap_net_raw+p). It keeps the
// capability effective only for socket(), then drops every capability
// before it reads anything from the network.
#include "app/Privileges.h"
#include "platform/AddressText.h"
#include "platform/linux/ArpRequest.h"
#include "platform/linux/NeighbourSolicitation.h"
#include "platform/NetTypes.h"
#include "vendor/OuiKey.h"

#include <cap-ng.h>

#include <cerrno>
#include <cstdio>

#include <linux/close_range.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kWait{3000};

int Fail(const char* reason)
{
    std::fprintf(stderr, "quorvane-arping: %s\n", reason);
    return 1;
}

int Usage(const char* why)
{
    std::fprintf(stderr, "quorvane-arping: %s (usage: quorvane-arping TARGET SOURCE)\n", why);
    return 2;
}

bool DropEverything(capng_select_t sets)
{
    capng_clear(CAPNG_SELECT_BOTH);
    return capng_apply(sets) == 0 && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Whatever the caller left open is none of ours.
    ::close_range(3, ~0U, 0);

    // Keep CAP_NET_RAW, permitted only, if the file gave it; nothing else.
    capng_get_caps_process();
    const bool haveRaw = capng_have_capability(CAPNG_PERMITTED, CAP_NET_RAW);
    const capng_select_t sets = qv::ChangeableSets();
    capng_clear(CAPNG_SELECT_BOTH);
    if (haveRaw)
        capng_update(CAPNG_ADD, CAPNG_PERMITTED, CAP_NET_RAW);
    if (capng_apply(sets) != 0)
        return Fail("cannot set capabilities");

    if (argc != 3)
        return Usage("two addresses are needed");
    qv::IpAddress target;
    qv::IpAddress source;
    if (!qv::IpAddress::Parse(argv[1], target) || !qv::IpAddress::Parse(argv[2], source) ||
        source.IsEmpty() || target.IsV6() != source.IsV6())
        return Usage("addresses must be two IPv4 or two IPv6 addresses");
    const bool v6 = target.IsV6();
    qv::arp::Path path;
    if (v6) {
        const qv::ndp::Path path6 = qv::ndp::FindPath(target, source);
        path.code = path6.code;
        path.ifindex = path6.ifindex;
    } else {
        path = qv::arp::FindPath(target.V4(), source.V4());
    }
    if (path.code == ERROR_INVALID_PARAMETER_CODE)
        return Usage("the target is not a unicast address");
    if (path.code == ERROR_NOT_FOUND_CODE)
        return Fail("source not local");
    if (path.code != NO_ERROR_CODE)
        return Fail("target not on-link");

    if (haveRaw) {
        capng_update(CAPNG_ADD, CAPNG_EFFECTIVE, CAP_NET_RAW);
        capng_apply(CAPNG_SELECT_CAPS);
    }
    const int fd = v6 ? qv::ndp::OpenIcmp6Socket() : qv::arp::OpenPacketSocket();
    const int openError = errno;
    if (!DropEverything(sets))
        return Fail("cannot drop capabilities");
    if (fd < 0)
        return Fail(openError == EPERM || openError == EACCES
                        ? qv::arp::HelperReason(qv::arp::Outcome::NoPermission)
                        : "cannot open a raw socket");

    std::uint8_t mac[6] = {};
    const qv::arp::Outcome outcome =
        v6 ? qv::ndp::ExchangeOverIcmp6Socket(fd, path.ifindex, qv::IpAddress(source.V6(), path.ifindex),
                                              target, mac, kWait)
           : qv::arp::ExchangeOverPacketSocket(fd, path.ifindex, path.source, target.V4(), mac, kWait);
    ::close(fd);
    if (outcome != qv::arp::Outcome::Reply)
        return Fail(qv::arp::HelperReason(outcome));
    std::printf("%s\n", qv::MakeMacText(mac).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}
