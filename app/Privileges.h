#pragma once

namespace qv {

// A quorvane that was given capabilities (a file capability, or any held
// while not root) drops them all before any library or plugin can use them,
// and says once on stderr where the capability belongs. Returns true when
// it dropped something.
bool DropGivenCapabilities();

} // namespace qv
