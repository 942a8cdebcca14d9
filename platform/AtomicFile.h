#pragma once

#include <string>
#include <string_view>

namespace qv {

// Replaces the file at path with bytes so that it is never seen half
// written: a temporary beside it, every byte written, flushed and synced,
// then renamed over it. A symlink's target is replaced, not the link; an
// existing file keeps its mode, a new one gets 0666 less the umask. On any
// failure the old file stays as it was, no temporary is left, and reason
// holds the system's text ("No space left on device").
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& reason);

} // namespace qv
