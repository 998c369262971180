#include "SchedulingFixture.h"

#include "dates/DateFormatter.h"
#include "tests/support/RunAs.h"

#include <QSignalSpy>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

using namespace std::chrono_literals;
using zarn::AppDelegate;
using zarn::test::Form;
using zarn::test::SchedulingFixture;
using zarn::test::sheetsOn;
using zarn::test::textOf;

QString stampOf(const QDateTime& when) {
    zarn::dates::DateFormatter formatter = zarn::dates::DateFormatter::posix();
    formatter.setDateFormat("yyMMddHHmm");
    return QString::fromStdString(
        formatter.stringFromDate(zarn::Date(std::chrono::milliseconds(when.toMSecsSinceEpoch()))));
}

class Scheduling : public SchedulingFixture {
protected:
    void SetUp() override {
        SchedulingFixture::SetUp();
        delegate = std::make_unique<AppDelegate>(environment);
        form = std::make_unique<Form>(*delegate);
        delegate->applicationDidFinishLaunching();
    }
    void TearDown() override {
        form.reset();
        delegate.reset();
        SchedulingFixture::TearDown();
    }

    // Presses the action button and answers the one sheet it shows with OK; the sheet's text.
    QString press() {
        form->scheduleTaskBtn->click();
        const auto sheets = sheetsOn(form->window);
        EXPECT_EQ(sheets.size(), 1);
        const QString text = sheets.isEmpty() ? QString() : textOf(sheets.last());
        zarn::test::dismissSheets(form->window);
        return text;
    }

    std::unique_ptr<AppDelegate> delegate;
    std::unique_ptr<Form> form;
};

TEST_F(Scheduling, RefusesAPastDateAndRunsNothing) {
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(-60));
    form->enteredPassword->setText("secret");
    EXPECT_EQ(press(),
              "Date/Time Input Error|Date and/or Time must be in future - Please adjust dates");
    EXPECT_TRUE(sudoCalls().empty());
}

TEST_F(Scheduling, ADateLaterInTheCurrentMinuteIsRefusedAndRunsNothing) {
    // Keep clear of a minute boundary so that "now" and the date share their minute.
    while (QTime::currentTime().second() > 35) {
        QTest::qWait(200);
    }
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(20));
    form->enteredPassword->setText("secret");
    // The stamp would name the minute that has begun, which the helper refuses.
    EXPECT_EQ(press(),
              "Date/Time Input Error|Date and/or Time must be in future - Please adjust dates");
    EXPECT_TRUE(sudoCalls().empty());
}

TEST_F(Scheduling, RefusesALocalTimeThatTheClocksRepeatBeforeRunningAnything) {
    const char* old = std::getenv("TZ");
    const std::string saved = old != nullptr ? old : "";
    for (const char* zone : {"America/New_York", "EST5EDT,M3.2.0,M11.1.0", "Europe/Berlin"}) {
        SCOPED_TRACE(zone);
        ::setenv("TZ", zone, 1);
        ::tzset();
        // The night the clocks go back in 2099, the repeated hour and the one after it.
        const QDate night =
            std::string(zone) == "Europe/Berlin" ? QDate(2099, 10, 25) : QDate(2099, 11, 1);
        const int repeated = std::string(zone) == "Europe/Berlin" ? 2 : 1;
        std::filesystem::remove(sudoLog);
        form->beginDate->setDateTime(QDateTime(night, QTime(repeated, 30)));
        form->enteredPassword->setText("secret");
        EXPECT_EQ(press(), "Date/Time Input Error|That time occurs twice on this day because the "
                           "clocks go back - Please choose another time");
        EXPECT_TRUE(sudoCalls().empty());

        form->beginDate->setDateTime(QDateTime(night, QTime(repeated + 1, 30)));
        EXPECT_TRUE(press().startsWith("Scheduling is complete"));
        ASSERT_EQ(sudoCalls().size(), 1u);
        EXPECT_EQ(sudoCalls()[0].args.back(), "99" + night.toString("MMdd").toStdString() + "0" +
                                                  std::to_string(repeated + 1) + "30");
        const auto pid = probe();
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        waitGone(pid);
    }
    if (old != nullptr) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

// TZ for the C library and, as at a fresh start of the application, for ICU; put back after.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) : icuZone_(icu::TimeZone::createDefault()) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        if (zone != nullptr) {
            ::setenv("TZ", zone, 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
        icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
    }
    ~ScopedZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
        icu::TimeZone::adoptDefault(icuZone_);
    }

