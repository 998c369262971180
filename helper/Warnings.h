#pragma once

#include "helper/Request.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zarn::helper {

/// How long before the deadline the waiting process warns: five minutes and one minute.
inline constexpr std::chrono::seconds defaultWarningOffsets[] = {std::chrono::seconds(300),
                                                                 std::chrono::seconds(60)};

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

/// The texts of one desktop warning.
struct Notification {
    std::string icon;    ///< a name from the standard icon theme
    std::string summary; ///< "This computer will shut down at 15:30"
    std::string body;
};

/// The warning that `action` is taken at `deadline`, whose local time is given as HH:MM.
Notification warningFor(Action action, Instant deadline);

} // namespace zarn::helper
