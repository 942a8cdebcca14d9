#include "ui/CMonitorDlg.h"

#include "arp/ArpFailureText.h"
#include "arp/ArpRowFormatter.h"
#include "arp/CNeighbourWatcher.h"
#include "controls/CBannerStatic.h"
#include "controls/CColorIPAddressCtrl.h"
#include "controls/CLinkStatic.h"
#include "controls/LinkAddresses.h"
#include "controls/UrlOpener.h"
#include "platform/AddressText.h"
#include "platform/linux/LinuxNetworkServices.h"
#include "ui/CAboutDlg.h"
#include "ui/CArpListCtrl.h"
#include "ui/CListSink.h"
#include "ui/CManualQuery.h"
#include "ui/CTrayHandler.h"
#include "ui/CQtTrayIcon.h"
#include "ui/DialogUnits.h"
#include "ui/Prompts.h"
#include "ui/Resources.h"
#include "vendor/OuiKey.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <sys/eventfd.h>
#include <unistd.h>

// Events from the watcher's thread, taken on the window's.
struct CMonitorDlg::WatchQueue
{
    std::mutex lock;
    CMonitorDlg* dialog = nullptr;
    std::vector<CChangeTracker::Event> events;
    bool wakePending = false;
};

namespace {

// A reverse lookup under way may finish first; closing never waits longer.
constexpr std::chrono::milliseconds kWorkerStopBound{500};

template <typename Control> Control* Tag(Control* control, int id, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setProperty("controlId", id);
    return control;
}

} // namespace