private:
    std::optional<std::string> old_;
    icu::TimeZone* icuZone_;
};

TEST_F(Scheduling, PickerStampConfirmationAndHelperAgreeOnTheLocalTimeInEveryZone) {
    const icu::Locale oldLocale = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    for (const char* zone : {"EST5EDT,M3.2.0,M11.1.0", "<+0330>-3:30", "CET-1CEST,M3.5.0,M10.5.0/3",
                             "Europe/Berlin", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(zone != nullptr ? zone : "TZ unset");
        const ScopedZone scoped(zone);
        std::filesystem::remove(sudoLog);
        form->hoursPopup->setCurrentIndex(2);
        form->minutesPopup->setCurrentIndex(30);
        Q_EMIT form->minutesPopup->activated(30);
        const QDateTime shown = form->beginDate->dateTime();
        form->enteredPassword->setText("secret");
        const QString sheet = press();

        const auto calls = sudoCalls();
        ASSERT_EQ(calls.size(), 1u);
        const auto deadline = zarn::task::deadlineFromStamp(calls[0].args.back());
        ASSERT_TRUE(deadline) << calls[0].args.back();
        const QDateTime minute(shown.date(), QTime(shown.time().hour(), shown.time().minute()));
        EXPECT_EQ(std::chrono::system_clock::to_time_t(*deadline), minute.toSecsSinceEpoch());
        const QString when = QLocale(QLocale::English, QLocale::UnitedStates)
                                 .toString(shown, QStringLiteral("MMM dd, yyyy, h:mm AP"));
        EXPECT_EQ(sheet,
                  "Scheduling is complete. Zarn will now quit|ShutDown Scheduled for: " + when);
        const auto pid = probe();
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        waitGone(pid);
    }
    icu::Locale::setDefault(oldLocale, status);
}

TEST(DatePicker, ShowsHoursAndMinutesOnlyInEveryLocale) {
    const QLocale old;
    for (const char* name : {"en_US", "de_DE", "ja_JP", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        AppDelegate delegate;
        const Form form(delegate);
        const auto sections = form.beginDate->displayedSections();
        EXPECT_TRUE(sections.testFlag(QDateTimeEdit::MinuteSection)) << name;
        EXPECT_FALSE(sections.testFlag(QDateTimeEdit::SecondSection)) << name;
        EXPECT_FALSE(sections.testFlag(QDateTimeEdit::MSecSection)) << name;
    }
    QLocale::setDefault(old);
}

TEST(DatePicker, ShowsTheCalendarOfTheScheduledTaskLineInEveryLocale) {
    // 9 December 2026 at noon: its year and day in each locale's calendar where Qt has it.
    const struct {
        const char *locale, *year, *day;
    } cases[] = {
        {"fa_IR", "۱۴۰۵", "۱۸"}, // 18 Azar 1405, Solar Hijri
        {"ar_SA", "١٤٤٨", "٢٨"}, // 28 Jumada II 1448, civil Islamic
        {"th_TH", "2026", "9"},  // Gregorian: Qt has no Buddhist calendar
        {"en_US", "2026", "9"},
    };
    const QLocale oldQt;
    const icu::Locale oldIcu = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    const QDateTime noon(QDate(2026, 12, 9), QTime(12, 0));
    const zarn::Date date(std::chrono::milliseconds(noon.toMSecsSinceEpoch()));
    for (const auto& entry : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(entry.locale)));
        icu::Locale::setDefault(icu::Locale(entry.locale), status);
        AppDelegate delegate;
        const Form form(delegate);
        form.beginDate->setDateTime(noon);
        for (const QString& shown :
             {form.beginDate->text(),
              AppDelegate::scheduledTaskText({zarn::task::Action::PowerOff, {}, date}, date)}) {
            EXPECT_TRUE(shown.contains(QString::fromUtf8(entry.year)) &&
                        shown.contains(QString::fromUtf8(entry.day)))
                << entry.locale << ": " << shown.toStdString();
        }
    }
    QLocale::setDefault(oldQt);
    icu::Locale::setDefault(oldIcu, status);
}

