#pragma once

#include <QFont>
#include <QRect>

// Converts dialog-template units to pixels for a font: a horizontal unit is
// a quarter of the average character width, a vertical one an eighth of the
// character height.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    QRect ToPixels(int x, int y, int width, int height) const;
    int X(int units) const;
    int Y(int units) const;

    // How much wider this font's characters are than the 6-pixel average
    // the template's pixel sizes were made for.
    double WidthScale() const { return m_nBaseX / 6.0; }

private:
    int m_nBaseX;
    int m_nBaseY;
};
