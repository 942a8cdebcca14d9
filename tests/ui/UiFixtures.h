#pragma once

#include "tests/platform/FakeNetworkServices.h"
#include "ui/CArpListCtrl.h"
#include "ui/CMonitorDlg.h"
#include "ui/ITrayIcon.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The notification area as a test sees it.
class FakeTrayIcon : public ITrayIcon
{
public:
    using ITrayIcon::ITrayIcon;
    bool available = true;
    bool refuse = false;
    bool shown = false;
    int adds = 0;
    int removes = 0;
    QString tip;

    bool IsAvailable() const override { return available; }
    bool Add(const QIcon&, const QString& text) override
    {
        ++adds;
        tip = text;
        shown = !refuse;
        return shown;
    }
    void Remove() override
    {
        ++removes;
        shown = false;
    }
    bool IsShown() const override { return shown; }
    void ShowMessage(const QIcon&, const QString& title, const QString& text) override
    {
        messages.push_back(title + QLatin1Char('\n') + text);
    }
    std::vector<QString> messages;
};

// A desktop without a notification area.
inline ITrayIcon* MakeNoTray(QObject* parent)
{
    auto* tray = new FakeTrayIcon(parent);
    tray->available = false;
    return tray;
}

// A main window over the fake network, with prompts that answer at once.
struct DialogFixture : ::testing::Test
{
    std::shared_ptr<FakeNetworkServices> net = std::make_shared<FakeNetworkServices>();
    FakeTrayIcon* tray = nullptr;
    std::vector<int> exits;
    std::vector<QString> modalTitles;
    std::vector<QString> errors;
    std::vector<QString> confirmations;
    bool confirmAnswer = true;
    QString savePath;
    QString saveFilter;     // the filter the user leaves chosen; empty: the first
    QString offeredFilters; // what the dialog offered
    std::chrono::milliseconds period{3600000};

    void SetUp() override
    {
        qv::Prompts& p = qv::ActivePrompts();
        p.runModal = [this](QDialog& d) {
            modalTitles.push_back(d.windowTitle());
            return 0;
        };
        p.showError = [this](QWidget*, const QString&, const QString& text) { errors.push_back(text); };
        p.confirm = [this](QWidget*, const QString&, const QString& text) {
            confirmations.push_back(text);
            return confirmAnswer;
        };
        p.chooseSavePath = [this](QWidget*, const QString& filters, QString* selected) {
            offeredFilters = filters;
            if (selected && !saveFilter.isEmpty())
                *selected = saveFilter;
            return savePath;
        };
        net->rows = {FakeNetworkServices::Row("10.0.0.1", {0x00, 0x00, 0x0C, 1, 2, 3}, 3),
                     FakeNetworkServices::Row("10.0.0.3", {0xAA, 0x00, 0x04, 1, 2, 3}, 4)};
        net->names[qv::InetAddr("10.0.0.1")] = "router.test";
    }
    void TearDown() override { qv::ResetPrompts(); }

    std::unique_ptr<CMonitorDlg> MakeDialog()
    {
        MonitorServices services;
        services.net = net;
        services.period = period;
        services.makeTray = [this](QObject* parent) { return tray = new FakeTrayIcon(parent); };
        services.exitProcess = [this](int status) { exits.push_back(status); };
        services.watchNeighbours = false; // the fake network has no kernel to watch
        auto dialog = std::make_unique<CMonitorDlg>(std::move(services));
        // Listening from the start: no pass can be applied before this.
        passSpy = std::make_unique<QSignalSpy>(dialog->m_list, &CArpListCtrl::PassApplied);
        passesSeen = 0;
        return dialog;
    }

    // Waits until the next refresh pass's changes, and the names it asked
    // for, have all reached the list of the dialog made last.
    bool WaitForPass(CMonitorDlg& dialog)
    {
        const int wanted = ++passesSeen;
        if (!QTest::qWaitFor([&] { return passSpy->count() >= wanted; }, 10000) ||
            !dialog.m_pWorkerThread->Names().WaitIdle(std::chrono::seconds(10)))
            return false;
        QCoreApplication::processEvents();
        return true;
    }

    std::unique_ptr<QSignalSpy> passSpy;
    int passesSeen = 0;
};