TEST_F(Scheduling, PopUpsSetNowPlusTheOffsetSecondsIncluded) {
    form->hoursPopup->setCurrentIndex(2);
    form->minutesPopup->setCurrentIndex(30);
    const QDateTime now = QDateTime::currentDateTime();
    Q_EMIT form->minutesPopup->activated(30);
    EXPECT_LE(std::abs(form->beginDate->dateTime().msecsTo(now.addSecs(9000))), 1000);

    form->hoursPopup->setCurrentIndex(0);
    form->minutesPopup->setCurrentIndex(0);
    Q_EMIT form->hoursPopup->activated(0);
    EXPECT_LE(std::abs(form->beginDate->dateTime().msecsTo(QDateTime::currentDateTime())), 1000);
}

TEST_F(Scheduling, KeepsTheSecondsAndMillisecondsOfTheDateAndStopsAt2099) {
    const QDateTime precise(QDate(2030, 5, 6), QTime(7, 8, 9, 123));
    form->beginDate->setDateTime(precise);
    EXPECT_EQ(form->beginDate->dateTime(), precise);
    form->beginDate->setDateTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0)));
    EXPECT_EQ(form->beginDate->dateTime().date(), QDate(2099, 12, 31));
    form->beginDate->setDateTime(QDateTime(QDate(1990, 1, 1), QTime(0, 0)));
    EXPECT_EQ(form->beginDate->dateTime().date(), QDate(1990, 1, 1));
}

TEST_F(Scheduling, SchedulesEachTaskAndQuitsOnOk) {
    struct Case {
        int tag;
        const char* option;
        const char* label;
    };
    for (const Case& c :
         {Case{1, "-h", "ShutDown Scheduled for: "}, Case{2, "-r", "Restart Scheduled for: "},
          Case{3, "-s", "Sleep Scheduled for: "}}) {
        std::filesystem::remove(sudoLog);
        const QDateTime when = QDateTime::currentDateTime().addSecs(600 + 60 * c.tag);
        form->beginDate->setDateTime(when);
        form->selectedTask->button(c.tag)->click();
        form->enteredPassword->setText("secret");
        QSignalSpy terminate(delegate.get(), &AppDelegate::terminateRequested);

        form->scheduleTaskBtn->click();
        const auto calls = sudoCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].args, (std::vector<std::string>{"-S", "-k", "-p", "", helper.string(),
                                                           c.option, stampOf(when).toStdString()}));
        EXPECT_EQ(calls[0].line, "secret");
        EXPECT_NE(probe(), 0);

        const auto sheets = sheetsOn(form->window);
        ASSERT_EQ(sheets.size(), 1);
        const QString confirmation = zarn::confirmationText(
            c.tag, zarn::Date(std::chrono::milliseconds(when.toMSecsSinceEpoch())));
        EXPECT_TRUE(confirmation.startsWith(c.label)) << confirmation.toStdString();
        EXPECT_EQ(textOf(sheets[0]), "Scheduling is complete. Zarn will now quit|" + confirmation);
        // Set while the sheet is still up.
        EXPECT_EQ(form->msgField->text(), confirmation);
        EXPECT_TRUE(form->inputsEnabled());
        EXPECT_EQ(form->scheduleTaskBtn->text(), "Schedule Task");
        EXPECT_EQ(terminate.count(), 0);
        zarn::test::dismissSheets(form->window);
        EXPECT_EQ(terminate.count(), 1);

        // Ends this task before the next kind is scheduled.
        const auto pid = probe();
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        waitGone(pid);
    }
    EXPECT_EQ(actions(), "");
}