CMonitorDlg::CMonitorDlg(MonitorServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_services(std::move(services))
{
    m_pWatchQueue = std::make_shared<WatchQueue>();
    m_pWatchQueue->dialog = this;
    if (!m_services.net)
        m_services.net = std::make_shared<LinuxNetworkServices>();
    if (!m_services.makeTray)
        m_services.makeTray = [](QObject* owner) { return new CQtTrayIcon(owner); };
    if (!m_services.exitProcess)
        m_services.exitProcess = [](int status) {
            // Let the icon's removal reach the display before the process goes.
            QCoreApplication::processEvents();
            std::_Exit(status);
        };
    qv::InitResources();
    m_pNet = m_services.net;
    m_pQuery = new CManualQuery(m_pNet, this);
    connect(m_pQuery, &CManualQuery::Answered, this, &CMonitorDlg::OnArpAnswer);
    m_xmlReader = std::make_shared<CVendorDatabase>();
    m_hIcon.addFile(QStringLiteral(":/quorvane/icon16.png"));
    m_hIcon.addFile(QStringLiteral(":/quorvane/icon.png"));
    m_hIcon.addFile(QStringLiteral(":/quorvane/icon128.png"));

    m_pTray = m_services.makeTray(this);
    m_pTrayHandler = new CTrayHandler(this, m_pTray, m_hIcon);
    connect(m_pTrayHandler, &CTrayHandler::Command, this, &CMonitorDlg::OnTrayCommand);
    connect(m_pTray, &ITrayIcon::LeftButtonUp, this, &CMonitorDlg::OnTrayLeftButtonUp);
    connect(m_pTray, &ITrayIcon::RightButtonUp, this, &CMonitorDlg::OnTrayRightButtonUp);
    connect(m_pTray, &ITrayIcon::MessageClicked, this, &CMonitorDlg::ShowWindowFromTray);

    CreateControls();
    OnInitDialog();
}

CMonitorDlg::~CMonitorDlg()
{
    StopWatcher();
    // The worker must be off the list and the reader before they go.
    StopArpWorker();
}

void CMonitorDlg::CreateControls()
{
    setWindowTitle(QStringLiteral("Quorvane"));
    const DialogUnits du(font());

    m_list = Tag(new CArpListCtrl(this), IDC_ARP_LIST, "IDC_ARP_LIST");
    m_list->setGeometry(du.ToPixels(7, 127, 408, 167));

    m_banner = Tag(new CBannerStatic(this), IDC_BANNER, "IDC_BANNER");
    m_banner->setPixmap(QPixmap(QStringLiteral(":/quorvane/banner.png")));
    m_banner->setScaledContents(true);
    m_banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_banner->setGeometry(du.ToPixels(7, 7, 408, 54));
    m_banner->setEnabled(false);

    m_linkProductName =
        Tag(new CLinkStatic(QStringLiteral("Quorvane Pro"), this), IDC_PRODUCT_LINK, "IDC_PRODUCT_LINK");
    m_linkProductName->setGeometry(du.ToPixels(155, 63, 112, 8));
    m_linkProductName->setEnabled(false);
    m_linkProductName->setVisible(false);

    m_linkProductText = Tag(
        new CLinkStatic(QStringLiteral("Watches every machine of your network, not just this one."), this),
        IDC_PRODUCT_TEXT, "IDC_PRODUCT_TEXT");
    m_linkProductText->setGeometry(du.ToPixels(14, 74, 336, 8));
    m_linkProductText->setEnabled(false);
    m_linkProductText->setVisible(false);

    m_btnSendArp = Tag(new QPushButton(QStringLiteral("发送 ARP"), this), IDC_SEND_ARP, "IDC_SEND_ARP");
    // Not a default button: Enter elsewhere ends the dialog instead of sending a request.
    m_btnSendArp->setAutoDefault(false);
    m_btnSendArp->setDefault(false);
    m_btnSendArp->setGeometry(du.ToPixels(360, 90, 50, 14));
    connect(m_btnSendArp, &QPushButton::clicked, this, &CMonitorDlg::OnSendArp);

    const auto label = [&](const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(du.ToPixels(x, y, w, h));
        return l;
    };
    label("目标 IP 地址：", 181, 92, 72, 8)->setObjectName(QStringLiteral("labelTarget"));
    m_ipTarget = Tag(new CColorIPAddressCtrl(this), IDC_TARGET_IP, "IDC_TARGET_IP");
    m_ipTarget->setGeometry(du.ToPixels(255, 89, 100, 15));
    label("源 IP 地址：", 13, 92, 60, 8)->setObjectName(QStringLiteral("labelSource"));
    m_ipSource = Tag(new CColorIPAddressCtrl(this), IDC_SOURCE_IP, "IDC_SOURCE_IP");
    m_ipSource->setGeometry(du.ToPixels(75, 89, 100, 15));
    label("返回的 MAC 地址：", 14, 110, 81, 8)->setObjectName(QStringLiteral("labelMac"));
    m_editReturnedMac = Tag(new QLineEdit(this), IDC_RETURNED_MAC, "IDC_RETURNED_MAC");
    m_editReturnedMac->setGeometry(du.ToPixels(97, 108, 78, 14));
    label("适配器生产商：", 183, 111, 68, 8)->setObjectName(QStringLiteral("labelVendor"));
    m_editAdapterVendor = Tag(new QLineEdit(this), IDC_ADAPTER_VENDOR, "IDC_ADAPTER_VENDOR");
    m_editAdapterVendor->setGeometry(du.ToPixels(255, 108, 152, 14));

    m_btnDownload = Tag(new QPushButton(QStringLiteral("Download Now!"), this), IDC_DOWNLOAD, "IDC_DOWNLOAD");
    m_btnDownload->setAutoDefault(false);
    m_btnDownload->setGeometry(du.ToPixels(354, 71, 56, 14));
    m_btnDownload->setEnabled(false);
    m_btnDownload->setVisible(false);
    connect(m_btnDownload, &QPushButton::clicked, this, &CMonitorDlg::OnDownloadNow);

    // Below the list: the filter, how many rows it shows, and what the marks mean.
    m_editFilter = new QLineEdit(this);
    m_editFilter->setObjectName(QStringLiteral("filter"));
    m_editFilter->setPlaceholderText(QStringLiteral("筛选 (Ctrl+F)"));
    m_editFilter->setClearButtonEnabled(true);
    m_editFilter->installEventFilter(this);
    connect(m_editFilter, &QLineEdit::textChanged, m_list, &CArpListCtrl::SetFilter);
    m_labelFilterCount = new QLabel(this);
    m_labelFilterCount->setObjectName(QStringLiteral("filterCount"));
    m_labelFilterCount->setTextFormat(Qt::PlainText);
    connect(m_list, &CArpListCtrl::FilterApplied, this, [this](int shown, int total) {
        m_labelFilterCount->setText(QStringLiteral("显示 %1 / %2 行").arg(shown).arg(total));
        m_labelFilterCount->setVisible(!m_list->Filter().isEmpty());
    });
    m_labelFilterCount->hide();
    m_labelLegend = new QLabel(QStringLiteral("红色：网关 MAC 已变　黄色：MAC 已变（右键清除标记）"), this);
    m_labelLegend->setObjectName(QStringLiteral("legend"));
    m_labelLegend->setTextFormat(Qt::PlainText);
    m_labelLegend->hide();
    connect(m_list, &CArpListCtrl::MarksChanged, m_labelLegend, &QLabel::setVisible);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_editFilter->setFocus(Qt::ShortcutFocusReason);
        m_editFilter->selectAll();
    });

    // Tab order is the template's order.
    QWidget* order[] = {m_list,
                        m_btnSendArp,
                        m_ipTarget->Field(0),
                        m_ipTarget->Field(1),
                        m_ipTarget->Field(2),
                        m_ipTarget->Field(3),
                        m_ipSource->Field(0),
                        m_ipSource->Field(1),
                        m_ipSource->Field(2),
                        m_ipSource->Field(3),
                        m_editReturnedMac,
                        m_editAdapterVendor,
                        m_btnDownload,
                        m_editFilter};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    for (QWidget* w : {static_cast<QWidget*>(m_banner), static_cast<QWidget*>(m_linkProductName),
                       static_cast<QWidget*>(m_linkProductText)})
        w->setFocusPolicy(Qt::NoFocus);

    // Opens at the template's size; smaller down to the controls and three
    // rows of the list, larger as the screen allows, the list taking the room.
    const int rows = m_list->verticalHeader()->defaultSectionSize() * 3 +
                     m_list->horizontalHeader()->sizeHint().height() + 2 * m_list->frameWidth();
    setMinimumSize(du.X(422), du.Y(127 + 23) + rows);
    resize(du.X(422), du.Y(317));
    LayOut();
}

