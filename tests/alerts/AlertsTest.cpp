#include "alerts/Alerts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using zarn::Alert;

QStringList titlesOf(const QList<QAbstractButton*>& buttons) {
    QStringList titles;
    for (const auto* button : buttons) {
        titles << button->text();
    }
    return titles;
}

QMessageBox* openBoxOn(QWidget* window) {
    const auto boxes = window->findChildren<QMessageBox*>();
    return boxes.isEmpty() ? nullptr : boxes.last();
}

// Presses the button titled `title` of the next application-modal alert, once it runs.
void pressInNextModalAlert(const QString& title, QStringList* seenTitles = nullptr,
                           QString* seenText = nullptr) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (seenTitles != nullptr) {
            *seenTitles = titlesOf(box->buttons());
        }
        if (seenText != nullptr) {
            *seenText = box->text() + "|" + box->informativeText();
        }
        for (auto* button : box->buttons()) {
            if (button->text() == title) {
                button->click();
                return;
            }
        }
        box->reject();
    });
    poll->start();
}

TEST(AlertBuilder, AddsAButtonForEachTitleWithReturnAndEscape) {
    {
        auto alert = zarn::copySheetAlertWithErrorString("why", "what", "OK", "");
        ASSERT_EQ(alert->buttons().size(), 1u);
        EXPECT_EQ(alert->buttons()[0]->text(), "OK");
        EXPECT_EQ(alert->messageBox()->defaultButton(), alert->buttons()[0]);
        EXPECT_EQ(alert->messageText(), "what");
        EXPECT_EQ(alert->informativeText(), "why");
        EXPECT_EQ(alert->messageBox()->icon(), QMessageBox::Warning);
    }
    {
        auto alert = zarn::copySheetAlertWithErrorString("why", "what", "", "Cancel");
        ASSERT_EQ(alert->buttons().size(), 1u);
        EXPECT_EQ(alert->buttons()[0]->text(), "Cancel");
        EXPECT_EQ(alert->messageBox()->escapeButton(), alert->buttons()[0]);
        EXPECT_NE(alert->messageBox()->defaultButton(), alert->buttons()[0]);
    }
    {
        auto alert = zarn::copySheetAlertWithErrorString("why", "what", "", "");
        EXPECT_TRUE(alert->buttons().empty());
    }
}

TEST(AlertSheet, ReportsTheButtonCodeOnceAndIsFreedOnlyAfterItEnded) {
    QMainWindow window;
    window.show();
    for (const auto& [press, expected] :
         {std::pair{Qt::Key_Return, 1000}, {Qt::Key_Escape, 1001}}) {
        auto alert = zarn::copySheetAlertWithErrorString("text", "title", "Go", "Stop");
        QPointer<QMessageBox> box = alert->messageBox();
        std::vector<qint64> codes;
        Alert::beginSheetModalForWindow(std::move(alert), &window,
                                        [&codes](qint64 code) { codes.push_back(code); });
        // The call returned with the sheet up, on the window, holding the window's input.
        QApplication::processEvents();
        ASSERT_FALSE(box.isNull());
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(codes.empty());

        QTest::keyClick(box.data(), press);
        EXPECT_EQ(codes, std::vector<qint64>{expected});
        QTest::qWait(20);
        EXPECT_TRUE(box.isNull());
        EXPECT_EQ(codes.size(), 1u);
    }
}

TEST(AlertSheet, IsFreedWhenItsWindowGoesAwayFirst) {
    auto window = std::make_unique<QMainWindow>();
    window->show();
    auto alert = zarn::copySheetAlertWithErrorString("text", "title", "OK", "");
    QPointer<QMessageBox> box = alert->messageBox();
    bool completed = false;
    Alert::beginSheetModalForWindow(std::move(alert), window.get(),
                                    [&](qint64) { completed = true; });
    window.reset();
    EXPECT_TRUE(box.isNull());
    EXPECT_FALSE(completed);
}

TEST(AlertSheet, ShowsOnTheMainWindowWithOneButton) {
    QMainWindow window;
    window.show();
    window.activateWindow();
    zarn::showSheetOnMainWindow("Unexpected Error", "The text", "OK", "");
    QPointer<QMessageBox> box = openBoxOn(&window);
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(box->text(), "Unexpected Error");
    EXPECT_EQ(box->informativeText(), "The text");
    EXPECT_EQ(titlesOf(box->buttons()), QStringList{"OK"});
    box->buttons().first()->click();
    QTest::qWait(20);
    EXPECT_TRUE(box.isNull());
}

TEST(ModalAlert, ReturnsThePressedButtonsCode) {
    QStringList titles;
    QString text;
    pressInNextModalAlert("OK", &titles, &text);
    EXPECT_EQ(zarn::showModalAlert(1, "Message", "Details", "OK"), 1000);
    EXPECT_EQ(titles, QStringList{"OK"});
    EXPECT_EQ(text, "Message|Details");

    pressInNextModalAlert("Go to web site", &titles);
    EXPECT_EQ(zarn::showModalAlert(1, "m", "i", "Go to web site", "Cancel"), 1000);
    EXPECT_EQ(titles, (QStringList{"Go to web site", "Cancel"}));
    pressInNextModalAlert("Cancel");
    EXPECT_EQ(zarn::showModalAlert(1, "m", "i", "Go to web site", "Cancel"), 1001);
}

TEST(ModalAlert, ShowsMarkupAsPlainText) {
    const QString html = "<!DOCTYPE html><b>bold</b>";
    bool plain = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        plain = box->textFormat() == Qt::PlainText;
        for (const auto* label : box->findChildren<QLabel*>()) {
            if (label->text() == html) {
                plain = plain && label->textFormat() == Qt::PlainText;
            }
        }
        box->buttons().first()->click();
    });
    zarn::showModalAlert(1, html, html, "OK");
    EXPECT_TRUE(plain);
}

} // namespace
