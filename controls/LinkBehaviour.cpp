#include "controls/LinkBehaviour.h"

#include "controls/UrlOpener.h"

#include <QMouseEvent>
#include <QWidget>

namespace qv::link {

void UpdateCursor(QWidget& control)
{
    if (control.isEnabled())
        control.setCursor(Qt::PointingHandCursor);
    else
        control.unsetCursor();
}

void OpenOnPress(QWidget& control, const QMouseEvent& event, QString& address, const QString& text)
{
    if (event.button() != Qt::LeftButton || !control.isEnabled() || !control.isVisible())
        return;
    if (address.isEmpty())
        address = text;
    qv::OpenUrl(QUrl(address));
}

} // namespace qv::link
