#include "controls/CColorIPAddressCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IpAddressField, BlankFieldsReadAsZero)
{
    CColorIPAddressCtrl field;
    EXPECT_STREQ(field.GetAddressText(), "0.0.0.0");
    field.SetAddress(0x0A0000FFu);
    EXPECT_STREQ(field.GetAddressText(), "10.0.0.255");
    field.Field(1)->clear();
    EXPECT_STREQ(field.GetAddressText(), "10.0.0.255");
    field.Field(2)->setText(QString());
    field.Field(1)->setText(QStringLiteral("7"));
    EXPECT_STREQ(field.GetAddressText(), "10.7.0.255");
    std::uint8_t values[4];
    EXPECT_EQ(field.GetAddress(values), 3);
}

TEST(IpAddressField, TakesHostOrderAndWritesNoLeadingZeros)
{
    CColorIPAddressCtrl field;
    field.SetAddress(0xC0A80001u);
    EXPECT_STREQ(field.GetAddressText(), "192.168.0.1");
    field.SetAddress(0);
    EXPECT_STREQ(field.GetAddressText(), "0.0.0.0");
    field.SetAddress(0xFFFFFFFFu);
    EXPECT_STREQ(field.GetAddressText(), "255.255.255.255");
}

TEST(IpAddressField, TypingAcceptsOnlyNumbersUpTo255AndADotMovesOn)
{
    CColorIPAddressCtrl field;
    field.show();
    field.Field(0)->setFocus();
    QTest::keyClicks(field.Field(0), QStringLiteral("3x00"));
    EXPECT_EQ(field.Field(0)->text(), QStringLiteral("30"));
    field.Field(0)->clear();
    QTest::keyClicks(field.Field(0), QStringLiteral("256"));
    EXPECT_EQ(field.Field(0)->text(), QStringLiteral("25"));
    QTest::keyClicks(field.Field(0), QStringLiteral("."));
    EXPECT_EQ(field.focusWidget(), field.Field(1));
    QTest::keyClicks(field.Field(1), QStringLiteral("4"));
    EXPECT_EQ(field.Field(0)->text(), QStringLiteral("25"));
    EXPECT_STREQ(field.GetAddressText(), "25.4.0.0");
}

TEST(IpAddressField, EachControlKeepsItsOwnText)
{
    CColorIPAddressCtrl source, target;
    source.SetAddress(0x0A000001u);
    target.SetAddress(0xC0A80001u);
    const char* targetText = target.GetAddressText();
    source.GetAddressText();
    EXPECT_STREQ(targetText, "192.168.0.1");
}

TEST(IpAddressField, ColoursAreThoseOfConstructionTime)
{
    QPalette original = QApplication::palette();
    CColorIPAddressCtrl field;
    const QColor text = field.Field(0)->palette().color(QPalette::Text);
    const QColor back = field.Field(0)->palette().color(QPalette::Base);
    QPalette changed = original;
    changed.setColor(QPalette::Text, Qt::red);
    changed.setColor(QPalette::Base, Qt::green);
    QApplication::setPalette(changed);
    EXPECT_EQ(field.Field(0)->palette().color(QPalette::Text), text);
    EXPECT_EQ(field.Field(0)->palette().color(QPalette::Base), back);
    QApplication::setPalette(original);
}

} // namespace
