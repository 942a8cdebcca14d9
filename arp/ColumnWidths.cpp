#include "arp/ColumnWidths.h"

#include <algorithm>
#include <numeric>

namespace qv {

ColumnWidths FitColumnWidths(const ColumnWidths& defaults, int viewWidth)
{
    ColumnWidths widths = defaults;
    const int excess = std::accumulate(defaults.begin(), defaults.end(), 0) - viewWidth;
    const int producer = defaults[3];
    widths[3] = excess > 0 ? std::max(producer / 3, producer - excess) : producer - excess / 2;
    widths[1] = defaults[1] - std::min(0, excess) + std::min(0, excess) / 2;
    return widths;
}

} // namespace qv
