#include "ui/DialogUnits.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // Average over the Latin letters, rounded, as the dialog manager measures it.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (letters / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

int DialogUnits::X(int units) const
{
    return (units * m_nBaseX + 2) / 4;
}

int DialogUnits::Y(int units) const
{
    return (units * m_nBaseY + 4) / 8;
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const
{
    return QRect(X(x), Y(y), X(width), Y(height));
}
