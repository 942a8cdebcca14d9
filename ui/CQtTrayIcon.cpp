#include "ui/CQtTrayIcon.h"

#include <QCursor>
#include <QTimer>

#include <memory>

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
    connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &ITrayIcon::MessageClicked);
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
    m_bAdded = m_icon.isVisible();
    return m_bAdded;
}

void CQtTrayIcon::Remove()
{
    m_bAdded = false;
    m_icon.hide();
}

void CQtTrayIcon::ShowMessage(const QIcon& icon, const QString& title, const QString& text)
{
    constexpr int kShownMs = 15000;
    if (!m_icon.isVisible()) {
        // The notification needs an icon to come from: shown for it alone.
        m_icon.setIcon(icon);
        m_icon.show();
        QTimer::singleShot(kShownMs, this, [this] {
            if (!m_bAdded)
                m_icon.hide();
        });
    }
    // A notification area takes an icon some time after show(); a message
    // for an icon not yet in it is lost. It waits for the icon's place.
    if (m_icon.geometry().isValid()) {
        m_icon.showMessage(title, text, QSystemTrayIcon::Warning, kShownMs);
        return;
    }
    auto* wait = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(wait, &QTimer::timeout, this, [this, wait, tries, title, text] {
        if (m_icon.geometry().isValid() || ++*tries >= 40) {
            wait->deleteLater();
            m_icon.showMessage(title, text, QSystemTrayIcon::Warning, kShownMs);
        }
    });
    wait->start(50);
}

bool CQtTrayIcon::IsShown() const
{
    return m_icon.isVisible();
}