void CMonitorDlg::LayOut()
{
    const DialogUnits du(font());
    const int listHeight = std::max(0, height() - du.Y(127) - du.Y(23));
    m_list->setGeometry(du.X(7), du.Y(127), width() - du.X(14), listHeight);
    const int strip = du.Y(127) + listHeight + du.Y(4);
    m_editFilter->setGeometry(du.X(7), strip, du.X(120), du.Y(13));
    m_labelFilterCount->setGeometry(du.X(131), strip + du.Y(2), du.X(70), du.Y(9));
    m_labelLegend->setGeometry(du.X(205), strip + du.Y(2), width() - du.X(212), du.Y(9));
}

void CMonitorDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    LayOut();
}

bool CMonitorDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Esc in the filter clears it; it never closes the window from there.
    if (watched == m_editFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_editFilter->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CMonitorDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);
    m_list->SetUpColumns(DialogUnits(font()).WidthScale());
    m_linkProductName->SetAddress(QString::fromLatin1(qv::links::kProductPageAddress));
    m_linkProductText->SetAddress(QString::fromLatin1(qv::links::kProductPageAddress));
    m_ipSource->SetAddress(ntohl(qv::InetAddr(GetLocalAddress().toStdString())));
    // The gateway is the first address worth asking; without one, the template's.
    const std::string gateway = m_pNet->GetGatewayAddress();
    const std::uint32_t target = gateway.empty() ? qv::INADDR_NONE_VALUE : qv::InetAddr(gateway);
    m_ipTarget->SetAddress(target != qv::INADDR_NONE_VALUE ? ntohl(target) : 0xC0A80001u);
    LoadVendorDatabase();
    StartArpWorker();
    if (m_services.watchNeighbours)
        StartWatcher();
    m_list->setFocus();
}

bool CMonitorDlg::LoadVendorDatabase()
{
    return m_xmlReader->LoadVendorDatabase();
}

bool CMonitorDlg::LookupVendor(std::string& vendor, std::string key)
{
    return m_xmlReader->LookupVendor(vendor, std::move(key));
}

QString CMonitorDlg::GetLocalAddress()
{
    return QString::fromStdString(m_pNet->GetLocalAddress());
}

void CMonitorDlg::StartArpWorker()
{
    m_pSink = std::make_shared<CListSink>(m_list);
    m_pSink->Attach();
    std::weak_ptr<CListSink> sink = m_pSink;
    CArpRefresher::Services services{m_pNet, m_xmlReader, m_pSink,
                                     [sink](int result) {
                                         if (auto live = sink.lock())
                                             live->PassFinished(result);
                                     },
                                     nullptr};
    m_pWorkerThread = std::make_unique<CArpRefresher>(std::move(services), m_services.period);
    m_pWorkerThread->Start();
}

