#pragma once

namespace qv {

// Registers the pictures linked into the program (icon, banner); idempotent.
void InitResources();

} // namespace qv
