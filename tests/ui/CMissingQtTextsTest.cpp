#include "ui/CMissingQtTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The save dialog as the window runs it, with Qt's Chinese and ours: no
// English word is left in its labels, buttons or file types.
TEST(SaveDialogTexts, AreChineseThroughout)
{
    QTranslator qtTexts;
    if (!qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        GTEST_SKIP() << "qtbase_zh_CN is not installed (qt6-translations-l10n)";
    QApplication::installTranslator(&qtTexts);
    CMissingQtTexts missing;
    QApplication::installTranslator(&missing);
    {
        QFileDialog dialog(nullptr, QString(), QDir::tempPath(), QStringLiteral("Text Files (*.txt)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.show();
        const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
        QStringList texts;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            texts << label->text();
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            texts << button->text() << button->toolTip();
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->index(QDir::tempPath()).isValid(); }));
        texts << model->type(model->index(QDir::tempPath()));
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->headerData(column, Qt::Horizontal).toString();
        for (const QString& text : texts)
            EXPECT_FALSE(text.contains(english)) << text.toStdString();
    }
    QApplication::removeTranslator(&missing);
    QApplication::removeTranslator(&qtTexts);
}

} // namespace
