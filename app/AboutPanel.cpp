#include "app/AppDelegate.h"

#include "app/VersionCheck.h"
#include "dates/DateFormatter.h"
#include "ui_AboutPanel.h"

#include <QKeySequence>
#include <QLocale>
#include <QMainWindow>
#include <QShortcut>
#include <QSysInfo>
#include <QTimer>
#include <chrono>

namespace zarn {

namespace {

constexpr int splashDurationMs = 5000;

} // namespace

void AppDelegate::setUpAboutPanel() {
    // A tool window: it stays above the main window and does not count as a window whose closing
    // ends the application.
    splashWindow_ = std::make_unique<QWidget>(nullptr, Qt::Tool);
    aboutUi_ = std::make_unique<Ui::AboutPanel>();
    aboutUi_->setupUi(splashWindow_.get());
    // The panel comes to the front without taking the focus from the main window.
    splashWindow_->setAttribute(Qt::WA_ShowWithoutActivating);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), splashWindow_.get());
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, splashWindow_.get(), &QWidget::hide);
}

void AppDelegate::buildSplashWnd() {
    aboutUi_->zarnVersion->setText(tr("Version:") + QLatin1Char(' ') + bundleShortVersion());
    // Each system's build names that system: the lines are chosen by the compiler.
#ifdef __APPLE__
    aboutUi_->ccnos->setText(QStringLiteral("For Mac OS 10.9+"));
    aboutUi_->germanCredit->setText(
        QStringLiteral("64-bit, universal for macOS 11/Apple Silicon Macs"));
#else
    aboutUi_->ccnos->setText(tr("For Linux with systemd"));
    // The word size of this build, and the Qt it runs on (which may be newer than the one it
    // was built with).
    aboutUi_->germanCredit->setText(
        tr("%1-bit, Qt %2").arg(QSysInfo::WordSize).arg(QLatin1String(qVersion())));
#endif
    aboutUi_->ccnEmail->setText(tr("Email:") + QLatin1Char(' ') +
                                QString::fromUtf8(build::ContactEmailAddress));
    // The year is read at every opening, so a panel opened after New Year shows the new one, and
    // in the calendar of the form's dates, so the screen shows one calendar. The notice is a legal
    // text set by the build, and stays as it is written.
    dates::DateFormatter year(displayCalendar(QLocale()));
    year.setDateFormat("yyyy");
    aboutUi_->copyright->setText(
        QString::fromUtf8(build::CopyrightPrefix) +
        QString::fromStdString(year.stringFromDate(std::chrono::system_clock::now())) +
        QLatin1Char(' ') + QString::fromUtf8(build::VendorName));

    splashWindow_->show();
    splashWindow_->raise();
    // Every opening has its own timer and none is ever stopped: the first one to fire hides the
    // panel, so a second opening does not prolong it.
    QTimer::singleShot(splashDurationMs, Qt::PreciseTimer, this, &AppDelegate::closeSplash);
}

void AppDelegate::closeSplash() {
    splashWindow_->hide();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace zarn
