#pragma once

#include "app/BuildConfig.h"
#include "dates/DateFormatter.h"
#include "shell/SystemCommands.h"
#include "task/TaskLine.h"

#include <QCalendar>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAbstractButton;
class QLocale;
class QMainWindow;
class QTimer;
class QWidget;

namespace Ui {
class MainWindow;
class AboutPanel;
} // namespace Ui

namespace zarn {

struct OsVersion {
    int major = 0;
    int minor = 0;
};

/// Major and minor version of the running operating system; 0, 0 where the toolkit does not know
/// its type (as on Linux).
OsVersion osVersionGate();

/// The action of the task choice's tag: 1 shut down, 2 restart, 3 sleep; nothing for another tag.
std::optional<task::Action> actionOfTag(int tag);
/// The task choice's tag of `action`.
int tagOfAction(task::Action action);

/// The calendar of every date the application shows to a user of `locale`, the date picker's
/// and the texts' alike: the region's own where Qt has it (Solar Hijri in Iran and Afghanistan,
/// the civil Islamic calendar in Saudi Arabia), else the Gregorian one, also where the region
/// prefers another that Qt lacks (Thailand's Buddhist calendar).
dates::Calendar displayCalendar(const QLocale& locale);
/// `calendar` as Qt's; invalid when this Qt was built without it.
QCalendar qtCalendar(dates::Calendar calendar);

/// `date` in displayCalendar() and the C library's local time: as "MMM dd, yyyy, h:mm a" in the
/// user's locale while Zarn's texts are English (textsAreEnglish()), e.g. "Jan 05, 2025, 3:30 PM";
/// else in the locale's own medium date and short time, e.g. "05.01.2025, 15:30" in German.
QString confirmationDate(Date date);

/// The text that confirms a scheduled task: the translated label of the task with tag `tag`
/// (1 shut down, 2 restart, 3 sleep; none for another tag) and confirmationDate(), e.g.
/// "ShutDown Scheduled for: Jan 05, 2025, 3:30 PM".
QString confirmationText(int tag, Date date);

/// What the application takes from its surroundings; tests pass their own.
struct Environment {
    SystemCommands commands = SystemCommands::forThisSystem();
    QString versionFileUrl = QString::fromUtf8(build::VersionFileURL);
    QString productWebPageUrl = QString::fromUtf8(build::ProductWebPageURL);
    std::function<OsVersion()> osVersion = osVersionGate;
};

/// The one controller: owns the main window with the scheduling form and the about panel, and
/// takes every action of the form and the menus.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(Environment environment = {}, QObject* parent = nullptr);
    ~AppDelegate() override;

    /// What OK on a sheet does once the sheet is gone.
    enum class AfterOk { Stay, Quit };

    /// Shows a one-button ("OK", translated) warning sheet on `window` (application-modal when
    /// null) and returns at once. With AfterOk::Quit, OK emits terminateRequested(); the title
    /// plays no part in it.
    void doSheetAlert(QWidget* window, const QString& errorString, const QString& titleString,
                      AfterOk afterOk = AfterOk::Stay);

    /// What waits and when, for the scheduled-task line, e.g. "Restart at Dec 10, 2026, 11:02 PM —
    /// in 22 h 58 min": the date as confirmationDate() gives it, then the time left from `now` in
    /// whole minutes, rounded up; "— now" once the deadline has come.
    static QString scheduledTaskText(const task::ScheduledTask& task, Date now);

    /// The main window (objectName "window") and the about panel ("splashWindow").
    QMainWindow* window() const;
    QWidget* splashWindow() const;

public slots:
    /// Start-up: the version gate, the date picker at now, the window shown, the probe.
    void applicationDidFinishLaunching();
    /// A press of the main button: schedules while the form shows no task, ends the task while it
    /// shows one. The form's state decides, never `sender`'s title, which is the translated one.
    void scheduleTask(QAbstractButton* sender);
    /// Sets the date picker to now plus the hours and minutes of the two pop-ups.
    void setDateFromHoursMins();
    /// Fills the about panel, shows it and hides it again five seconds later.
    void buildSplashWnd();
    /// Compares the version file on the web site with this version and says which is newer.
    void newVersionCheck();
    /// Opens the product web page in the browser.
    void doLaunchURL();

signals:
    /// Every request to quit; main() connects it to QCoreApplication::quit.
    void terminateRequested();

private:
    /// What the form stands for, and so what the main button does and says.
    enum class FormState { NoTask, TaskScheduled };

    bool eventFilter(QObject* watched, QEvent* event) override;

    void doInit();
    void enableControls(bool enabled);
    void shutDownInProgress();
    /// Texts of more than one place: the title of the sheet of a task that waits, and the hint.
    static QString taskAlreadyScheduled();
    static QString endTaskHint();
    /// The state, with the main button's title for it.
    void setFormState(FormState state);
    /// The state, button and message field of a task that waits.
    void showTaskScheduledForm();
    /// Shows `task` in the scheduled-task line, the date picker and the task choice, and keeps the
    /// time left up to date; nothing hides the line.
    void showScheduledTask(std::optional<task::ScheduledTask> task);
    void updateScheduledTaskLine();

    bool isDateTimeOK(Date date);
    void startaTask();
    void endaTask();
    /// The probe's answer: the waiting process (0 for none) and the task it carries, when the
    /// probe's output (the helper's task record on Linux) says.
    struct FoundTask {
        std::int64_t pid = 0;
        std::optional<task::ScheduledTask> task;
    };
    FoundTask findScheduledTask() const;
    /// The probe's answer once the task `pid` has ended, or after two seconds if it has not.
    std::int64_t waitForTaskToEnd(std::int64_t pid) const;
    void setUpDatePicker();

    void setUpMenus();
    void setUpAboutPanel();
    void closeSplash();

    Environment environment_;
    std::unique_ptr<QMainWindow> window_;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<QWidget> splashWindow_;
    std::unique_ptr<Ui::AboutPanel> aboutUi_;
    FormState formState_ = FormState::NoTask;
    std::optional<task::ScheduledTask> shownTask_;
    std::unique_ptr<QTimer> minuteTimer_;
};

} // namespace zarn
