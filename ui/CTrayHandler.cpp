#include "ui/CTrayHandler.h"

#include "ui/ITrayIcon.h"

#include <QMenu>
#include <QTimer>
#include <QWidget>

CTrayHandler::CTrayHandler(QWidget* window, ITrayIcon* tray, QIcon icon)
    : QObject(window), m_pWindow(window), m_pTray(tray), m_icon(std::move(icon))
{
}

void CTrayHandler::Minimise()
{
    if (m_bInTray || !(m_pWindow->windowState() & Qt::WindowMinimized))
        return;
    // Without a notification area there would be nothing to bring the window
    // back with.
    if (!m_pTray->IsAvailable() || !m_pTray->Add(m_icon, QStringLiteral("Quorvane"))) {
        m_pTray->Remove();
        return;
    }
    m_bInTray = true;
    m_ptBefore = m_pWindow->pos();
    m_pWindow->hide();
}

void CTrayHandler::Restore()
{
    if (!m_bInTray)
        return;
    m_bInTray = false;
    // Hiding the icon inside its own click handler is not safe.
    QTimer::singleShot(0, m_pTray, &ITrayIcon::Remove);
    // Back where it was: a window the manager placed would otherwise come
    // back offset by its frame.
    m_pWindow->move(m_ptBefore);
    m_pWindow->showNormal();
    m_pWindow->raise();
    m_pWindow->activateWindow();
}

void CTrayHandler::ShowWindow()
{
    if (m_bInTray) {
        Restore();
        return;
    }
    m_pWindow->showNormal();
    m_pWindow->raise();
    m_pWindow->activateWindow();
}

void CTrayHandler::PopupMenu(const QPoint& globalPos)
{
    if (m_pMenu)
        m_pMenu->close();
    auto* menu = new QMenu(m_pWindow);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("IDR_TRAY_MENU"));
    menu->addAction(QStringLiteral("显示窗口"))->setData(ID_TRAY_SHOW);
    menu->addSeparator();
    menu->addAction(QStringLiteral("关于"))->setData(ID_TRAY_ABOUT);
    menu->addAction(QStringLiteral("退出"))->setData(ID_TRAY_EXIT);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        const int id = action->data().toInt();
        QTimer::singleShot(0, this, [this, id] { emit Command(id); });
    });
    m_pMenu = menu;
    // Centred on the cursor, top edge at the cursor.
    menu->popup(globalPos - QPoint(menu->sizeHint().width() / 2, 0));
}
