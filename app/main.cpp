#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/Translations.h"
#include "shell/SystemCommands.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    // Answered before any QApplication exists: that would open the display, which a terminal
    // may not have.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (const std::optional<int> status = zarn::answerCommandLine(
            arguments, zarn::SystemCommands::forThisSystem().probe, stdout, stderr)) {
        return *status;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarn"));
    QApplication::setApplicationVersion(QString::fromUtf8(zarn::build::ShortVersion));
    QApplication::setDesktopFileName(QStringLiteral("zarn"));
    zarn::installTranslators();
    // Quitting goes through the delegate's terminateRequested(), closing the window included.
    QApplication::setQuitOnLastWindowClosed(false);

    zarn::AppDelegate delegate;
    QObject::connect(&delegate, &zarn::AppDelegate::terminateRequested, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QTimer::singleShot(0, &delegate, &zarn::AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
