#include "AppTestSupport.h"

#include <QSignalSpy>

namespace {

using zarn::AppDelegate;
using zarn::Environment;
using zarn::test::Form;
using zarn::test::sheetsOn;
using zarn::test::textOf;

Environment environmentWithProbe(const std::string& probe) {
    Environment environment;
    environment.commands.probe = probe;
    environment.commands.taskFolder.reset();
    environment.osVersion = [] { return zarn::OsVersion{14, 2}; };
    return environment;
}

TEST(Startup, FindsAWaitingTaskAndEntersTheTaskScheduledState) {
    // A pid that names no process, and one whose command line is no task line (this test's own):
    // the state is the same, and no task is shown.
    for (const long pid : {4242L, static_cast<long>(::getpid())}) {
        SCOPED_TRACE(pid);
        AppDelegate delegate(
            environmentWithProbe("printf '  " + std::to_string(pid) + " zarn-shutdown\\n'"));
        const Form form(delegate);
        delegate.applicationDidFinishLaunching();

        EXPECT_TRUE(form.window->isVisible());
        const auto sheets = sheetsOn(form.window);
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_EQ(textOf(sheets[0]),
                  "Task already scheduled - |Use 'End Task' button to cancel it");
        EXPECT_TRUE(form.inputsDisabled());
        EXPECT_TRUE(form.enteredPassword->isEnabled());
        EXPECT_EQ(form.scheduleTaskBtn->text(), "End Task");
        EXPECT_EQ(form.msgField->text(),
                  "Task already scheduled - Ending a task requires a password");
        EXPECT_FALSE(form.scheduledTaskField->isVisible());
        zarn::test::dismissSheets(form.window);
    }
}

TEST(Startup, WithoutATaskTheFormIsIdleAtNow) {
    AppDelegate delegate(environmentWithProbe("true"));
    const Form form(delegate);
    delegate.applicationDidFinishLaunching();

    EXPECT_TRUE(form.window->isVisible());
    EXPECT_TRUE(sheetsOn(form.window).isEmpty());
    EXPECT_TRUE(form.inputsEnabled());
    EXPECT_EQ(form.scheduleTaskBtn->text(), "Schedule Task");
    EXPECT_EQ(form.msgField->text(), "");
    EXPECT_LE(std::abs(form.beginDate->dateTime().msecsTo(QDateTime::currentDateTime())), 1000);
    EXPECT_EQ(form.hoursPopup->count(), 24);
    EXPECT_EQ(form.minutesPopup->count(), 60);
    EXPECT_EQ(form.minutesPopup->itemText(59), "59");
    EXPECT_EQ(form.selectedTask->checkedId(), 1);
}

TEST(Startup, RefusesMacOS108AndPassesLaterSystems) {
    {
        Environment environment = environmentWithProbe("printf '  4242 shutdown\\n'");
        environment.osVersion = [] { return zarn::OsVersion{10, 8}; };
        AppDelegate delegate(environment);
        QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(terminate.count(), 1);
        EXPECT_FALSE(delegate.window()->isVisible());
        QMessageBox* refusal = nullptr;
        for (auto* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                refusal = box;
            }
        }
        ASSERT_NE(refusal, nullptr);
        EXPECT_EQ(textOf(refusal),
                  "Zarn will now quit|Sorry, Zarn requires Mac OS X Version 10.9 or higher.");
        refusal->buttons().first()->click();
        QTest::qWait(10);
    }
    for (const auto& [major, minor] :
         {std::pair{10, 9}, {10, 15}, {11, 0}, {14, 2}, {0, 0}, {10, 10}}) {
        Environment environment = environmentWithProbe("true");
        environment.osVersion = [major, minor] { return zarn::OsVersion{major, minor}; };
        AppDelegate delegate(environment);
        QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(terminate.count(), 0) << major << "." << minor;
        EXPECT_TRUE(delegate.window()->isVisible()) << major << "." << minor;
    }
}

TEST(Startup, ClosingTheMainWindowQuits) {
    AppDelegate delegate(environmentWithProbe("true"));
    QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);
    delegate.applicationDidFinishLaunching();
    delegate.window()->close();
    EXPECT_EQ(terminate.count(), 1);
}

TEST(SheetAlert, QuitsOnOkOnlyWhenAskedWhateverTheTitle) {
    using AfterOk = AppDelegate::AfterOk;
    struct Case {
        const char* title;
        AfterOk afterOk;
        bool quits;
    };
    const Case cases[] = {
        {"Scheduling is complete. Zarn will now quit", AfterOk::Quit, true},
        {"Die Planung ist abgeschlossen. Zarn wird jetzt beendet", AfterOk::Quit, true},
        {"", AfterOk::Quit, true},
        {"Scheduling is complete. Zarn will now quit", AfterOk::Stay, false},
        {"The Task was cancelled", AfterOk::Stay, false},
    };
    AppDelegate delegate(environmentWithProbe("true"));
    delegate.applicationDidFinishLaunching();
    for (const Case& c : cases) {
        QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);
        {
            // The sheet must keep its own copy of the title.
            QString title = QString::fromUtf8(c.title);
            delegate.doSheetAlert(delegate.window(), "explanation", title, c.afterOk);
            title.fill('x');
        }
        const auto sheets = sheetsOn(delegate.window());
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_EQ(sheets[0]->text(), QString::fromUtf8(c.title));
        ASSERT_EQ(sheets[0]->buttons().size(), 1);
        EXPECT_EQ(sheets[0]->buttons()[0]->text(), "OK");
        EXPECT_EQ(terminate.count(), 0) << "before OK: " << c.title;
        zarn::test::dismissSheets(delegate.window());
        EXPECT_EQ(terminate.count(), c.quits ? 1 : 0) << c.title;
    }
}

} // namespace
