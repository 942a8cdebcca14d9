#include "controls/CBannerStatic.h"
#include "controls/CLinkStatic.h"
#include "controls/LinkAddresses.h"
#include "controls/UrlOpener.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Links : ::testing::Test
{
    std::vector<QUrl> opened;
    QWidget dialog;
    void SetUp() override
    {
        qv::SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        dialog.resize(300, 100);
        dialog.show();
    }
    void TearDown() override { qv::SetUrlOpener({}); }
};

TEST_F(Links, APressOpensTheAddressAtOnceAndADoubleClickOpensItOnce)
{
    CLinkStatic link(QStringLiteral("Copyright"), &dialog);
    link.show();
    EXPECT_EQ(link.Address(), QString::fromLatin1(qv::links::kLinkAddress));
    QTest::mousePress(&link, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), QString::fromLatin1(qv::links::kLinkAddress));
    QTest::mouseRelease(&link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1u);
    // A double click: press, release, then the double-click message.
    QTest::mouseClick(&link, Qt::LeftButton);
    QTest::mouseDClick(&link, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2u);
    QTest::mousePress(&link, Qt::RightButton);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(Links, AnEmptyAddressBecomesTheTextAndStaysSo)
{
    CLinkStatic link(QStringLiteral("https://first.example/"), &dialog);
    link.show();
    link.SetAddress(QString());
    QTest::mouseClick(&link, Qt::LeftButton);
    link.setText(QStringLiteral("https://second.example/"));
    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].toString(), QStringLiteral("https://first.example/"));
    EXPECT_EQ(link.Address(), QStringLiteral("https://first.example/"));
}

TEST_F(Links, DisabledOrHiddenLinksDoNothing)
{
    CLinkStatic disabled(QStringLiteral("x"), &dialog);
    disabled.show();
    disabled.setEnabled(false);
    QTest::mouseClick(&disabled, Qt::LeftButton);
    // Drawn as a disabled static: grey, not underlined, no hand.
    EXPECT_NE(disabled.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(disabled.font().underline());
    EXPECT_NE(disabled.palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0, 0, 255));
    CBannerStatic banner(&dialog);
    banner.show();
    banner.setEnabled(false);
    QTest::mouseClick(&banner, Qt::LeftButton);
    CLinkStatic hidden(QStringLiteral("y"), &dialog);
    QTest::mouseClick(&hidden, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
    disabled.setEnabled(true);
    EXPECT_EQ(disabled.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(disabled.font().underline());
}

TEST_F(Links, LinksAreBlueUnderlinedWithAHandAndTheBannerOpensItsOwnAddress)
{
    QPalette odd = dialog.palette();
    odd.setColor(QPalette::WindowText, Qt::darkGreen);
    dialog.setPalette(odd);
    CLinkStatic link(QStringLiteral("text"), &dialog);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(link.font().underline());
    EXPECT_FALSE(link.autoFillBackground());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    CBannerStatic banner(&dialog);
    banner.show();
    EXPECT_EQ(banner.cursor().shape(), Qt::PointingHandCursor);
    QTest::mousePress(&banner, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), QString::fromLatin1(qv::links::kBannerAddress));
    for (const char* address :
         {qv::links::kBannerAddress, qv::links::kLinkAddress, qv::links::kProductPageAddress}) {
        const QUrl url(QString::fromLatin1(address));
        EXPECT_TRUE(url.host().endsWith(QLatin1String(".example")));
        for (const char* key : {"utm_source=", "utm_medium=", "utm_campaign="})
            EXPECT_TRUE(url.query().contains(QLatin1String(key))) << address;
    }
}

} // namespace
