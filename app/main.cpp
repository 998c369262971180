#include "app/AppDelegate.h"
#include "app/Translations.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
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
