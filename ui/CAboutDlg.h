#pragma once

#include <QDialog>

class CLinkStatic;
class QPushButton;

// The About box: icon, name and version, and two link lines.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int IDD_ABOUT = 100;
    static constexpr int IDC_ABOUT_NOTICE = 1003;
    static constexpr int IDC_ABOUT_EXTRA = 1004;

    // vendorData: the vendor data's date and source, one line under the links.
    explicit CAboutDlg(QWidget* owner, const QString& vendorData = {});

    CLinkStatic* m_linkExtra;
    CLinkStatic* m_linkNotice;
    QPushButton* m_btnOk;
};
