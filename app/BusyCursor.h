#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace zarn {

/// Shows the busy cursor over every window of the application for as long as it lives, for work
/// that blocks the event loop (a command and its wait, a network read). Guards nest: each one
/// restores only its own cursor, on every way out of its scope. Does nothing without a
/// QGuiApplication. Processes no events, so the work stays as synchronous as it was.
class BusyCursor {
public:
    BusyCursor() : active_(qGuiApp != nullptr) {
        if (active_) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        }
    }
    ~BusyCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool active_;
};

} // namespace zarn
