#include "controls/CLinkStatic.h"

#include "controls/LinkAddresses.h"
#include "controls/LinkBehaviour.h"

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
    qv::link::UpdateCursor(*this);
}

void CLinkStatic::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        qv::link::UpdateCursor(*this);
    QLabel::changeEvent(event);
}

void CLinkStatic::mousePressEvent(QMouseEvent* event)
{
    qv::link::OpenOnPress(*this, *event, m_strAddress, text());
    QLabel::mousePressEvent(event);
}

void CLinkStatic::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click opens nothing more.
    event->accept();
}
