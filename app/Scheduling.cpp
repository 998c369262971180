#include "app/AppDelegate.h"

#include "app/BusyCursor.h"
#include "dates/DateFormatter.h"
#include "dates/DateUtilities.h"
#include "shell/Shell.h"
#include "ui_MainWindow.h"

#include <QDateTime>
#include <QLocale>
#include <QMainWindow>
#include <chrono>
#include <optional>
#include <thread>

namespace zarn {

namespace {

const QString scheduleTitle = QStringLiteral("Schedule Task");

struct TaskKind {
    const char* tail;  // the helper's option for the task
    const char* label; // opens the confirmation
};

std::optional<TaskKind> taskKind(int tag) {
    switch (tag) {
    case 1:
        return TaskKind{"-h", "ShutDown Scheduled for:"};
    case 2:
        return TaskKind{"-r", "Restart Scheduled for:"};
    case 3:
        return TaskKind{"-s", "Sleep Scheduled for:"};
    default:
        return std::nullopt;
    }
}

Date toDate(const QDateTime& dateTime) {
    return Date(std::chrono::milliseconds(dateTime.toMSecsSinceEpoch()));
}

QDateTime toDateTime(Date date) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count());
}

// The password goes to sudo on its standard input, never on a command line, so the shell never
// sees it and no other user can read it from the process list.
void runWithPassword(const std::string& commandLine, const QString& password) {
    runShellCommandWithInput(commandLine, (password + QLatin1Char('\n')).toStdString());
}

} // namespace

std::int64_t AppDelegate::waitForTaskToEnd(std::int64_t pid) const {
    // kill returns once the signal is sent; the process needs a moment to end. A wrong password
    // leaves it running, and that answer takes this long.
    constexpr auto patience = std::chrono::seconds(2);
    const auto until = std::chrono::steady_clock::now() + patience;
    std::int64_t found = findScheduledTaskPid(environment_.commands.probe);
    while (pid > 0 && found == pid && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        found = findScheduledTaskPid(environment_.commands.probe);
    }
    return found;
}

QString confirmationText(int tag, Date date) {
    dates::DateFormatter formatter;
    formatter.setDateFormat("MMM dd, yyyy, h:mm a");
    const QString when = QString::fromStdString(formatter.stringFromDate(date));
    const auto kind = taskKind(tag);
    return kind ? QString::fromUtf8(kind->label) + QLatin1Char(' ') + when : when;
}

void AppDelegate::setUpDatePicker() {
    QDateTimeEdit* picker = ui_->beginDate;
    // The user's own date and time format, with the year in full: the picker runs to 2099.
    const QLocale locale;
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!dateFormat.contains(QStringLiteral("yyyy"))) {
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    picker->setDisplayFormat(dateFormat + QLatin1Char(' ') +
                             locale.timeFormat(QLocale::ShortFormat));
    // The helper's stamp has a two-digit year; there is no lower limit, so that a past date
    // reaches the check and its message.
    picker->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
    picker->setMaximumDateTime(QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59, 999)));
}

void AppDelegate::scheduleTask(QAbstractButton* sender) {
    if (sender->text() == scheduleTitle) {
        startaTask();
    } else {
        endaTask();
    }
}

void AppDelegate::setDateFromHoursMins() {
    const auto hours = ui_->hoursPopup->currentIndex();
    const auto minutes = ui_->minutesPopup->currentIndex();
    const Date now = std::chrono::system_clock::now();
    ui_->beginDate->setDateTime(toDateTime(
        dates::dateByAddingDays(now, 0, 0, 0, std::max(hours, 0), std::max(minutes, 0))));
}

bool AppDelegate::isDateTimeOK(Date date) {
    if (std::chrono::system_clock::now() - date > Date::duration::zero()) {
        doSheetAlert(window_.get(), tr("Date and/or Time must be in future - Please adjust dates"),
                     tr("Date/Time Input Error"));
        return false;
    }
    return true;
}

void AppDelegate::startaTask() {
    const Date date = toDate(ui_->beginDate->dateTime());
    if (!isDateTimeOK(date)) {
        return;
    }
    const BusyCursor busy;
    const int tag = ui_->selectedTask->checkedId();
    // Programs read the stamp: Gregorian, ASCII digits, local time; seconds are dropped.
    dates::DateFormatter stampFormatter = dates::DateFormatter::posix();
    stampFormatter.setDateFormat("yyMMddHHmm");
    const std::string stamp = stampFormatter.stringFromDate(date);

    // A tag without a task requests nothing; the probe below still decides what the user hears.
    if (const auto kind = taskKind(tag)) {
        const SystemCommands& commands = environment_.commands;
        runWithPassword(commands.sudo + ' ' + commands.shutdownProgram + ' ' + kind->tail + ' ' +
                            stamp,
                        ui_->enteredPassword->text());
    }

    if (findScheduledTaskPid(environment_.commands.probe) != 0) {
        const QString confirmation = confirmationText(tag, date);
        doSheetAlert(window_.get(), confirmation,
                     QStringLiteral("Scheduling is complete. Zarn will now quit"));
        ui_->msgField->setText(confirmation);
    } else {
        doSheetAlert(window_.get(), QStringLiteral("check the entered password"),
                     QStringLiteral("Shutdown/Restart/Sleep NOT started"));
    }
}

void AppDelegate::endaTask() {
    const BusyCursor busy;
    const std::int64_t pid = findScheduledTaskPid(environment_.commands.probe);
    // Only a real process id goes to kill: 0 or a negative number would signal whole process
    // groups, and as root -1 would signal every process.
    if (pid > 0) {
        const SystemCommands& commands = environment_.commands;
        runWithPassword(commands.sudo + ' ' + commands.kill + ' ' + std::to_string(pid),
                        ui_->enteredPassword->text());
    }

    if (waitForTaskToEnd(pid) != 0) {
        doSheetAlert(window_.get(), QStringLiteral("check the entered password"),
                     QStringLiteral("Task NOT cancelled"));
        return;
    }
    doSheetAlert(window_.get(), QStringLiteral("Scheduling is now available"),
                 QStringLiteral("The Task was cancelled"));
    ui_->msgField->clear();
    ui_->scheduleTaskBtn->setText(scheduleTitle);
    enableControls(true);
}

} // namespace zarn
