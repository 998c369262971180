#include "app/AppDelegate.h"

#include "app/VersionCheck.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace zarn {

void AppDelegate::setUpMenus() {
    QMenu* menu = window()->menuBar()->addMenu(tr("&Zarn"));
    menu->setObjectName(QStringLiteral("applicationMenu"));

    // The roles put about, the update check and quit into the application menu on macOS; other
    // systems show the menu as it is built here.
    QAction* about = menu->addAction(tr("About Zarn"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &AppDelegate::buildSplashWnd);

    QAction* update = menu->addAction(tr("Check for Updates…"));
    update->setObjectName(QStringLiteral("checkForUpdatesAction"));
    update->setMenuRole(QAction::ApplicationSpecificRole);
    connect(update, &QAction::triggered, this, &AppDelegate::newVersionCheck);

    QAction* webPage = menu->addAction(tr("Zarn Web Page"));
    webPage->setObjectName(QStringLiteral("webPageAction"));
    webPage->setMenuRole(QAction::NoRole);
    connect(webPage, &QAction::triggered, this, &AppDelegate::doLaunchURL);

    menu->addSeparator();

    QAction* quit = menu->addAction(tr("Quit Zarn"));
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setMenuRole(QAction::QuitRole);
    // Some platforms bind nothing to the standard quit key; Ctrl+Q (Command-Q on macOS) is
    // what users expect there too.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    quit->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                                          : quitKeys);
    connect(quit, &QAction::triggered, this, &AppDelegate::terminateRequested);
}

void AppDelegate::newVersionCheck() {
    checkForNewVersion(environment_.versionFileUrl, bundleShortVersion(),
                       environment_.productWebPageUrl);
}

void AppDelegate::doLaunchURL() {
    openProductWebPage(environment_.productWebPageUrl);
}

} // namespace zarn
