#include "app/AppDelegate.h"

#include "alerts/Alerts.h"
#include "ui_AboutPanel.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QTimer>

namespace zarn {

namespace {

constexpr int hourItems = 24;
constexpr int minuteItems = 60;

} // namespace

AppDelegate::AppDelegate(Environment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)),
      window_(std::make_unique<QMainWindow>()), ui_(std::make_unique<Ui::MainWindow>()),
      minuteTimer_(std::make_unique<QTimer>()) {
    ui_->setupUi(window_.get());

    // Item n of each pop-up stands for n hours or n minutes.
    for (int hours = 0; hours < hourItems; ++hours) {
        ui_->hoursPopup->addItem(QString::number(hours));
    }
    for (int minutes = 0; minutes < minuteItems; ++minutes) {
        ui_->minutesPopup->addItem(QString::number(minutes));
    }
    ui_->selectedTask->setId(ui_->shutDownRadio, 1);
    ui_->selectedTask->setId(ui_->restartRadio, 2);
    ui_->selectedTask->setId(ui_->sleepRadio, 3);
    setUpDatePicker();

    connect(ui_->scheduleTaskBtn, &QPushButton::clicked, this,
            [this] { scheduleTask(ui_->scheduleTaskBtn); });
    // Return in the password field presses the action button.
    connect(ui_->enteredPassword, &QLineEdit::returnPressed, ui_->scheduleTaskBtn,
            &QPushButton::click);
    connect(ui_->hoursPopup, &QComboBox::activated, this, &AppDelegate::setDateFromHoursMins);
    connect(ui_->minutesPopup, &QComboBox::activated, this, &AppDelegate::setDateFromHoursMins);

    minuteTimer_->setSingleShot(true);
    minuteTimer_->setTimerType(Qt::PreciseTimer);
    connect(minuteTimer_.get(), &QTimer::timeout, this, &AppDelegate::updateScheduledTaskLine);

    window_->installEventFilter(this);
    setUpAboutPanel();
    setUpMenus();
}

AppDelegate::~AppDelegate() = default;

QMainWindow* AppDelegate::window() const {
    return window_.get();
}

QWidget* AppDelegate::splashWindow() const {
    return splashWindow_.get();
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window quits the application.
    if (watched == window_.get() && event->type() == QEvent::Close) {
        Q_EMIT terminateRequested();
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::doSheetAlert(QWidget* window, const QString& errorString,
                               const QString& titleString, AfterOk afterOk) {
    auto alert = std::make_unique<Alert>();
    alert->addButtonWithTitle(tr("OK"));
    alert->setMessageText(titleString);
    alert->setInformativeText(errorString);
    alert->setAlertStyle(0);
    Alert::beginSheetModalForWindow(std::move(alert), window, [this, afterOk](qint64 code) {
        if (code == FirstButtonCode && afterOk == AfterOk::Quit) {
            Q_EMIT terminateRequested();
        }
    });
}

} // namespace zarn
