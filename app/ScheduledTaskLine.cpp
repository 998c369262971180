#include "app/AppDelegate.h"

#include "ui_MainWindow.h"

#include <QDateTime>
#include <QTimer>
#include <chrono>

namespace zarn {

namespace {

QString actionName(task::Action action) {
    switch (action) {
    case task::Action::PowerOff:
        //: The task, first on the status line ("Shut down at …"), as are "Restart" and "Sleep".
        return AppDelegate::tr("Shut down");
    case task::Action::Reboot:
        return AppDelegate::tr("Restart");
    case task::Action::Suspend:
        return AppDelegate::tr("Sleep");
    }
    return {};
}

} // namespace

QString AppDelegate::scheduledTaskText(const task::ScheduledTask& task, Date now) {
    using std::chrono::minutes;
    const QString what = actionName(task.action);
    const QString when = confirmationDate(task.deadline);
    // Rounded up, so that the last minute before the deadline reads "1 min", never "0 min".
    const auto left = std::chrono::ceil<minutes>(task.deadline - now).count();
    if (left <= 0) {
        //: %1 is the task ("Restart"), %2 its date and time.
        return tr("%1 at %2 — now").arg(what, when);
    }
    if (left < 60) {
        //: %1 is the task, %2 its date and time, %3 the minutes left.
        return tr("%1 at %2 — in %3 min").arg(what, when).arg(left);
    }
    //: %1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.
    return tr("%1 at %2 — in %3 h %4 min").arg(what, when).arg(left / 60).arg(left % 60);
}

void AppDelegate::showScheduledTask(std::optional<task::ScheduledTask> task) {
    shownTask_ = std::move(task);
    if (shownTask_) {
        const auto msecs =
            std::chrono::floor<std::chrono::milliseconds>(shownTask_->deadline.time_since_epoch());
        ui_->beginDate->setDateTime(QDateTime::fromMSecsSinceEpoch(msecs.count()));
        if (QAbstractButton* choice = ui_->selectedTask->button(tagOfAction(shownTask_->action))) {
            choice->setChecked(true);
        }
    }
    updateScheduledTaskLine();
}

void AppDelegate::updateScheduledTaskLine() {
    QLabel* line = ui_->scheduledTaskField;
    if (!shownTask_) {
        minuteTimer_->stop();
        line->clear();
        line->hide();
        return;
    }
    const Date now = std::chrono::system_clock::now();
    line->setText(scheduledTaskText(*shownTask_, now));
    line->show();
    if (now >= shownTask_->deadline) {
        minuteTimer_->stop();
        return;
    }
    // The deadline falls on a whole minute, so the time left changes at each minute boundary;
    // a few milliseconds past it the rounding has surely moved on.
    using namespace std::chrono;
    const auto intoMinute = duration_cast<milliseconds>(now.time_since_epoch()) % minutes(1);
    minuteTimer_->start(static_cast<int>((minutes(1) - intoMinute + milliseconds(5)).count()));
}

} // namespace zarn
