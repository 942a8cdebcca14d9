#pragma once

#include <array>

namespace qv {

// The list's five column widths for a view width. The default widths fill
// the first window exactly: narrower, the producer column gives way (to a
// third of its width) before the type column is pushed out; wider, the
// names and the producers share the room, being the texts that get cut.
using ColumnWidths = std::array<int, 5>;
ColumnWidths FitColumnWidths(const ColumnWidths& defaults, int viewWidth);

} // namespace qv
