#pragma once

#include <cap-ng.h>

namespace qv {

// What capng_apply may change in this process, read from libcap-ng's view
// of it (call after capng_get_caps_process, before clearing): the bounding
// set too only while CAP_SETPCAP is effective. Asking without it gets
// nothing but a line in syslog from libcap-ng, at every run.
capng_select_t ChangeableSets();

// A quorvane that was given capabilities (a file capability, or any held
// while not root) drops them all before any library or plugin can use them,
// and says once on stderr where the capability belongs. Returns true when
// it dropped something.
bool DropGivenCapabilities();

} // namespace qv