void CMonitorDlg::StopArpWorker()
{
    if (m_pSink)
        m_pSink->Detach();
    if (m_pWorkerThread)
        m_pWorkerThread->Stop(kWorkerStopBound);
}

void CMonitorDlg::StartWatcher()
{
    m_hWatchStop = ::eventfd(0, EFD_CLOEXEC);
    if (m_hWatchStop < 0)
        return;
    m_watchThread = std::thread([queue = m_pWatchQueue, stop = m_hWatchStop] {
        CNeighbourWatcher watcher;
        watcher.Run(stop, [&](const CChangeTracker::Event& event) {
            std::lock_guard<std::mutex> guard(queue->lock);
            if (queue->dialog == nullptr)
                return;
            queue->events.push_back(event);
            if (!queue->wakePending) {
                queue->wakePending = true;
                QMetaObject::invokeMethod(queue->dialog, "TakeWatchEvents", Qt::QueuedConnection);
            }
        });
    });
}

void CMonitorDlg::StopWatcher()
{
    {
        std::lock_guard<std::mutex> guard(m_pWatchQueue->lock);
        m_pWatchQueue->dialog = nullptr;
    }
    if (m_hWatchStop < 0)
        return;
    // The watcher waits only on its socket and this descriptor: it ends at once.
    const std::uint64_t one = 1;
    if (::write(m_hWatchStop, &one, sizeof one) == static_cast<ssize_t>(sizeof one) &&
        m_watchThread.joinable())
        m_watchThread.join();
    else if (m_watchThread.joinable())
        m_watchThread.detach();
    ::close(m_hWatchStop);
    m_hWatchStop = -1;
}

void CMonitorDlg::TakeWatchEvents()
{
    std::vector<CChangeTracker::Event> events;
    {
        std::lock_guard<std::mutex> guard(m_pWatchQueue->lock);
        events.swap(m_pWatchQueue->events);
        m_pWatchQueue->wakePending = false;
    }
    for (const CChangeTracker::Event& event : events)
        OnNeighbourEvent(event);
}

void CMonitorDlg::OnNeighbourEvent(const CChangeTracker::Event& event)
{
    using Kind = CChangeTracker::Kind;
    if (event.kind == Kind::New)
        return;
    const auto described = [this](const CChangeTracker::Mac& mac) {
        return QStringLiteral("%1（%2）")
            .arg(QString::fromStdString(qv::MakeMacText(mac.data())),
                 QString::fromStdString(qv::VendorText(mac.data(), *m_xmlReader)));
    };
    const QString ip = QString::fromStdString(event.addr.Text());
    const QString when = QDateTime::fromSecsSinceEpoch(CChangeTracker::Clock::to_time_t(event.when))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (event.kind == Kind::Shared) {
        const QString other = QString::fromStdString(event.other.Text());
        m_list->MarkChanged(
            ip, true,
            QStringLiteral("%1 起，%2 也使用网关的 MAC 地址 %3").arg(when, other, described(event.mac)));
        // Usually the attacker: it answers with the gateway's address.
        m_list->MarkChanged(
            other, false,
            QStringLiteral("%1 起使用网关 %2 的 MAC 地址 %3").arg(when, ip, described(event.mac)));
        m_pTray->ShowMessage(m_hIcon, QStringLiteral("网关的 MAC 地址被其他地址共用"),
                             QStringLiteral("网关 %1 原 MAC 地址 %2，现为 %3，%4 也使用此地址。")
                                 .arg(ip, described(event.oldMac), described(event.mac), other));
        return;
    }
    const bool gateway = event.kind == Kind::GatewayChanged;
    m_list->MarkChanged(ip, gateway,
                        QStringLiteral("上一个 MAC 地址：%1，更改于 %2").arg(described(event.oldMac), when));
    if (gateway)
        m_pTray->ShowMessage(m_hIcon, QStringLiteral("网关的 MAC 地址已改变"),
                             QStringLiteral("网关 %1 的 MAC 地址由 %2 变为 %3。")
                                 .arg(ip, described(event.oldMac), described(event.mac)));
}

