#include "helper/Warnings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <limits>

namespace zarn::helper {

namespace {

// The digits of a decimal number without sign or blanks; nothing for anything else.
template <typename Number> std::optional<Number> plainNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::vector<Instant> warningInstants(Instant now, Instant deadline,
                                     std::span<const std::chrono::seconds> offsets) {
    std::vector<Instant> instants;
    for (const std::chrono::seconds offset : offsets) {
        if (offset.count() <= 0) {
            continue;
        }
        const Instant at = deadline - offset;
        if (at > now) {
            instants.push_back(at);
        }
    }
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

std::optional<std::vector<std::chrono::seconds>> parseWarningOffsets(std::string_view text) {
    std::vector<std::chrono::seconds> offsets;
    constexpr std::string_view separators = ", \t";
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(separators, at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        const std::string_view item = text.substr(start, end - start);
        // Six digits are over eleven days, far beyond any warning, and keep deadline - offset
        // valid.
        const std::optional<long> seconds =
            item.size() <= 6 ? plainNumber<long>(item) : std::nullopt;
        if (!seconds || *seconds == 0) {
            return std::nullopt;
        }
        offsets.emplace_back(*seconds);
        at = end;
    }
    return offsets;
}

std::optional<Recipient> recipientFrom(const char* uidText, const char* gidText) {
    if (uidText == nullptr || gidText == nullptr) {
        return std::nullopt;
    }
    const std::optional<uid_t> uid = plainNumber<uid_t>(uidText);
    const std::optional<gid_t> gid = plainNumber<gid_t>(gidText);
    // (uid_t)-1 means "unchanged" to setuid and setreuid, so it can never be dropped to.
    if (!uid || !gid || *uid == 0 || *uid == std::numeric_limits<uid_t>::max() ||
        *gid == std::numeric_limits<gid_t>::max()) {
        return std::nullopt;
    }
    return Recipient{*uid, *gid};
}

std::string userBusAddress(uid_t uid) {
    return "unix:path=/run/user/" + std::to_string(uid) + "/bus";
}

Notification warningFor(Action action, Instant deadline) {
    Notification notification;
    std::string_view happens;
    switch (action) {
    case Action::PowerOff:
        notification.icon = "system-shutdown";
        happens = "will shut down";
        break;
    case Action::Reboot:
        notification.icon = "system-reboot";
        happens = "will restart";
        break;
    case Action::Suspend:
        notification.icon = "system-suspend";
        happens = "will go to sleep";
        break;
    }
    notification.summary =
        "This computer " + std::string(happens) + " at " + formatLocal(deadline, "%H:%M");
    notification.body = "Save your work, or open Zarn and press End Task to cancel.";
    return notification;
}

} // namespace zarn::helper