TEST(Confirmation, ReadsInTheUsersLocale) {
    const icu::Locale old = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    zarn::dates::DateFormatter parser = zarn::dates::DateFormatter::posix();
    parser.setDateFormat("yyyy-MM-dd HH:mm:ss");
    const zarn::Date date = parser.dateFromString("2025-01-05 15:30:40").value();
    EXPECT_EQ(zarn::confirmationText(1, date), "ShutDown Scheduled for: Jan 05, 2025, 3:30 PM");
    EXPECT_EQ(zarn::confirmationText(2, date), "Restart Scheduled for: Jan 05, 2025, 3:30 PM");
    EXPECT_EQ(zarn::confirmationText(3, date), "Sleep Scheduled for: Jan 05, 2025, 3:30 PM");
    EXPECT_EQ(zarn::confirmationText(0, date), "Jan 05, 2025, 3:30 PM");
    icu::Locale::setDefault(old, status);
}

TEST_F(Scheduling, AWrongOrEmptyPasswordStartsNothingAndKeepsTheForm) {
    const QDateTime when = QDateTime::currentDateTime().addSecs(3600);
    for (const QString& password : {QString("wrong"), QString()}) {
        form->beginDate->setDateTime(when);
        form->selectedTask->button(2)->click();
        form->enteredPassword->setText(password);
        EXPECT_EQ(press(), "Shutdown/Restart/Sleep NOT started|check the entered password");
        EXPECT_EQ(probe(), 0);
        EXPECT_EQ(form->beginDate->dateTime(), when);
        EXPECT_EQ(form->selectedTask->checkedId(), 2);
        EXPECT_EQ(form->enteredPassword->text(), password);
        EXPECT_EQ(form->scheduleTaskBtn->text(), "Schedule Task");
        EXPECT_TRUE(form->inputsEnabled());
    }
    const auto calls = sudoCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].line, "");
}

TEST_F(Scheduling, ATagWithoutATaskRunsNothing) {
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
    form->enteredPassword->setText("secret");
    form->selectedTask->setExclusive(false);
    form->selectedTask->checkedButton()->setChecked(false);
    EXPECT_EQ(press(), "Shutdown/Restart/Sleep NOT started|check the entered password");
    EXPECT_TRUE(sudoCalls().empty());
}

TEST_F(Scheduling, AnotherWaitingTaskIsNotClaimedAsOurs) {
    const auto other = startTaskDirectly(30, "-r");
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
    form->enteredPassword->setText("secret");
    EXPECT_EQ(press(), "Another task is already scheduled|Use 'End Task' button to cancel it");
    // The helper refused the second task; the form now stands for the one that waits.
    EXPECT_EQ(probe(), other);
    EXPECT_EQ(form->scheduleTaskBtn->text(), "End Task");
    EXPECT_TRUE(form->inputsDisabled());
    EXPECT_EQ(form->msgField->text(), "Task already scheduled - Ending a task requires a password");
    EXPECT_EQ(form->selectedTask->checkedId(), 2);
    EXPECT_TRUE(form->scheduledTaskField->isVisible());
    EXPECT_TRUE(form->scheduledTaskField->text().startsWith("Restart at "));
}

