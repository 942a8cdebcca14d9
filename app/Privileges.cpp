#include "app/Privileges.h"

#include <cap-ng.h>

#include <cstdio>
#include <cstdlib>

#include <sys/auxv.h>
#include <unistd.h>

namespace qv {

capng_select_t ChangeableSets()
{
    return capng_have_capability(CAPNG_EFFECTIVE, CAP_SETPCAP) ? CAPNG_SELECT_BOTH : CAPNG_SELECT_CAPS;
}

bool DropGivenCapabilities()
{
    capng_get_caps_process();
    const capng_select_t sets = ChangeableSets();
    const bool given = ::getauxval(AT_SECURE) != 0 ||
                       (::getuid() != 0 && capng_have_capabilities(CAPNG_SELECT_CAPS) != CAPNG_NONE);
    if (!given)
        return false;
    // Qt honours QT_PLUGIN_PATH whatever the capabilities: none may remain
    // once a plugin can load.
    capng_clear(CAPNG_SELECT_BOTH);
    if (capng_apply(sets) != 0) {
        std::fputs("quorvane: cannot drop the capabilities it was given; not starting\n", stderr);
        std::_Exit(1);
    }
    std::fputs("quorvane: dropped the capabilities given to it; CAP_NET_RAW belongs on quorvane-arping "
               "(sudo setcap cap_net_raw+p quorvane-arping)\n",
               stderr);
    return true;
}

} // namespace qv
