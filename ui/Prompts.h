#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace qv {

// Everything that would stop and wait for the user, so tests can answer
// instead of blocking.
struct Prompts
{
    // Save-file dialog: the chosen path, empty when cancelled; selectedFilter
    // receives the filter the user left chosen.
    std::function<QString(QWidget* owner, const QString& filters, QString* selectedFilter)> chooseSavePath;
    std::function<void(QWidget* owner, const QString& title, const QString& text)> showError;
    std::function<bool(QWidget* owner, const QString& title, const QString& text)> confirm;
    // Runs a dialog modally.
    std::function<int(QDialog& dialog)> runModal;
};

// The prompts in use; the defaults are the real dialogs.
Prompts& ActivePrompts();
void ResetPrompts();

} // namespace qv
