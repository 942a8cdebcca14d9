#include "controls/CBannerStatic.h"

#include "controls/LinkAddresses.h"
#include "controls/LinkBehaviour.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

CBannerStatic::CBannerStatic(QWidget* parent) : QLabel(parent)
{
    SetAddress(QString::fromLatin1(qv::links::kBannerAddress));
    qv::link::UpdateCursor(*this);
}

void CBannerStatic::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        qv::link::UpdateCursor(*this);
    QLabel::changeEvent(event);
}

void CBannerStatic::mousePressEvent(QMouseEvent* event)
{
    qv::link::OpenOnPress(*this, *event, m_strAddress, text());
    QLabel::mousePressEvent(event);
}

void CBannerStatic::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
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
