#include "ui/Resources.h"

#include <QtGlobal>

// Resources in a static library are not registered until asked for.
static void RegisterQuorvaneResources()
{
    Q_INIT_RESOURCE(quorvane);
}

namespace qv {

void InitResources()
{
    static const bool registered = (RegisterQuorvaneResources(), true);
    (void)registered;
}

} // namespace qv
