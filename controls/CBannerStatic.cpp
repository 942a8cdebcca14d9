#include "controls/CBannerStatic.h"

#include "controls/LinkAddresses.h"
#include "controls/UrlOpener.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

CBannerStatic::CBannerStatic(QWidget* parent) : QLabel(parent)
{
    SetAddress(QString::fromLatin1(qv::links::kBannerAddress));
    UpdateCursor();
}

void CBannerStatic::UpdateCursor()
{
    if (isEnabled())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CBannerStatic::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        UpdateCursor();
    QLabel::changeEvent(event);
}

void CBannerStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && isVisible()) {
        if (m_strAddress.isEmpty())
            m_strAddress = text();
        qv::OpenUrl(QUrl(m_strAddress));
    }
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
