#pragma once

#include "helper/Task.h"
#include "helper/Warnings.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zarn::helper {

/// How long the notification service may take to answer one call.
inline constexpr std::chrono::seconds notifyCallTimeout{5};
/// How long the bus may take to start a notification server installed for activation: seconds
/// where the desktop runs in software emulation.
inline constexpr std::chrono::seconds notifyStartTimeout{25};
/// How long the sending child may live in all: the start, the Notify call, and room for the rest.
inline constexpr std::chrono::seconds notifySendLimit =
    notifyStartTimeout + notifyCallTimeout + std::chrono::seconds(2);
/// The most of the sending child's report that is read and logged: the server's own texts (an
/// error's message) come back in it.
inline constexpr std::size_t notifyReportLimit = 256;

/// A notification on screen.
struct Sent {
    std::uint32_t id = 0;
    /// The user's choices; it ends at once where the server shows no buttons.
    ChoiceSource choices;
};

/// Sends `notification` (application "Zarn", its urgency, the server's own expiry, replacing the
/// notification `replaces` unless 0) through org.freedesktop.Notifications on the bus at
/// `busAddress`, from a child process named "zarn-notify" that has first dropped every
/// supplementary group and taken the recipient's gid and uid (where the caller is not root it
/// keeps its own groups and can only take its own ids). The child is killed and reaped when it
/// has not reported within `limit` or as soon as `stopFd` (-1: none) becomes readable; the stop
/// descriptor is not read. Buttons are offered only where the server lists the "actions"
/// capability; then the child stays, listening to the server's own connection alone, and passes
/// each offered button pressed on as a choice until the notification closes or the source is
/// dropped. Why it failed is one line of printable text, from at most notifyReportLimit bytes.
sys::Result<Sent> sendNotificationAs(const Recipient& recipient, const std::string& busAddress,
                                     const Notification& notification,
                                     std::chrono::milliseconds limit, int stopFd,
                                     std::uint32_t replaces = 0);

/// How the waiting process reaches its user's desktop: the warnings, and the notices.
struct DesktopNotifications {
    WarnFunction warn;
    NoticeFunction notify;
};

/// Warnings and notices for `recipient` on `busAddress`, each within at most notifySendLimit and
/// never past the deadline, each replacing the one before on screen. Logs that each was sent,
/// that it failed and why, or that there is nobody to tell (no recipient).
DesktopNotifications desktopNotifications(std::optional<Recipient> recipient,
                                          std::string busAddress, LogFunction log);

} // namespace zarn::helper
