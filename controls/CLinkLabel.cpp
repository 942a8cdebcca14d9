#include "controls/CLinkLabel.h"

#include "controls/UrlOpener.h"

#include <QEvent>
#include <QMouseEvent>

CLinkLabel::CLinkLabel(const QString& text, const QString& address, QWidget* parent)
    : QLabel(text, parent), m_strAddress(address)
{
    UpdateCursor();
}

void CLinkLabel::UpdateCursor()
{
    if (isEnabled())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CLinkLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        UpdateCursor();
    QLabel::changeEvent(event);
}

void CLinkLabel::mousePressEvent(QMouseEvent* event)
{
    // Hidden or disabled controls open nothing; an empty address takes the
    // text, which then stays the address.
    if (event->button() == Qt::LeftButton && isEnabled() && isVisible()) {
        if (m_strAddress.isEmpty())
            m_strAddress = text();
        qv::OpenUrl(QUrl(m_strAddress));
    }
    QLabel::mousePressEvent(event);
}

void CLinkLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click opens nothing more.
    event->accept();
}