TEST_F(Scheduling, PasswordsReachSudoByteForByteAndNowhereElse) {
    // A sudo that first looks through every process's arguments and environment for the password.
    const auto hits = dir / "hits";
    const auto spy = dir / "spy-sudo";
    const auto needle = dir / "needle";
    std::ofstream(spy)
        << "#!/bin/bash\n"
           "for p in /proc/[0-9]*; do\n"
           "  if grep -qaF -f \"$NEEDLE\" \"$p/cmdline\" \"$p/environ\" 2>/dev/null; then\n"
           "    echo \"$p\" >> \"$HITS\"\n"
           "  fi\n"
           "done\n"
           "exec \"$REAL_SUDO\" \"$@\"\n";
    std::filesystem::permissions(spy, std::filesystem::perms::owner_all);
    environment.commands.sudo =
        sudoPrefix(spy.string(), "NEEDLE=" + zarn::shellQuote(needle.string()) +
                                     " HITS=" + zarn::shellQuote(hits.string()) + " REAL_SUDO=" +
                                     zarn::shellQuote(zarn::test::supportDir() + "/fake-sudo"));
    AppDelegate spied(environment);
    const Form spiedForm(spied);
    spied.applicationDidFinishLaunching();

    const auto marker = dir / "marker";
    const std::string m = marker.string();
    const std::string passwords[] = {
        "two  blanks  ",     "quotes ' and \"",  "semi;colon",
        "pipe | touch " + m, "amp & touch " + m, "$(touch " + m + ")",
        "back\\slash",       "-n lead",          "Grüße-пароль",
    };
    for (const std::string& password : passwords) {
        std::filesystem::remove(sudoLog);
        setPassword(password);
        std::ofstream(needle, std::ios::binary) << password;
        spiedForm.beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
        spiedForm.enteredPassword->setText(QString::fromStdString(password));
        spiedForm.scheduleTaskBtn->click();
        zarn::test::dismissSheets(spiedForm.window);

        const auto calls = sudoCalls();
        ASSERT_EQ(calls.size(), 1u) << password;
        EXPECT_EQ(calls[0].line, password);
        const auto pid = probe();
        EXPECT_NE(pid, 0) << password;
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        waitGone(pid);
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_FALSE(std::filesystem::exists(hits));
}

TEST_F(Scheduling, AnotherUsersProcessUnderTheHelpersNameIsNoTask) {
    const std::vector<std::string> asNobody = zarn::test::asNobody();
    if (::geteuid() != 0 || asNobody.empty()) {
        GTEST_SKIP() << "needs root and setpriv or runuser to run a process as nobody";
    }
    // The helper itself, waiting for a task of nobody's: the same program, another owner.
    std::filesystem::permissions(dir, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    std::string command;
    for (const std::string& word : asNobody) {
        command += zarn::shellQuote(word) + " ";
    }
    const auto printed = zarn::readCommandOutput(zarn::runShellCommand(
        command + zarn::shellQuote(helper.string()) + " -h " +
        zarn::task::stampFromInstant(std::chrono::system_clock::now() + std::chrono::hours(1))));
    const auto open = printed.value_or("").find("[pid ");
    ASSERT_NE(open, std::string::npos) << printed.value_or("");
    const pid_t stranger = static_cast<pid_t>(std::stol(printed->substr(open + 5)));

    EXPECT_EQ(probe(), 0);
    AppDelegate fresh(environment);
    const Form freshForm(fresh);
    fresh.applicationDidFinishLaunching();
    EXPECT_TRUE(sheetsOn(freshForm.window).isEmpty());
    EXPECT_EQ(freshForm.scheduleTaskBtn->text(), "Schedule Task");
    freshForm.beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
    freshForm.enteredPassword->setText("wrong");
    freshForm.scheduleTaskBtn->click();
    EXPECT_EQ(textOf(sheetsOn(freshForm.window).value(0)),
              "Shutdown/Restart/Sleep NOT started|check the entered password");
    zarn::test::dismissSheets(freshForm.window);
    EXPECT_TRUE(isRunning(stranger));
    ::kill(stranger, SIGKILL);
    waitGone(stranger);
}

class EndTask : public SchedulingFixture {};

// A form started with a task waiting, its "Task already scheduled - " sheet answered.
struct Launched {
    explicit Launched(const zarn::Environment& environment)
        : delegate(environment), form(delegate) {
        delegate.applicationDidFinishLaunching();
        zarn::test::dismissSheets(form.window);
    }
    AppDelegate delegate;
    Form form;
};

TEST_F(EndTask, CancelsWithTheRightPasswordOnly) {
    const auto pid = startTaskDirectly();
    const Launched app(environment);
    const Form& form = app.form;
    ASSERT_EQ(form.scheduleTaskBtn->text(), "End Task");

    form.enteredPassword->setText("wrong");
    form.scheduleTaskBtn->click();
    ASSERT_EQ(sheetsOn(form.window).size(), 1);
    EXPECT_EQ(textOf(sheetsOn(form.window)[0]), "Task NOT cancelled|check the entered password");
    zarn::test::dismissSheets(form.window);
    EXPECT_EQ(form.scheduleTaskBtn->text(), "End Task");
    EXPECT_TRUE(form.inputsDisabled());

    form.enteredPassword->setText("secret");
    form.scheduleTaskBtn->click();
    ASSERT_EQ(sheetsOn(form.window).size(), 1);
    EXPECT_EQ(textOf(sheetsOn(form.window)[0]),
              "The Task was cancelled|Scheduling is now available");
    zarn::test::dismissSheets(form.window);
    const auto calls = sudoCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"-S", "-k", "-p", "", helper.string(), "-c",
                                                       std::to_string(pid)}));
    EXPECT_EQ(calls[1].line, "secret");
    EXPECT_EQ(form.msgField->text(), "");
    EXPECT_EQ(form.scheduleTaskBtn->text(), "Schedule Task");
    EXPECT_TRUE(form.inputsEnabled());
    EXPECT_EQ(form.enteredPassword->text(), "secret");
    EXPECT_EQ(probe(), 0);
    EXPECT_EQ(actions(), "");
}

