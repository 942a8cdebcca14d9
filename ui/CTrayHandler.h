#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>

class ITrayIcon;
class QMenu;
class QWidget;

// The window's life in the notification area: minimised into the icon,
// brought back where it was, and the icon's menu.
class CTrayHandler : public QObject
{
    Q_OBJECT
public:
    static constexpr int ID_TRAY_ABOUT = 32771;
    static constexpr int ID_TRAY_EXIT = 32772;
    static constexpr int ID_TRAY_SHOW = 32774;

    CTrayHandler(QWidget* window, ITrayIcon* tray, QIcon icon);

    bool IsInTray() const { return m_bInTray; }
    QMenu* Menu() const { return m_pMenu; }

    // Hides the minimised window into the icon; without a notification area
    // it stays an ordinary minimised window.
    void Minimise();
    // Back from the tray where it was (from the icon's click).
    void Restore();
    // Back from the tray, or to the front when it is not there.
    void ShowWindow();
    void PopupMenu(const QPoint& globalPos);

signals:
    // A menu item was chosen; sent once the menu has closed.
    void Command(int id);

private:
    QWidget* m_pWindow;
    ITrayIcon* m_pTray;
    QIcon m_icon;
    QPointer<QMenu> m_pMenu;
    bool m_bInTray = false;
    QPoint m_ptBefore;
};