void CMonitorDlg::done(int result)
{
    if (result == QDialog::Accepted)
        UpdateData(true);
    StopArpWorker();
    StopWatcher();
    if (m_pTray)
        m_pTray->Remove();
    QDialog::done(result);
}

void CMonitorDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_strReturnedMac = m_editReturnedMac->text();
        m_strAdapterVendor = m_editAdapterVendor->text();
    } else {
        m_editReturnedMac->setText(m_strReturnedMac);
        m_editAdapterVendor->setText(m_strAdapterVendor);
    }
}

void CMonitorDlg::OnSendArp()
{
    if (m_pQuery->IsRunning())
        return;
    UpdateData(true);
    const std::uint32_t source = qv::InetAddr(m_ipSource->GetAddressText());
    const std::uint32_t target = qv::InetAddr(m_ipTarget->GetAddressText());
    m_btnSendArp->setEnabled(false);
    // The last target's answer would pass for this one's while it runs.
    m_strReturnedMac.clear();
    m_strAdapterVendor.clear();
    m_editReturnedMac->setPlaceholderText(QString());
    UpdateData(false);
    setCursor(Qt::BusyCursor);
    m_pQuery->Start(source, target);
}

bool CMonitorDlg::IsQueryRunning() const
{
    return m_pQuery->IsRunning();
}

void CMonitorDlg::OnArpAnswer(std::uint32_t result, const std::array<std::uint8_t, 6>& mac)
{
    m_btnSendArp->setEnabled(true);
    unsetCursor();
    if (result == NO_ERROR_CODE) {
        m_strReturnedMac = QString::fromStdString(qv::MakeMacText(mac.data()));
        m_strAdapterVendor = QString::fromStdString(qv::VendorText(mac.data(), *m_xmlReader));
        m_editReturnedMac->setPlaceholderText(QString());
    } else {
        // An old answer left in place would pass for this target's.
        m_strReturnedMac.clear();
        m_strAdapterVendor.clear();
        m_editReturnedMac->setPlaceholderText(QString::fromStdString(qv::ArpFailureText(result)));
    }
    UpdateData(false);
    emit ArpAnswered(result);
}

void CMonitorDlg::OnDownloadNow()
{
    qv::OpenUrl(QUrl(QString::fromLatin1(qv::links::kProductPageAddress)));
}

void CMonitorDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter that finishes an address sends the request: a monitor
            // must not end on it.
            if (m_ipTarget->isAncestorOf(focusWidget()) || m_ipSource->isAncestorOf(focusWidget())) {
                OnSendArp();
                return;
            }
            // Enter on a focused push button presses it; elsewhere it is OK.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
                button->click();
                return;
            }
            accept();
            return;
        case Qt::Key_F1:
            ShowAboutBox();
            return;
        default:
            break;
        }
    }
    QDialog::keyPressEvent(event);
}

void CMonitorDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // X11 says nothing before a minimise: act on the change to minimised.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !IsInTray())
        QTimer::singleShot(0, this, &CMonitorDlg::OnMinimize);
}

void CMonitorDlg::OnMinimize()
{
    m_pTrayHandler->Minimise();
}

void CMonitorDlg::ShowWindowFromTray()
{
    m_pTrayHandler->ShowWindow();
}

void CMonitorDlg::OnTrayLeftButtonUp()
{
    m_pTrayHandler->Restore();
}

void CMonitorDlg::OnTrayRightButtonUp(const QPoint& globalPos)
{
    m_pTrayHandler->PopupMenu(globalPos);
}

bool CMonitorDlg::IsInTray() const
{
    return m_pTrayHandler->IsInTray();
}

QMenu* CMonitorDlg::TrayMenu() const
{
    return m_pTrayHandler->Menu();
}

void CMonitorDlg::OnTrayCommand(int id)
{
    if (id == ID_TRAY_SHOW) {
        ShowWindowFromTray();
    } else if (id == ID_TRAY_ABOUT) {
        ShowAboutBox();
    } else if (id == ID_TRAY_EXIT) {
        m_pTray->Remove();
        m_services.exitProcess(0);
    }
}

void CMonitorDlg::ShowAboutBox()
{
    CAboutDlg about(this, QString::fromStdString(qv::VendorDataText(*m_xmlReader)));
    about.setWindowIcon(m_hIcon);
    qv::ActivePrompts().runModal(about);
}
