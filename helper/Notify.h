#pragma once

#include "helper/Task.h"
#include "helper/Warnings.h"

#include <chrono>
#include <optional>
#include <string>

namespace zarn::helper {

/// How long the notification service may take to answer one call.
inline constexpr std::chrono::seconds notifyCallTimeout{5};
/// How long the sending child may live in all.
inline constexpr std::chrono::seconds notifySendLimit{10};

/// How one send ended; `detail` is the notification id or the reason it failed, for the log.
struct SendResult {
    bool sent = false;
    std::string detail;
};

/// Sends `notification` (application "Zarn", urgency critical, no actions, the server's own
/// expiry) through org.freedesktop.Notifications on the bus at `busAddress`, from a child
/// process named "zarn-notify" that has first dropped every supplementary group and taken the
/// recipient's gid and uid (where the caller is not root it keeps its own groups and can only
/// take its own ids). The child is killed and reaped when it has not finished within `limit`
/// or as soon as `stopFd` (-1: none) becomes readable; the stop descriptor is not read.
SendResult sendNotificationAs(const Recipient& recipient, const std::string& busAddress,
                              const Notification& notification, std::chrono::milliseconds limit,
                              int stopFd);

/// A WarnFunction that sends the desktop warning to `recipient` on `busAddress` within at most
/// notifySendLimit and never past the deadline, and logs that it was sent, that it failed and why,
/// or that there is nobody to warn (no recipient).
WarnFunction desktopWarner(std::optional<Recipient> recipient, std::string busAddress,
                           LogFunction log);

} // namespace zarn::helper
