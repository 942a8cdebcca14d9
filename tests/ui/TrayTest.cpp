#include "controls/CLinkStatic.h"
#include "controls/LinkAddresses.h"
#include "tests/ui/UiFixtures.h"
#include "ui/CAboutDlg.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {

struct Tray : DialogFixture
{
    std::unique_ptr<CMonitorDlg> dialog;
    void SetUp() override
    {
        DialogFixture::SetUp();
        dialog = MakeDialog();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void Minimise()
    {
        const int before = tray->adds;
        dialog->setWindowState(dialog->windowState() | Qt::WindowMinimized);
        ASSERT_TRUE(QTest::qWaitFor([&] { return tray->adds > before; }));
    }
    QMenu* OpenMenu()
    {
        emit tray->RightButtonUp(QPoint(200, 200));
        QMenu* menu = dialog->TrayMenu();
        if (menu && !QTest::qWaitFor([&] { return menu->isVisible(); }))
            return nullptr;
        return menu;
    }
    void Choose(QMenu* menu, int id)
    {
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id)
                action->trigger();
        menu->close();
    }
};

TEST_F(Tray, MinimisingHidesTheWindowBehindOneIcon)
{
    Minimise();
    EXPECT_TRUE(dialog->IsInTray());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(tray->shown);
    EXPECT_EQ(tray->adds, 1);
    EXPECT_EQ(tray->tip, QStringLiteral("Quorvane"));
}

TEST_F(Tray, ALeftClickBringsTheWindowBackAndRemovesTheIcon)
{
    Minimise();
    emit tray->LeftButtonUp();
    emit tray->LeftButtonUp(); // the second click of a double click finds no icon
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tray->shown; }));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(dialog->IsInTray());
    // Every trip adds the icon anew; there is never more than one.
    Minimise();
    EXPECT_EQ(tray->adds, 2);
    EXPECT_TRUE(tray->shown);
}

TEST_F(Tray, TheMenuOffersShowAboutAndExitAndAboutKeepsTheTrayState)
{
    Minimise();
    QMenu* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("显示窗口"), QStringLiteral("关于"), QStringLiteral("退出")}));
    Choose(menu, CMonitorDlg::ID_TRAY_ABOUT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modalTitles.size() == 1; }));
    EXPECT_EQ(modalTitles[0], QStringLiteral("关于 Quorvane"));
    EXPECT_TRUE(dialog->IsInTray());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(exits.empty());
}

// "显示窗口" and a click on a notice bring the window back where it was.
TEST_F(Tray, ShowWindowAndAClickedNoticeBringTheWindowBack)
{
    const QPoint before = dialog->pos();
    Minimise();
    QMenu* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    Choose(menu, CMonitorDlg::ID_TRAY_SHOW);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsInTray() && dialog->isVisible(); }));
    EXPECT_EQ(dialog->pos(), before);
    Minimise();
    emit tray->MessageClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsInTray() && dialog->isVisible(); }));
}

TEST_F(Tray, ADismissedMenuChangesNothing)
{
    Minimise();
    QMenu* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    menu->close();
    QTest::qWait(0);
    EXPECT_TRUE(dialog->IsInTray());
    EXPECT_TRUE(tray->shown);
    EXPECT_TRUE(modalTitles.empty());
    EXPECT_TRUE(exits.empty());
}

TEST_F(Tray, ExitRemovesTheIconAndEndsWithStatusZero)
{
    Minimise();
    Choose(OpenMenu(), CMonitorDlg::ID_TRAY_EXIT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exits.empty(); }));
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_FALSE(tray->shown);
}

TEST_F(Tray, WithoutANotificationAreaTheWindowMinimisesNormally)
{
    tray->available = false;
    dialog->setWindowState(Qt::WindowMinimized);
    QTest::qWait(0);
    QTest::qWait(0);
    EXPECT_FALSE(dialog->IsInTray());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(tray->adds, 0);

    dialog->showNormal();
    tray->available = true;
    tray->refuse = true;
    dialog->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray->adds == 1; }));
    EXPECT_FALSE(dialog->IsInTray());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Tray, TheWorkerGoesOnWhileTheWindowIsInTheTray)
{
    period = std::chrono::milliseconds(20);
    dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    Minimise();
    ASSERT_TRUE(dialog->IsInTray());
    net->SetRows({net->rows.front()});
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->m_list->rowCount() == 1; }, 10000));
    EXPECT_TRUE(dialog->IsInTray());
}

TEST_F(Tray, F1AndTheTrayShowTheSameAboutBox)
{
    QTest::keyClick(dialog->m_list, Qt::Key_F1);
    ASSERT_EQ(modalTitles.size(), 1u);
    Minimise();
    Choose(OpenMenu(), CMonitorDlg::ID_TRAY_ABOUT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modalTitles.size() == 2; }));
    EXPECT_EQ(modalTitles[0], modalTitles[1]);
}

TEST(AboutBox, HasItsTemplateTextsAndLinks)
{
    QWidget owner;
    CAboutDlg about(&owner, QStringLiteral("厂商数据 2022-08-27（内置）"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于 Quorvane"));
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(about.windowModality(), Qt::WindowModal); // the tray icon still answers
    EXPECT_EQ(about.parentWidget(), &owner);
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
        // Every text fits its control in the font in use.
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
        EXPECT_LE(label->geometry().right(), about.width());
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Quorvane 版本 " QV_VERSION)));
    EXPECT_TRUE(texts.contains(QStringLiteral("厂商数据 2022-08-27（内置）")));
    EXPECT_TRUE(about.m_linkNotice->isEnabled());
    EXPECT_FALSE(about.m_linkExtra->isEnabled());
    EXPECT_EQ(about.m_linkNotice->property("controlId").toInt(), 1003);
    EXPECT_EQ(about.m_linkExtra->property("controlId").toInt(), 1004);
    EXPECT_EQ(about.m_linkNotice->Address(), QString::fromLatin1(qv::links::kLinkAddress));
    EXPECT_EQ(about.m_linkExtra->Address(), QString::fromLatin1(qv::links::kLinkAddress));
    EXPECT_EQ(about.m_btnOk->text(), QStringLiteral("确定"));
    EXPECT_TRUE(about.m_btnOk->isDefault());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinimizeButtonHint);
}

} // namespace
