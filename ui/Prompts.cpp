#include "ui/Prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qv {

namespace {

Prompts DesktopPrompts()
{
    Prompts prompts;
    prompts.chooseSavePath = [](QWidget* owner, const QString& filter) {
        // Save mode, asks before replacing a file, no read-only choice.
        return QFileDialog::getSaveFileName(owner, QString(), QString(), filter, nullptr,
                                            QFileDialog::Options());
    };
    prompts.showError = [](QWidget* owner, const QString& title, const QString& text) {
        QMessageBox::warning(owner, title, text);
    };
    prompts.confirm = [](QWidget* owner, const QString& title, const QString& text) {
        return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No,
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
