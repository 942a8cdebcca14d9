#include "ui/CAboutDlg.h"

#include "controls/CLinkStatic.h"
#include "ui/DialogUnits.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* owner, const QString& vendorData)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("关于 Quorvane"));
    // Modal to its owner only: the tray icon goes on answering while it is up.
    setWindowModality(Qt::WindowModal);
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/quorvane/icon.png")).pixmap(32, 32));
    icon->setGeometry(du.ToPixels(11, 17, 22, 20));

    auto* version = new QLabel(QStringLiteral("Quorvane 版本 " QV_VERSION), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(du.ToPixels(40, 17, 134, 8));

    m_linkNotice = new CLinkStatic(QStringLiteral("Copyright (C) 2026 Quorvane developers"), this);
    m_linkNotice->setObjectName(QStringLiteral("IDC_ABOUT_NOTICE"));
    m_linkNotice->setProperty("controlId", IDC_ABOUT_NOTICE);
    // Below the OK button the lines may run to the right margin.
    m_linkNotice->setGeometry(du.ToPixels(40, 30, 188, 8));

    m_btnOk = new QPushButton(QStringLiteral("确定"), this);
    m_btnOk->setObjectName(QStringLiteral("IDOK"));
    m_btnOk->setDefault(true);
    m_btnOk->setGeometry(du.ToPixels(178, 7, 50, 14));
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

    m_linkExtra = new CLinkStatic(QStringLiteral("quorvane.example"), this);
    m_linkExtra->setObjectName(QStringLiteral("IDC_ABOUT_EXTRA"));
    m_linkExtra->setProperty("controlId", IDC_ABOUT_EXTRA);
    m_linkExtra->setGeometry(du.ToPixels(40, 43, 188, 8));
    m_linkExtra->setEnabled(false);

    int height = 71;
    if (!vendorData.isEmpty()) {
        auto* data = new QLabel(vendorData, this);
        data->setObjectName(QStringLiteral("aboutVendorData"));
        data->setTextFormat(Qt::PlainText);
        data->setGeometry(du.ToPixels(40, 56, 188, 8));
        height += 13;
    }
    setFixedSize(du.X(235), du.Y(height));
    m_btnOk->setFocus();
}
