#include "controls/CLinkStatic.h"

#include "controls/LinkAddresses.h"

#include <QEvent>

CLinkStatic::CLinkStatic(const QString& text, QWidget* parent)
    : CLinkLabel(text, QString::fromLatin1(qv::links::kLinkAddress), parent), m_crText(0, 0, 255)
{
    // Blue whatever the palette says, and nothing painted behind. Disabled,
    // it is greyed text as a disabled static is, not a link.
    QPalette colours = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::WindowText, m_crText);
    setPalette(colours);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    UpdateLook();
}

void CLinkStatic::UpdateLook()
{
    QFont look = font();
    look.setUnderline(isEnabled());
    setFont(look);
}

void CLinkStatic::changeEvent(QEvent* event)
{
    CLinkLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        UpdateLook();
}
