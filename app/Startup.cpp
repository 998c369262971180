#include "app/AppDelegate.h"

#include "alerts/Alerts.h"
#include "app/BusyCursor.h"
#include "shell/Shell.h"
#include "ui_MainWindow.h"

#include <QDateTime>
#include <QMainWindow>
#include <QOperatingSystemVersion>

namespace zarn {

OsVersion osVersionGate() {
    const auto current = QOperatingSystemVersion::current();
    if (current.type() == QOperatingSystemVersion::Unknown) {
        return {};
    }
    return {std::max(current.majorVersion(), 0), std::max(current.minorVersion(), 0)};
}

void AppDelegate::applicationDidFinishLaunching() {
    doInit();
}

void AppDelegate::doInit() {
    const OsVersion version = environment_.osVersion();
    if (version.major == 10 && version.minor <= 8) {
        doSheetAlert(mainWindow(), tr("Sorry, Zarn requires Mac OS X Version 10.9 or higher."),
                     tr("Zarn will now quit"));
        Q_EMIT terminateRequested();
        return;
    }

    ui_->beginDate->setDateTime(QDateTime::currentDateTime());
    window_->show();
    window_->raise();
    window_->activateWindow();

    const BusyCursor busy;
    if (FoundTask found = findScheduledTask(); found.pid != 0) {
        shutDownInProgress();
        showScheduledTask(std::move(found.task));
    }
}

void AppDelegate::enableControls(bool enabled) {
    ui_->beginDate->setEnabled(enabled);
    ui_->hoursPopup->setEnabled(enabled);
    ui_->minutesPopup->setEnabled(enabled);
    for (QAbstractButton* button : ui_->selectedTask->buttons()) {
        button->setEnabled(enabled);
    }
}

void AppDelegate::shutDownInProgress() {
    enableControls(false);
    doSheetAlert(window_.get(), endTaskHint(), taskAlreadyScheduled());
    showTaskScheduledForm();
}

QString AppDelegate::taskAlreadyScheduled() {
    //: A sheet's title, and the start of the status line before "Ending a task requires a
    //: password".
    return tr("Task already scheduled - ");
}

QString AppDelegate::endTaskHint() {
    //: 'End Task' is the main button's title while a task waits: use its translation here.
    return tr("Use 'End Task' button to cancel it");
}

void AppDelegate::setFormState(FormState state) {
    formState_ = state;
    ui_->scheduleTaskBtn->setText(state == FormState::NoTask ? tr("Schedule Task")
                                                             : tr("End Task"));
}

void AppDelegate::showTaskScheduledForm() {
    setFormState(FormState::TaskScheduled);
    ui_->msgField->setText(taskAlreadyScheduled() + tr("Ending a task requires a password"));
}

} // namespace zarn