TEST_F(EndTask, ASecondTaskIsRefusedSoOnePressEndsTheOnlyOne) {
    const auto first = startTaskDirectly(30);
    EXPECT_EQ(startTask(std::chrono::system_clock::now() + 40min),
              "zarn-shutdown: a task is already scheduled (pid " + std::to_string(first) + ")\n");
    const Launched app(environment);
    const Form& form = app.form;
    form.enteredPassword->setText("secret");
    form.scheduleTaskBtn->click();
    EXPECT_EQ(textOf(sheetsOn(form.window).value(0)),
              "The Task was cancelled|Scheduling is now available");
    zarn::test::dismissSheets(form.window);
    const auto calls = sudoCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args.back(), std::to_string(first));
}

TEST_F(EndTask, ShowsTheWaitingTaskUntilItIsCancelled) {
    const zarn::Date when = std::chrono::system_clock::now() + std::chrono::hours(48);
    const zarn::Date deadline = std::chrono::floor<std::chrono::minutes>(when);
    startTask(when, "-r");
    const Launched app(environment);
    const Form& form = app.form;

    const QLabel* line = form.scheduledTaskField;
    ASSERT_TRUE(line->isVisible());
    EXPECT_TRUE(line->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    EXPECT_FALSE(line->accessibleDescription().isEmpty());
    const QString prefix = "Restart at " + zarn::confirmationDate(deadline) + " — in ";
    ASSERT_TRUE(line->text().startsWith(prefix)) << line->text().toStdString();
    const QStringList left = line->text().mid(prefix.size()).split(' ');
    ASSERT_EQ(left.size(), 4) << line->text().toStdString();
    const auto truth = std::chrono::duration_cast<std::chrono::minutes>(
        deadline - std::chrono::system_clock::now());
    EXPECT_LE(std::abs(left[0].toInt() * 60 + left[2].toInt() - truth.count()), 1)
        << line->text().toStdString();
    EXPECT_EQ(form.beginDate->dateTime().toMSecsSinceEpoch(),
              std::chrono::floor<std::chrono::milliseconds>(deadline.time_since_epoch()).count());
    EXPECT_EQ(form.selectedTask->checkedId(), 2);
    EXPECT_FALSE(form.beginDate->isEnabled());

    form.enteredPassword->setText("secret");
    form.scheduleTaskBtn->click();
    EXPECT_EQ(textOf(sheetsOn(form.window).value(0)),
              "The Task was cancelled|Scheduling is now available");
    zarn::test::dismissSheets(form.window);
    EXPECT_FALSE(line->isVisible());
    EXPECT_EQ(line->text(), "");
}

TEST(ScheduledTaskLine, CountsWholeMinutesLeftRoundedUpAndNeverBelowNow) {
    const icu::Locale old = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    zarn::dates::DateFormatter parser = zarn::dates::DateFormatter::posix();
    parser.setDateFormat("yyyy-MM-dd HH:mm");
    const zarn::task::ScheduledTask task{zarn::task::Action::Reboot, "2612102302",
                                         parser.dateFromString("2026-12-10 23:02").value()};
    using std::chrono::seconds;
    const struct {
        seconds before;
        const char* text;
    } cases[] = {
        {seconds(22 * 3600 + 58 * 60), "Restart at Dec 10, 2026, 11:02 PM — in 22 h 58 min"},
        {seconds(3599), "Restart at Dec 10, 2026, 11:02 PM — in 1 h 0 min"},
        {seconds(3540), "Restart at Dec 10, 2026, 11:02 PM — in 59 min"},
        {seconds(1), "Restart at Dec 10, 2026, 11:02 PM — in 1 min"},
        {seconds(0), "Restart at Dec 10, 2026, 11:02 PM — now"},
        {seconds(-600), "Restart at Dec 10, 2026, 11:02 PM — now"},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(AppDelegate::scheduledTaskText(task, task.deadline - entry.before),
                  QString::fromUtf8(entry.text));
    }
    for (const auto& [action, name] : {std::pair{zarn::task::Action::PowerOff, "Shut down at "},
                                       {zarn::task::Action::Suspend, "Sleep at "}}) {
        EXPECT_TRUE(
            AppDelegate::scheduledTaskText({action, task.stamp, task.deadline}, task.deadline)
                .startsWith(name));
    }
    icu::Locale::setDefault(old, status);
}

TEST_F(EndTask, ATaskGoneBeforeThePressIsReportedCancelledWithoutAKill) {
    const auto pid = startTaskDirectly();
    const Launched app(environment);
    const Form& form = app.form;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    waitGone(pid);

    form.scheduleTaskBtn->click();
    EXPECT_EQ(textOf(sheetsOn(form.window).value(0)),
              "The Task was cancelled|Scheduling is now available");
    zarn::test::dismissSheets(form.window);
    EXPECT_TRUE(sudoCalls().empty());

    // The form's state decides, not the title: with no task left, a press schedules.
    form.scheduleTaskBtn->setText("End Task");
    form.scheduleTaskBtn->click();
    EXPECT_EQ(textOf(sheetsOn(form.window).value(0)),
              "Shutdown/Restart/Sleep NOT started|check the entered password");
    zarn::test::dismissSheets(form.window);
    EXPECT_EQ(sudoCalls().size(), 1u);
}

TEST_F(EndTask, TheWholeCycleByWidgetEvents) {
    {
        AppDelegate delegate(environment);
        const Form form(delegate);
        QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);
        delegate.applicationDidFinishLaunching();
        form.minutesPopup->setCurrentIndex(45);
        Q_EMIT form.minutesPopup->activated(45);
        QTest::keyClicks(form.enteredPassword, "secret");
        QTest::keyClick(form.enteredPassword, Qt::Key_Return);
        ASSERT_EQ(sheetsOn(form.window).size(), 1);
        EXPECT_TRUE(sheetsOn(form.window)[0]->text().startsWith("Scheduling is complete"));
        QTest::mouseClick(sheetsOn(form.window)[0]->buttons().first(), Qt::LeftButton);
        EXPECT_EQ(terminate.count(), 1);
    }
    AppDelegate next(environment);
    const Form form(next);
    next.applicationDidFinishLaunching();
    ASSERT_EQ(sheetsOn(form.window).size(), 1);
    EXPECT_EQ(sheetsOn(form.window)[0]->text(), "Task already scheduled - ");
    QTest::keyClick(sheetsOn(form.window)[0], Qt::Key_Return);
    QTest::qWait(10);
    QTest::keyClicks(form.enteredPassword, "secret");
    QTest::mouseClick(form.scheduleTaskBtn, Qt::LeftButton);
    ASSERT_EQ(sheetsOn(form.window).size(), 1);
    EXPECT_EQ(sheetsOn(form.window)[0]->text(), "The Task was cancelled");
    zarn::test::dismissSheets(form.window);
    EXPECT_EQ(form.scheduleTaskBtn->text(), "Schedule Task");
    EXPECT_TRUE(form.inputsEnabled());
    EXPECT_EQ(probe(), 0);
}

