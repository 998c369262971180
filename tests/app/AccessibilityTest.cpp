#include "AppTestSupport.h"

namespace {

using zarn::AppDelegate;
using zarn::test::Form;

zarn::Environment idleEnvironment() {
    zarn::Environment environment;
    environment.commands.probe = "true";
    environment.commands.taskFolder.reset();
    environment.commands.sudo = "false";
    environment.osVersion = [] { return zarn::OsVersion{14, 2}; };
    return environment;
}

TEST(Accessibility, EveryControlHasANameAndEveryLabelABuddy) {
    AppDelegate delegate(idleEnvironment());
    const Form form(delegate);
    const QList<QWidget*> controls{form.beginDate, form.hoursPopup, form.minutesPopup,
                                   form.enteredPassword};
    for (QWidget* control : controls) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    // Their texts are their names; the descriptions say what they are.
    for (QWidget* shown : QList<QWidget*>{form.scheduleTaskBtn, form.msgField}) {
        EXPECT_FALSE(shown->accessibleDescription().isEmpty()) << shown->objectName().toStdString();
    }
    for (auto* button : form.selectedTask->buttons()) {
        EXPECT_FALSE(button->accessibleName().isEmpty());
        EXPECT_TRUE(button->text().contains('&')) << button->text().toStdString();
    }
    for (const char* name : {"beginDateLabel", "offsetLabel", "passwordLabel"}) {
        const auto* label = form.window->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_NE(label->buddy(), nullptr) << name;
        EXPECT_TRUE(label->text().contains('&')) << name;
    }
}

TEST(Accessibility, TabWalksTheFormTopToBottomAndReturnInThePasswordActs) {
    AppDelegate delegate(idleEnvironment());
    const Form form(delegate);
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.window));

    // Tab first walks the sections of the date and time, then leaves the picker.
    form.beginDate->setFocus();
    for (int i = 0; i < 10 && QApplication::focusWidget() == form.beginDate; ++i) {
        QTest::keyClick(form.beginDate, Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), form.hoursPopup);
    const QList<QWidget*> order{form.minutesPopup, form.selectedTask->checkedButton(),
                                form.enteredPassword, form.scheduleTaskBtn};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }

    // A date in the past makes the pressed button answer with the input-error sheet.
    form.beginDate->setDateTime(QDateTime::currentDateTime().addSecs(-60));
    form.enteredPassword->setFocus();
    QTest::keyClick(form.enteredPassword, Qt::Key_Return);
    const auto sheets = zarn::test::sheetsOn(form.window);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0]->text(), "Date/Time Input Error");
    zarn::test::dismissSheets(form.window);
}

} // namespace
