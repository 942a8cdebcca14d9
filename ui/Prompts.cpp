#include "ui/Prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qv {

namespace {

// Paths and system error texts are shown as they are, never as markup.
int AskPlain(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
             QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    return box.exec();
}

Prompts DesktopPrompts()
{
    Prompts prompts;
    prompts.chooseSavePath = [](QWidget* owner, const QString& filters, QString* selectedFilter) {
        // Save mode, asks before replacing a file, no read-only choice; the
        // toolkit's own dialog, so its labels follow the program's language.
        return QFileDialog::getSaveFileName(owner, QString(), QString(), filters, selectedFilter,
                                            QFileDialog::DontUseNativeDialog);
    };
    prompts.showError = [](QWidget* owner, const QString& title, const QString& text) {
        AskPlain(owner, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
    };
    prompts.confirm = [](QWidget* owner, const QString& title, const QString& text) {
        return AskPlain(owner, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::No) == QMessageBox::Yes;
    };
    prompts.runModal = [](QDialog& dialog) { return dialog.exec(); };
    return prompts;
}

} // namespace

Prompts& ActivePrompts()
{
    static Prompts prompts = DesktopPrompts();
    return prompts;
}

void ResetPrompts()
{
    ActivePrompts() = DesktopPrompts();
}

} // namespace qv
