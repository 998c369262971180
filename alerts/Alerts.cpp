#include "alerts/Alerts.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace zarn {

Alert::Alert() : box_(new QMessageBox) {
    // Texts come from callers and from the network (the version file): never render them as
    // markup.
    box_->setTextFormat(Qt::PlainText);
    box_->setIcon(QMessageBox::Warning);
}

Alert::~Alert() {
    delete box_.data();
}

void Alert::setMessageText(const QString& text) {
    box_->setText(text);
}

void Alert::setInformativeText(const QString& text) {
    box_->setInformativeText(text);
    // The informative label guesses its format on its own; pin it like the message text.
    if (auto* label = box_->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        label->setTextFormat(Qt::PlainText);
    }
}

void Alert::setAlertStyle(int style) {
    switch (style) {
    case 0:
        box_->setIcon(QMessageBox::Warning);
        break;
    case 1:
        box_->setIcon(QMessageBox::Information);
        break;
    case 2:
        box_->setIcon(QMessageBox::Critical);
        break;
    default:
        box_->setIcon(QMessageBox::NoIcon);
        break;
    }
}

QPushButton* Alert::addButtonWithTitle(const QString& title) {
    QPushButton* button = box_->addButton(title, QMessageBox::AcceptRole);
    buttons_.push_back(button);
    return button;
}

void Alert::setDefaultButton(QPushButton* button) {
    box_->setDefaultButton(button);
}

void Alert::setEscapeButton(QPushButton* button) {
    box_->setEscapeButton(button);
}

QMessageBox* Alert::messageBox() const {
    return box_.data();
}

QString Alert::messageText() const {
    return box_->text();
}

QString Alert::informativeText() const {
    return box_->informativeText();
}

qint64 Alert::codeOfClickedButton() const {
    const auto* clicked = box_->clickedButton();
    const auto found = std::find(buttons_.begin(), buttons_.end(), clicked);
    if (found != buttons_.end()) {
        return FirstButtonCode + (found - buttons_.begin());
    }
    // An alert given no button shows the toolkit's own OK, which counts as the first button.
    return buttons_.empty() && clicked != nullptr ? FirstButtonCode : 0;
}

void Alert::beginSheetModalForWindow(std::unique_ptr<Alert> alert, QWidget* window,
                                     std::function<void(qint64)> completion) {
    QMessageBox* box = alert->box_.data();
    if (window != nullptr) {
        box->setParent(window, box->windowFlags());
        box->setWindowModality(Qt::WindowModal);
    } else {
        box->setWindowModality(Qt::ApplicationModal);
    }
    Alert* owned = alert.release();

    auto windowGone = std::make_shared<QMetaObject::Connection>();
    *windowGone = QObject::connect(box, &QObject::destroyed, [owned] {
        owned->box_ = nullptr;
        delete owned;
    });
    QObject::connect(
        box, &QDialog::finished, box,
        [owned, windowGone, completion = std::move(completion)](int) {
            QObject::disconnect(*windowGone);
            const qint64 code = owned->codeOfClickedButton();
            completion(code);
            // The box is still inside its own signal: let the event loop delete it.
            QMessageBox* ended = owned->box_.data();
            owned->box_ = nullptr;
            ended->deleteLater();
            delete owned;
        },
        Qt::SingleShotConnection);
    box->open();
}

qint64 Alert::runModal() {
    box_->setWindowModality(Qt::ApplicationModal);
    box_->exec();
    return codeOfClickedButton();
}

std::unique_ptr<Alert> copySheetAlertWithErrorString(const QString& errorString,
                                                     const QString& titleString,
                                                     const QString& firstBtnTitle,
                                                     const QString& secondBtnTitle) {
    auto alert = std::make_unique<Alert>();
    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    if (!firstBtnTitle.isEmpty()) {
        first = alert->addButtonWithTitle(firstBtnTitle);
    }
    if (!secondBtnTitle.isEmpty()) {
        second = alert->addButtonWithTitle(secondBtnTitle);
    }
    if (first != nullptr) {
        alert->setDefaultButton(first);
    }
    if (second != nullptr) {
        alert->setEscapeButton(second);
        if (first == nullptr) {
            // Return must not press a lone Escape button.
            second->setAutoDefault(false);
        }
    }
    alert->setMessageText(titleString);
    alert->setInformativeText(errorString);
    alert->setAlertStyle(0);
    return alert;
}

QWidget* mainWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active->window();
    }
    const auto windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.begin(), windows.end(), [](QWidget* widget) {
        return widget->isVisible() && qobject_cast<QMainWindow*>(widget) != nullptr;
    });
    return found != windows.end() ? *found : nullptr;
}

void showSheetOnMainWindow(const QString& title, const QString& text, const QString& firstBtnTitle,
                           const QString& secondBtnTitle) {
    Alert::beginSheetModalForWindow(
        copySheetAlertWithErrorString(text, title, firstBtnTitle, secondBtnTitle), mainWindow(),
        [](qint64) {});
}

qint64 showModalAlert(int style, const QString& messageText, const QString& informativeText,
                      const QString& firstBtnTitle, const QString& secondBtnTitle) {
    Alert alert;
    if (!firstBtnTitle.isEmpty()) {
        alert.addButtonWithTitle(firstBtnTitle);
    }
    if (!secondBtnTitle.isEmpty()) {
        alert.addButtonWithTitle(secondBtnTitle);
    }
    // Escape answers as the last button: "Cancel" beside "Go to web site", or the only one.
    if (!alert.buttons().empty()) {
        alert.setEscapeButton(alert.buttons().back());
    }
    alert.setMessageText(messageText);
    alert.setInformativeText(informativeText);
    alert.setAlertStyle(style);
    return alert.runModal();
}

} // namespace zarn
