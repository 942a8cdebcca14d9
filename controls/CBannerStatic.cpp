#include "controls/CBannerStatic.h"

#include "controls/LinkAddresses.h"

#include <QPainter>

CBannerStatic::CBannerStatic(QWidget* parent)
    : CLinkLabel(QString(), QString::fromLatin1(qv::links::kBannerAddress), parent)
{
}

void CBannerStatic::paintEvent(QPaintEvent*)
{
    // A disabled banner still shows its picture as drawn, not greyed.
    QPainter painter(this);
    const QPixmap picture = pixmap();
    if (!picture.isNull())
        painter.drawPixmap(contentsRect(), picture);
    drawFrame(&painter);
}
