#include "controls/UrlOpener.h"

#include <QDesktopServices>

namespace qv {

namespace {
UrlOpener& Current()
{
    static UrlOpener opener;
    return opener;
}
} // namespace

UrlOpener SetUrlOpener(UrlOpener opener)
{
    UrlOpener old = std::move(Current());
    Current() = std::move(opener);
    return old;
}

bool OpenUrl(const QUrl& url)
{
    if (Current())
        return Current()(url);
    return QDesktopServices::openUrl(url);
}

} // namespace qv
