#include "ui/CQtTrayIcon.h"

#include <QCursor>

CQtTrayIcon::CQtTrayIcon(QObject* parent) : ITrayIcon(parent)
{
    // XEmbed hosts report the press, not the release: it is the only click
    // Qt's public API gives.
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit LeftButtonUp();
        else if (reason == QSystemTrayIcon::Context)
            emit RightButtonUp(QCursor::pos());
    });
}

bool CQtTrayIcon::IsAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool CQtTrayIcon::Add(const QIcon& icon, const QString& tip)
{
    m_icon.setIcon(icon);
    m_icon.setToolTip(tip);
    m_icon.show();
    return m_icon.isVisible();
}

void CQtTrayIcon::Remove()
{
    m_icon.hide();
}

bool CQtTrayIcon::IsShown() const
{
    return m_icon.isVisible();
}
