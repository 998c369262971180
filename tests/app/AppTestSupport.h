#pragma once

#include "app/AppDelegate.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zarn::test {

/// The controls of the form, found by their names as a user-facing test would.
struct Form {
    explicit Form(const AppDelegate& delegate)
        : window(delegate.window()),
          beginDate(window->findChild<QDateTimeEdit*>(QStringLiteral("beginDate"))),
          hoursPopup(window->findChild<QComboBox*>(QStringLiteral("hoursPopup"))),
          minutesPopup(window->findChild<QComboBox*>(QStringLiteral("minutesPopup"))),
          selectedTask(window->findChild<QButtonGroup*>(QStringLiteral("selectedTask"))),
          enteredPassword(window->findChild<QLineEdit*>(QStringLiteral("enteredPassword"))),
          scheduleTaskBtn(window->findChild<QPushButton*>(QStringLiteral("scheduleTaskBtn"))),
          msgField(window->findChild<QLabel*>(QStringLiteral("msgField"))),
          scheduledTaskField(window->findChild<QLabel*>(QStringLiteral("scheduledTaskField"))) {}

    bool inputsEnabled() const {
        bool enabled =
            beginDate->isEnabled() && hoursPopup->isEnabled() && minutesPopup->isEnabled();
        for (auto* button : selectedTask->buttons()) {
            enabled = enabled && button->isEnabled();
        }
        return enabled;
    }
    bool inputsDisabled() const {
        bool disabled =
            !beginDate->isEnabled() && !hoursPopup->isEnabled() && !minutesPopup->isEnabled();
        for (auto* button : selectedTask->buttons()) {
            disabled = disabled && !button->isEnabled();
        }
        return disabled;
    }

    QMainWindow* window;
    QDateTimeEdit* beginDate;
    QComboBox* hoursPopup;
    QComboBox* minutesPopup;
    QButtonGroup* selectedTask;
    QLineEdit* enteredPassword;
    QPushButton* scheduleTaskBtn;
    QLabel* msgField;
    QLabel* scheduledTaskField;
};

/// The sheets open on `window`, oldest first.
inline QList<QMessageBox*> sheetsOn(QWidget* window) {
    QList<QMessageBox*> open;
    for (auto* box : window->findChildren<QMessageBox*>()) {
        if (box->isVisible()) {
            open << box;
        }
    }
    return open;
}

/// Title and explanation of a sheet, "title|explanation".
inline QString textOf(const QMessageBox* box) {
    return box->text() + "|" + box->informativeText();
}

/// Presses OK on every open sheet of `window` and lets them go away.
inline void dismissSheets(QWidget* window) {
    for (auto* box : sheetsOn(window)) {
        QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
    }
    QTest::qWait(10);
}

} // namespace zarn::test
