#pragma once

#include <QUrl>

#include <functional>

namespace qv {

// Opens a web address with the user's default application. Tests replace it.
using UrlOpener = std::function<bool(const QUrl&)>;

// Installs opener (an empty one restores the desktop's); returns the old one.
UrlOpener SetUrlOpener(UrlOpener opener);
bool OpenUrl(const QUrl& url);

} // namespace qv
