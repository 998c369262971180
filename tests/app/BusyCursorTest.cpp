#include "SchedulingFixture.h"

#include <QElapsedTimer>

namespace {

using zarn::AppDelegate;
using zarn::test::Form;
using zarn::test::SchedulingFixture;
using zarn::test::sheetsOn;
using zarn::test::textOf;

constexpr int noCursor = -1;

int cursorShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr ? int(cursor->shape()) : noCursor;
}

// The override cursor at the moment each message box opens: sheets open inside the guarded
// commands, after the command and the probe have run.
class CursorAtAlerts : public QObject {
public:
    CursorAtAlerts() { qApp->installEventFilter(this); }
    ~CursorAtAlerts() override { qApp->removeEventFilter(this); }

    QList<int> shapes;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched) != nullptr) {
            shapes << cursorShape();
        }
        return false;
    }
};

// A form whose sudo takes a while before it checks the password.
class BusyWhileCommandsRun : public SchedulingFixture {
protected:
    void SetUp() override {
        SchedulingFixture::SetUp();
        const auto slow = dir / "slow-sudo";
        std::ofstream(slow) << "#!/bin/sh\nsleep 0.3\nexec \"$REAL_SUDO\" \"$@\"\n";
        std::filesystem::permissions(slow, std::filesystem::perms::owner_all);
        environment.commands.sudo =
            sudoPrefix(slow.string(),
                       "REAL_SUDO=" + zarn::shellQuote(zarn::test::supportDir() + "/fake-sudo"));
    }

    // Presses the button; the one sheet's text and the cursor when it opened.
    std::pair<QString, int> press(const Form& form, qint64 atLeastMs) {
        const CursorAtAlerts watcher;
        QElapsedTimer clock;
        clock.start();
        form.scheduleTaskBtn->click();
        EXPECT_GE(clock.elapsed(), atLeastMs);
        // Restored as soon as the command returns, with the sheet still up.
        EXPECT_EQ(cursorShape(), noCursor);
        const auto sheets = sheetsOn(form.window);
        EXPECT_EQ(sheets.size(), 1);
        const QString text = sheets.isEmpty() ? QString() : textOf(sheets.last());
        zarn::test::dismissSheets(form.window);
        return {text, watcher.shapes.value(0, noCursor)};
    }
};

TEST_F(BusyWhileCommandsRun, ScheduleShowsTheBusyCursorOnSuccessAndFailure) {
    AppDelegate delegate(environment);
    const Form form(delegate);
    delegate.applicationDidFinishLaunching();
    const struct {
        const char* name;
        int offsetSecs;
        const char* password;
        const char* sheet;
        int cursor;
        qint64 atLeastMs; // the slow sudo ran
    } cases[] = {
        // The date check comes first and runs nothing: no busy cursor for its sheet.
        {"past date", -60, "secret", "Date/Time Input Error|", noCursor, 0},
        {"wrong password", 3600, "wrong", "Shutdown/Restart/Sleep NOT started|", Qt::WaitCursor,
         300},
        {"right password", 3600, "secret", "Scheduling is complete. Zarn will now quit|",
         Qt::WaitCursor, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.beginDate->setDateTime(QDateTime::currentDateTime().addSecs(c.offsetSecs));
        form.enteredPassword->setText(c.password);
        const auto [text, cursor] = press(form, c.atLeastMs);
        EXPECT_TRUE(text.startsWith(c.sheet)) << text.toStdString();
        EXPECT_EQ(cursor, c.cursor);
    }
    EXPECT_NE(probe(), 0);
}

TEST_F(BusyWhileCommandsRun, StartUpProbeAndCancelShowTheBusyCursor) {
    startTaskDirectly();
    std::optional<CursorAtAlerts> launching(std::in_place);
    AppDelegate delegate(environment);
    const Form form(delegate);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(launching->shapes, QList<int>{Qt::WaitCursor});
    EXPECT_EQ(cursorShape(), noCursor);
    launching.reset();
    zarn::test::dismissSheets(form.window);

    form.enteredPassword->setText("secret");
    const auto [text, cursor] = press(form, 300);
    EXPECT_EQ(text, "The Task was cancelled|Scheduling is now available");
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(probe(), 0);
}

} // namespace
