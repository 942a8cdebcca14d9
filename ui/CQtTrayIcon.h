#pragma once

#include "ui/ITrayIcon.h"

#include <QSystemTrayIcon>

// The desktop's notification area through QSystemTrayIcon.
class CQtTrayIcon : public ITrayIcon
{
    Q_OBJECT
public:
    explicit CQtTrayIcon(QObject* parent = nullptr);

    bool IsAvailable() const override;
    bool Add(const QIcon& icon, const QString& tip) override;
    void Remove() override;
    bool IsShown() const override;
    void ShowMessage(const QIcon& icon, const QString& title, const QString& text) override;

private:
    QSystemTrayIcon m_icon;
    bool m_bAdded = false; // shown for the window, not only for a message
};
