#pragma once

#include <QTranslator>

// Chinese for the toolkit texts Debian's qtbase_zh_CN lacks (the save
// dialog's file types among them), so no English shows in its dialogs.
class CMissingQtTexts : public QTranslator
{
    Q_OBJECT
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};
