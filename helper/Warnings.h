#pragma once

#include "helper/Request.h"
#include "helper/Task.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace zarn::helper {

/// How long before the deadline the waiting process warns: an hour (only for a task scheduled
/// longer ahead than that), five minutes and one minute.
inline constexpr std::chrono::seconds defaultWarningOffsets[] = {
    std::chrono::seconds(3600), std::chrono::seconds(300), std::chrono::seconds(60)};

/// The instants `deadline - offset` that lie strictly after `now`, earliest first, each once.
/// Offsets of zero or less are ignored, so nothing is ever due at or after the deadline.
std::vector<Instant> warningInstants(Instant now, Instant deadline,
                                     std::span<const std::chrono::seconds> offsets);

/// Whole seconds separated by commas and/or blanks ("300,60", "3"). Nothing when any item is
/// not a positive decimal number of at most six digits; an empty or blank text gives no offsets.
std::optional<std::vector<std::chrono::seconds>> parseWarningOffsets(std::string_view text);

/// The user who is warned: the real user behind sudo.
struct Recipient {
    uid_t uid;
    gid_t gid;
};

/// The user named by the texts of SUDO_UID and SUDO_GID (either may be null). Nothing unless both
/// are plain decimal ids that fit their types, are not the "no id" value -1, and the uid is not
/// root: root behind sudo has no desktop session of its own to warn.
std::optional<Recipient> recipientFrom(const char* uidText, const char* gidText);

/// "unix:path=/run/user/<uid>/bus", the session bus of a logged-in user.
std::string userBusAddress(uid_t uid);

/// The texts of one desktop notification, in the language of the helper's messages.
struct Notification {
    std::string icon;    ///< a name from the standard icon theme
    std::string summary; ///< "This computer will shut down at 15:30"
    std::string body;
    /// The buttons: key ("cancel", "postpone") and label, in that order.
    std::vector<std::pair<std::string, std::string>> actions;
    /// The body instead, where the server cannot show the buttons; empty: the same body.
    std::string bodyWithoutActions;
};

/// The keys of the two actions a warning can offer.
inline constexpr std::string_view cancelActionKey = "cancel";
inline constexpr std::string_view postponeActionKey = "postpone";

/// The warning that `action` is taken at `deadline`, whose local time is given as HH:MM, with the
/// buttons and the hint that `offer` calls for.
Notification warningFor(Action action, Instant deadline, Offer offer = Offer::Nothing);

/// The notice of a task skipped, cancelled or postponed (to `deadline`), without buttons.
Notification noticeFor(Notice notice, Action action, Instant deadline);

} // namespace zarn::helper
