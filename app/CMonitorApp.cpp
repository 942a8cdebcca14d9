#include "app/CMonitorApp.h"

#include "ui/CMissingQtTexts.h"
#include "ui/CMonitorDlg.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char kNoDisplay[] =
    "quorvane: no display to open the window on (use 'quorvane --list' in a terminal)\n";

bool HaveDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// Qt ends the process when its platform plugin cannot connect; say why in
// one line instead of its abort.
void FatalToOneLine(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        if (message.contains(QLatin1String("platform plugin")) ||
            message.contains(QLatin1String("display"))) {
            const ssize_t ignored = ::write(STDERR_FILENO, kNoDisplay, sizeof kNoDisplay - 1);
            (void)ignored;
            ::_exit(1);
        }
        std::fprintf(stderr, "quorvane: %s\n", message.toLocal8Bit().constData());
        std::abort();
    }
    if (type == QtCriticalMsg || type == QtWarningMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int CMonitorApp::Run(int argc, char** argv)
{
    if (!HaveDisplay()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    qInstallMessageHandler(FatalToOneLine);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
    // The window speaks Chinese whatever the locale: so do Qt's own dialogs
    // and buttons (Debian qt6-translations-l10n).
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    CMissingQtTexts missing;
    QApplication::installTranslator(&missing);
    // Closing the window ends the program, even while the About box is up.
    QApplication::setQuitOnLastWindowClosed(false);
    InitInstance();
    return 0;
}

bool CMonitorApp::InitInstance()
{
    {
        CMonitorDlg dialog;
        // The application's loop rather than QDialog::exec(): exec() would
        // end when the window hides itself into the tray.
        QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit);
        dialog.show();
        QApplication::exec();
    }
    return false;
}
