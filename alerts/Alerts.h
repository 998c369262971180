#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class QMessageBox;
class QPushButton;
class QWidget;

namespace zarn {

/// Code of the first button of an alert; each later button returns one more.
inline constexpr qint64 FirstButtonCode = 1000;

/// A message box with a title (message text), an explanation (informative text), a style (0
/// warning, 1 informational, 2 critical) and buttons numbered 1000, 1001, ... in the order added.
/// Texts are shown as plain text, never interpreted as markup.
class Alert {
public:
    Alert();
    ~Alert();
    Alert(const Alert&) = delete;
    Alert& operator=(const Alert&) = delete;

    void setMessageText(const QString& text);
    void setInformativeText(const QString& text);
    /// 0 warning, 1 informational, 2 critical; other values show no icon.
    void setAlertStyle(int style);
    /// Appends a button; its code is 1000 plus the number of buttons added before it.
    QPushButton* addButtonWithTitle(const QString& title);
    /// The button that Return presses.
    void setDefaultButton(QPushButton* button);
    /// The button that Escape presses.
    void setEscapeButton(QPushButton* button);

    QString messageText() const;
    QString informativeText() const;
    const std::vector<QPushButton*>& buttons() const { return buttons_; }
    /// The box itself, for tests; null once a sheet has ended.
    QMessageBox* messageBox() const;

    /// Shows `alert` as a window-modal sheet on `window` (application-modal when null) and returns
    /// at once. When a button ends the sheet, `completion` runs once with its code, then the alert
    /// is freed. If the window goes away first, the alert is freed and `completion` never runs.
    static void beginSheetModalForWindow(std::unique_ptr<Alert> alert, QWidget* window,
                                         std::function<void(qint64)> completion);
    /// Shows the alert application-modal, blocks until a button is pressed, returns its code.
    qint64 runModal();

private:
    qint64 codeOfClickedButton() const;

    QPointer<QMessageBox> box_;
    std::vector<QPushButton*> buttons_;
};

/// A warning alert, not yet shown, with the message text `titleString`, the informative text
/// `errorString` and a button for each non-empty title: the first answers Return, the second
/// Escape. With only the second title, that button is the only one and returns 1000.
std::unique_ptr<Alert> copySheetAlertWithErrorString(const QString& errorString,
                                                     const QString& titleString,
                                                     const QString& firstBtnTitle,
                                                     const QString& secondBtnTitle);

/// The window that the application's sheets go on: the active window, else the first visible
/// main window; null when there is none.
QWidget* mainWindow();

/// Builds the alert with copySheetAlertWithErrorString (note the order: title first) and shows it
/// as a sheet on mainWindow(); returns at once. The alert is freed when the sheet has ended.
void showSheetOnMainWindow(const QString& title, const QString& text, const QString& firstBtnTitle,
                           const QString& secondBtnTitle);

/// Shows an application-modal alert with a button for each non-empty title, waits for the user and
/// returns the pressed button's code; Escape presses the last button. The alert is freed before
/// this returns.
qint64 showModalAlert(int style, const QString& messageText, const QString& informativeText,
                      const QString& firstBtnTitle, const QString& secondBtnTitle = {});

} // namespace zarn
