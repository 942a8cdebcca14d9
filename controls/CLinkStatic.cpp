#include "controls/CLinkStatic.h"

#include "controls/LinkAddresses.h"

CLinkStatic::CLinkStatic(const QString& text, QWidget* parent)
    : CLinkLabel(text, QString::fromLatin1(qv::links::kLinkAddress), parent), m_crText(0, 0, 255)
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
}
