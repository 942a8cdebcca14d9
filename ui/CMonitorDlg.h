#pragma once

#include "arp/CArpRefresher.h"
#include "arp/CChangeTracker.h"
#include "platform/INetworkServices.h"
#include "ui/CTrayHandler.h"
#include "vendor/CVendorDatabase.h"

#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class CArpListCtrl;
class CBannerStatic;
class CColorIPAddressCtrl;
class CLinkStatic;
class CListSink;
class CManualQuery;
class ITrayIcon;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// What the main window runs on; tests give fakes and short periods.
struct MonitorServices
{
    std::shared_ptr<INetworkServices> net;
    std::chrono::milliseconds period{15000};
    std::function<ITrayIcon*(QObject* parent)> makeTray; // default: the desktop's
    std::function<void(int status)> exitProcess;         // default: end at once
    bool watchNeighbours = true;                         // the kernel's change announcements
};

// The main window: the neighbour list, the manual ARP query and the tray.
class CMonitorDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int IDD_MAIN = 102;
    static constexpr int IDC_ARP_LIST = 1000;
    static constexpr int IDC_BANNER = 1001;
    static constexpr int IDC_PRODUCT_LINK = 1002;
    static constexpr int IDC_PRODUCT_TEXT = 1003;
    static constexpr int IDC_SEND_ARP = 1004;
    static constexpr int IDC_TARGET_IP = 1005;
    static constexpr int IDC_SOURCE_IP = 1006;
    static constexpr int IDC_RETURNED_MAC = 1007;
    static constexpr int IDC_ADAPTER_VENDOR = 1008;
    static constexpr int IDC_DOWNLOAD = 1009;
    static constexpr int ID_TRAY_ABOUT = CTrayHandler::ID_TRAY_ABOUT;
    static constexpr int ID_TRAY_EXIT = CTrayHandler::ID_TRAY_EXIT;
    static constexpr int ID_TRAY_SHOW = CTrayHandler::ID_TRAY_SHOW;

    explicit CMonitorDlg(MonitorServices services = {}, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    bool LoadVendorDatabase();
    bool LookupVendor(std::string& vendor, std::string key);
    QString GetLocalAddress();
    void StartArpWorker();

    // Copies the two text fields into their strings (true) or back (false).
    void UpdateData(bool saveAndValidate);

    // Starts the query off the window's thread; the answer arrives in OnArpAnswer.
    void OnSendArp();
    void OnArpAnswer(std::uint32_t result, const std::array<std::uint8_t, 6>& mac);

    // One change the watcher saw: the line is marked, and a change of the
    // gateway's address is told through the tray icon.
    void OnNeighbourEvent(const CChangeTracker::Event& event);
    Q_INVOKABLE void TakeWatchEvents();
    bool IsQueryRunning() const;
    void OnDownloadNow();
    void OnMinimize();
    void OnTrayLeftButtonUp();
    // Back from the tray where it was, or to the front when it is not there.
    void ShowWindowFromTray();
    void OnTrayRightButtonUp(const QPoint& globalPos);
    void OnTrayCommand(int id);
    void ShowAboutBox();

    bool IsInTray() const;
    ITrayIcon* Tray() const { return m_pTray; }
    QMenu* TrayMenu() const;

    void done(int result) override;

signals:
    // A manual query has ended and its fields show the outcome.
    void ArpAnswered(std::uint32_t result);

public:
    std::unique_ptr<CArpRefresher> m_pWorkerThread;
    std::shared_ptr<CVendorDatabase> m_xmlReader;
    std::shared_ptr<INetworkServices> m_pNet;
    std::shared_ptr<CListSink> m_pSink;
    CColorIPAddressCtrl* m_ipSource = nullptr;
    CColorIPAddressCtrl* m_ipTarget = nullptr;
    CLinkStatic* m_linkProductText = nullptr;
    CLinkStatic* m_linkProductName = nullptr;
    CBannerStatic* m_banner = nullptr;
    CArpListCtrl* m_list = nullptr;
    QPushButton* m_btnSendArp = nullptr;
    QPushButton* m_btnDownload = nullptr;
    QLineEdit* m_editReturnedMac = nullptr;
    QLineEdit* m_editAdapterVendor = nullptr;
    QLineEdit* m_editFilter = nullptr;
    QLabel* m_labelFilterCount = nullptr;
    QLabel* m_labelLegend = nullptr;
    QString m_strReturnedMac;
    QString m_strAdapterVendor;
    QIcon m_hIcon;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void LayOut();
    void OnInitDialog();
    void StopArpWorker();

    MonitorServices m_services;
    ITrayIcon* m_pTray = nullptr;
    CTrayHandler* m_pTrayHandler = nullptr;
    CManualQuery* m_pQuery = nullptr;
    void StartWatcher();
    void StopWatcher();
    struct WatchQueue;
    std::shared_ptr<WatchQueue> m_pWatchQueue;
    std::thread m_watchThread;
    int m_hWatchStop = -1;
};
