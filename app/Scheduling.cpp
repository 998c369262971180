#include "app/AppDelegate.h"

#include "app/BusyCursor.h"
#include "app/Translations.h"
#include "dates/DateFormatter.h"
#include "dates/DateUtilities.h"
#include "shell/Shell.h"
#include "task/TaskRecord.h"
#include "ui_MainWindow.h"

#include <QDateTime>
#include <QLocale>
#include <QMainWindow>
#include <QRegularExpression>
#include <chrono>
#include <optional>
#include <thread>

namespace zarn {

namespace {

// Opens the confirmation of each action.
QString confirmationLabel(task::Action action) {
    switch (action) {
    case task::Action::PowerOff:
        //: Followed by the date and time, as are "Restart Scheduled for:" and "Sleep Scheduled
        //: for:".
        return AppDelegate::tr("ShutDown Scheduled for:");
    case task::Action::Reboot:
        return AppDelegate::tr("Restart Scheduled for:");
    case task::Action::Suspend:
        return AppDelegate::tr("Sleep Scheduled for:");
    }
    return {};
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

AppDelegate::FoundTask AppDelegate::findScheduledTask() const {
    ProbeResult probed = probeScheduledTask(environment_.commands);
    if (probed.pid == 0) {
        return {};
    }
    // The task comes from the record, with its absolute deadline: the stamp alone would be read
    // in this process's time zone, which may no longer be the one it was made in.
    return {probed.pid, task::scheduledTaskFromProbe(probed.pid, probed.output)};
}

std::int64_t AppDelegate::waitForTaskToEnd(std::int64_t pid) const {
    // kill returns once the signal is sent; the process needs a moment to end. A wrong password
    // leaves it running, and that answer takes this long.
    constexpr auto patience = std::chrono::seconds(2);
    const auto until = std::chrono::steady_clock::now() + patience;
    std::int64_t found = probeScheduledTask(environment_.commands).pid;
    while (pid > 0 && found == pid && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        found = probeScheduledTask(environment_.commands).pid;
    }
    return found;
}

std::optional<task::Action> actionOfTag(int tag) {
    switch (tag) {
    case 1:
        return task::Action::PowerOff;
    case 2:
        return task::Action::Reboot;
    case 3:
        return task::Action::Suspend;
    default:
        return std::nullopt;
    }
}

int tagOfAction(task::Action action) {
    switch (action) {
    case task::Action::PowerOff:
        return 1;
    case task::Action::Reboot:
        return 2;
    case task::Action::Suspend:
        return 3;
    }
    return 1;
}

QCalendar qtCalendar(dates::Calendar calendar) {
    switch (calendar) {
    case dates::Calendar::Gregorian:
        break;
    case dates::Calendar::Persian:
        return QCalendar(QCalendar::System::Jalali);
    case dates::Calendar::IslamicCivil:
        return QCalendar(QCalendar::System::IslamicCivil);
    }
    return QCalendar(QCalendar::System::Gregorian);
}

dates::Calendar displayCalendar(const QLocale& locale) {
    // Qt does not say which calendar a locale uses, and ICU would use the region's preferred one
    // for the texts. These are the regions whose preferred calendar (CLDR's, which ICU follows)
    // is not the Gregorian one; the language does not change it.
    dates::Calendar wanted = dates::Calendar::Gregorian;
    switch (locale.territory()) {
    case QLocale::Iran:
    case QLocale::Afghanistan:
        wanted = dates::Calendar::Persian;
        break;
    case QLocale::SaudiArabia:
        // Umm al-Qura there, which Qt lacks; the civil calendar is its arithmetic form, and
        // differs from it by a day at times, so the texts must not take ICU's default either.
        wanted = dates::Calendar::IslamicCivil;
        break;
    default:
        // Thailand prefers the Buddhist calendar, which Qt lacks.
        break;
    }
    // A Qt built without that calendar leaves both sides Gregorian.
    return qtCalendar(wanted).isValid() ? wanted : dates::Calendar::Gregorian;
}

QString confirmationDate(Date date) {
    // In the picker's calendar, not the locale's own, so that the screen shows one calendar.
    dates::DateFormatter formatter(displayCalendar(QLocale()));
    // The English pattern goes with the English texts only; in another language its month
    // abbreviation, order and AM/PM would read as half translated.
    if (textsAreEnglish()) {
        formatter.setDateFormat("MMM dd, yyyy, h:mm a");
    } else {
        formatter.setDateStyle(dates::DateFormatter::Style::Medium);
        formatter.setTimeStyle(dates::DateFormatter::Style::Short);
    }
    // The picker and the helper read local time through the C library; the text must agree.
    formatter.matchLocalTimeAt(date);
    return QString::fromStdString(formatter.stringFromDate(date));
}

QString confirmationText(int tag, Date date) {
    const QString when = confirmationDate(date);
    const auto action = actionOfTag(tag);
    return action ? confirmationLabel(*action) + QLatin1Char(' ') + when : when;
}

void AppDelegate::setUpDatePicker() {
    QDateTimeEdit* picker = ui_->beginDate;
    const QLocale locale;
    // Before anything makes the pop-up, which takes the calendar at that moment and keeps it.
    picker->setCalendar(qtCalendar(displayCalendar(locale)));
    // The user's own date and time format, with the year in full: the picker runs to 2099.
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!dateFormat.contains(QStringLiteral("yyyy"))) {
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    // Hours and minutes only: the stamp keeps no seconds, so what is shown is what runs.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("[:.,]?(s{1,2}|z{1,3})")));
    picker->setDisplayFormat(dateFormat + QLatin1Char(' ') + timeFormat.trimmed());
    // The helper's stamp has a two-digit year; there is no lower limit, so that a past date
    // reaches the check and its message.
    picker->setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
    picker->setMaximumDateTime(QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59, 999)));
}

void AppDelegate::scheduleTask(QAbstractButton* /*sender*/) {
    switch (formState_) {
    case FormState::NoTask:
        startaTask();
        break;
    case FormState::TaskScheduled:
        endaTask();
        break;
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
    // The stamp keeps whole minutes, so the task runs at the start of the picked minute: a time
    // later in the current minute names a minute that has begun already.
    if (!isDateTimeOK(std::chrono::floor<std::chrono::minutes>(date))) {
        return;
    }
    // The helper reads the stamp back in the C library's local time, so it is made in it too;
    // a local time that the clocks pass twice, or skip, would be a guess.
    const std::string stamp = task::stampFromInstant(date);
    switch (task::classifyStamp(stamp)) {
    case task::LocalTime::Repeated:
        doSheetAlert(window_.get(),
                     tr("That time occurs twice on this day because the clocks go back - "
                        "Please choose another time"),
                     tr("Date/Time Input Error"));
        return;
    case task::LocalTime::Skipped:
        doSheetAlert(window_.get(),
                     tr("That time does not exist on this day because the clocks go forward - "
                        "Please choose another time"),
                     tr("Date/Time Input Error"));
        return;
    case task::LocalTime::Unique:
    case task::LocalTime::Invalid:
        break;
    }
    const BusyCursor busy;
    const int tag = ui_->selectedTask->checkedId();

    // A tag without a task requests nothing; the probe below still decides what the user hears.
    const std::optional<task::Action> action = actionOfTag(tag);
    if (action) {
        const SystemCommands& commands = environment_.commands;
        runWithPassword(commands.sudo + ' ' + commands.shutdownProgram + ' ' +
                            std::string(task::actionOption(*action)) + ' ' + stamp,
                        ui_->enteredPassword->text());
    }

    if (const FoundTask waiting = findScheduledTask(); waiting.pid != 0) {
        // A task that was already waiting (scheduled from elsewhere in the meantime) is not the
        // one just asked for; only a task that cannot be read leaves the doubt.
        const std::optional<task::ScheduledTask>& found = waiting.task;
        if (found && (found->action != action || found->stamp != stamp)) {
            enableControls(false);
            doSheetAlert(window_.get(), endTaskHint(), tr("Another task is already scheduled"));
            showTaskScheduledForm();
            showScheduledTask(found);
            return;
        }
        const QString confirmation = confirmationText(tag, date);
        doSheetAlert(window_.get(), confirmation, tr("Scheduling is complete. Zarn will now quit"),
                     AfterOk::Quit);
        ui_->msgField->setText(confirmation);
        showScheduledTask(found);
    } else {
        doSheetAlert(window_.get(), tr("check the entered password"),
                     tr("Shutdown/Restart/Sleep NOT started"));
    }
}

void AppDelegate::endaTask() {
    const BusyCursor busy;
    const std::int64_t pid = probeScheduledTask(environment_.commands).pid;
    // Only a real process id goes to kill: 0 or a negative number would signal whole process
    // groups, and as root -1 would signal every process.
    if (pid > 0) {
        const SystemCommands& commands = environment_.commands;
        runWithPassword(commands.sudo + ' ' + commands.kill + ' ' + std::to_string(pid),
                        ui_->enteredPassword->text());
    }

    if (waitForTaskToEnd(pid) != 0) {
        doSheetAlert(window_.get(), tr("check the entered password"), tr("Task NOT cancelled"));
        return;
    }
    doSheetAlert(window_.get(), tr("Scheduling is now available"), tr("The Task was cancelled"));
    ui_->msgField->clear();
    setFormState(FormState::NoTask);
    enableControls(true);
    showScheduledTask(std::nullopt);
}

} // namespace zarn