// The words of a shell command line that runs `command` as nobody.
std::string asNobodyCommand(const std::vector<std::string>& prefix, const std::string& command) {
    std::string line;
    for (const std::string& word : prefix) {
        line += zarn::shellQuote(word) + " ";
    }
    return line + command;
}

TEST_F(Scheduling, ASetuidRootImpostorUnderTheHelpersNameIsNoTaskAndAWrongPasswordIsNotStarted) {
    const std::vector<std::string> asNobody = zarn::test::asNobody();
    if (::geteuid() != 0 || asNobody.empty()) {
        GTEST_SKIP() << "needs root and setpriv or runuser to run a process as nobody";
    }
    // A root process of the helper's name that another user started: a setuid-root program
    // run through a file of that name.
    std::filesystem::permissions(dir, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const auto elsewhere = dir / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::copy_file("/bin/sleep", elsewhere / helperName);
    std::filesystem::permissions(elsewhere / helperName, std::filesystem::perms(04755));
    const auto printed = zarn::readCommandOutput(zarn::runShellCommand(asNobodyCommand(
        asNobody, zarn::shellQuote((elsewhere / helperName).string()) + " 60 >/dev/null 2>&1 & "
                                                                        "echo $!")));
    const pid_t impostor = static_cast<pid_t>(std::stol(printed.value_or("0")));
    ASSERT_GT(impostor, 0);
    const auto end = [impostor] {
        ::kill(impostor, SIGKILL);
        waitGone(impostor);
    };
    const auto status = [impostor] {
        std::ifstream in("/proc/" + std::to_string(impostor) + "/status");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    for (int i = 0; i < 200 && status().find("Name:\t" + helperName) == std::string::npos; ++i) {
        ::usleep(10000);
    }
    if (status().find("\nUid:\t65534\t0\t") == std::string::npos) {
        end();
        GTEST_SKIP() << "the temporary folder does not honour setuid";
    }

    EXPECT_EQ(zarn::readCommandOutput(
                  zarn::runShellCommand(asNobodyCommand(asNobody, environment.commands.probe))),
              "");
    EXPECT_EQ(probe(), 0);
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
    form->enteredPassword->setText("wrong");
    EXPECT_EQ(press(), "Shutdown/Restart/Sleep NOT started|check the entered password");
    EXPECT_TRUE(isRunning(impostor));
    end();
}

TEST_F(Scheduling, ATaskWhoseRecordCannotBeWrittenIsNotStartedAndLeavesNothingRunning) {
    // A folder in the record's place: the rename onto it fails, whoever runs the helper.
    std::filesystem::create_directories(std::filesystem::temp_directory_path() / helperName /
                                        "task");
    form->beginDate->setDateTime(QDateTime::currentDateTime().addSecs(3600));
    form->enteredPassword->setText("secret");
    EXPECT_EQ(press(), "Shutdown/Restart/Sleep NOT started|check the entered password");
    EXPECT_EQ(sudoCalls().size(), 1u);
    // Ended processes of earlier tests may stay as zombies where nothing reaps orphans.
    std::istringstream named(
        zarn::readCommandOutput(zarn::runShellCommand("pgrep -x " + helperName)).value_or(""));
    for (std::int64_t pid = 0; named >> pid;) {
        EXPECT_FALSE(isRunning(pid)) << pid;
    }
}

TEST_F(EndTask, TheLineNamesTheTrueInstantAfterATimeZoneChange) {
    zarn::Date deadline;
    {
        const ScopedZone tokyo("Asia/Tokyo");
        const zarn::Date when = std::chrono::system_clock::now() + std::chrono::hours(3);
        deadline = std::chrono::floor<std::chrono::minutes>(when);
        const auto printed = zarn::readCommandOutput(zarn::runShellCommand(
            zarn::shellQuote(helper.string()) + " -r " + zarn::task::stampFromInstant(when)));
        ASSERT_NE(printed.value_or("").find("[pid "), std::string::npos);
    }
    const ScopedZone newYork("America/New_York");
    const Launched app(environment);
    const QString text = app.form.scheduledTaskField->text();
    const QString prefix = "Restart at " + zarn::confirmationDate(deadline) + " — in ";
    ASSERT_TRUE(text.startsWith(prefix)) << text.toStdString();
    const QStringList left = text.mid(prefix.size()).split(' ');
    ASSERT_EQ(left.size(), 4) << text.toStdString();
    const auto truth = std::chrono::duration_cast<std::chrono::minutes>(
        deadline - std::chrono::system_clock::now());
    EXPECT_LE(std::abs(left[0].toInt() * 60 + left[2].toInt() - truth.count()), 1)
        << text.toStdString();
}

} // namespace
