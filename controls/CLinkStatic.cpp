#include "controls/CLinkStatic.h"

#include "controls/LinkAddresses.h"
#include "controls/UrlOpener.h"

#include <QEvent>
#include <QMouseEvent>

CLinkStatic::CLinkStatic(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_crText(0, 0, 255), m_strAddress(QString::fromLatin1(qv::links::kLinkAddress))
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // Blue whatever the palette says, in every state, and nothing painted behind.
    QPalette colours = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::WindowText, m_crText);
    setPalette(colours);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    UpdateCursor();
}

void CLinkStatic::UpdateCursor()
{
    if (isEnabled())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CLinkStatic::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        UpdateCursor();
    QLabel::changeEvent(event);
}

void CLinkStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && isVisible()) {
        // With no address of its own the link's text is the address, from now on.
        if (m_strAddress.isEmpty())
            m_strAddress = text();
        qv::OpenUrl(QUrl(m_strAddress));
    }
    QLabel::mousePressEvent(event);
}

void CLinkStatic::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click opens nothing more.
    event->accept();
}
