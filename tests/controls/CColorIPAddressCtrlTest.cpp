#include "controls/CColorIPAddressCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QClipboard>
#include <QTest>
#include <QToolTip>

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

TEST(IpAddressField, TypingClampsMovesOnAndPastingFillsAllFour)
{
    CColorIPAddressCtrl field;
    field.show();
    field.activateWindow();
    // Each key goes where the focus is after the one before, as a user's keys do.
    const auto type = [&](const QString& keys) {
        for (QChar c : keys)
            QTest::keyClick(field.focusWidget(), c.toLatin1());
    };
    field.Field(0)->setFocus();
    // Letters are refused, a number above 255 is brought down with a notice.
    type(QStringLiteral("256.300.abc.7"));
    EXPECT_STREQ(field.GetAddressText(), "255.255.0.7");
    EXPECT_EQ(QToolTip::text(), CColorIPAddressCtrl::RangeNotice());

    // A third digit moves on by itself; a dot right after it is not a second move.
    field.SetAddress(0);
    field.Field(0)->setFocus();
    field.Field(0)->selectAll();
    type(QStringLiteral("192168001002"));
    EXPECT_STREQ(field.GetAddressText(), "192.168.1.2");
    field.Field(0)->setFocus();
    field.Field(0)->selectAll();
    type(QStringLiteral("10.200.3 4"));
    EXPECT_STREQ(field.GetAddressText(), "10.200.3.4");

    // Backspace at the start of a number goes back into the one before.
    field.Field(2)->setFocus();
    field.Field(2)->setCursorPosition(0);
    QTest::keyClick(field.Field(2), Qt::Key_Backspace);
    EXPECT_EQ(field.focusWidget(), field.Field(1));
    QTest::keyClick(field.Field(1), Qt::Key_Backspace);
    EXPECT_STREQ(field.GetAddressText(), "10.20.3.4");

    // A click after a 0 puts the caret there.
    field.SetAddress(0);
    QTest::mouseClick(field.Field(1), Qt::LeftButton, {}, QPoint(field.Field(1)->width() - 2, 5));
    QTest::keyClicks(field.Field(1), QStringLiteral("5"));
    EXPECT_STREQ(field.GetAddressText(), "0.5.0.0");

    QGuiApplication::clipboard()->setText(QStringLiteral("10.77.0.2"));
    QTest::keyClick(field.focusWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_STREQ(field.GetAddressText(), "10.77.0.2");
    // A click into the first number of an address, then a whole address typed.
    field.SetAddress(0xC0A80001u);
    QTest::mouseClick(field.Field(0), Qt::LeftButton, {}, QPoint(2, field.Field(0)->height() / 2));
    field.Field(0)->setCursorPosition(0);
    type(QStringLiteral("10.99.1.40"));
    EXPECT_STREQ(field.GetAddressText(), "10.99.1.40");
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
