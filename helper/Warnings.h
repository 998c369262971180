#pragma once

#include "helper/Request.h"
#include "sys/Fd.h"

#include <chrono>
#include <cstdint>
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
inline constexpr std::chrono::milliseconds defaultWarningOffsets[] = {
    std::chrono::hours(1), std::chrono::minutes(5), std::chrono::minutes(1)};

/// The instants `deadline - offset` that lie strictly after `now`, earliest first, each once.
/// Offsets of zero or less are ignored, so nothing is ever due at or after the deadline.
std::vector<Instant> warningInstants(Instant now, Instant deadline,
                                     std::span<const std::chrono::milliseconds> offsets);

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

/// What a warning offers: never to bring the task forward, only to drop or delay it.
enum class Offer { Nothing, Cancel, CancelOrPostpone };

/// A button of a warning, as the user pressed it.
enum class Choice { Cancel, Postpone };

/// The action key of `choice` in a notification: "cancel" or "postpone".
std::string_view choiceKey(Choice choice);
/// The choice whose key is `key` when `offer` has that button; nothing for any other key.
std::optional<Choice> offeredChoice(Offer offer, std::string_view key);

/// Where a warning on screen delivers the user's choices: a pipe from the process `pid` (0: none)
/// that listens for them, one byte per choice. Move-only; closes the pipe and kills and reaps the
/// process when it goes.
class ChoiceSource {
public:
    ChoiceSource() = default;
    ChoiceSource(sys::Fd fd, pid_t pid) : fd_(std::move(fd)), pid_(pid) {}
    ChoiceSource(ChoiceSource&& other) noexcept
        : fd_(std::move(other.fd_)), pid_(std::exchange(other.pid_, 0)) {}
    ChoiceSource& operator=(ChoiceSource&& other) noexcept;
    ChoiceSource(const ChoiceSource&) = delete;
    ChoiceSource& operator=(const ChoiceSource&) = delete;
    ~ChoiceSource() { end(); }

    /// -1 when there is nothing to listen to.
    int fd() const { return fd_.get(); }
    /// After fd() became readable: the next choice, else nothing, and then the source has ended.
    std::optional<Choice> next();

    /// Writes `choice` to the pipe `fd` as next() reads it.
    static sys::Result<> send(int fd, Choice choice);

private:
    void end();
    sys::Fd fd_;
    pid_t pid_ = 0;
};

/// What the user is told besides the warnings.
enum class Notice { Skipped, Cancelled, Postponed, NotPostponed };

/// The texts of one desktop notification, in the language of the helper's messages.
struct Notification {
    std::string icon;    ///< a name from the standard icon theme
    std::string summary; ///< "This computer will shut down at 15:30"
    std::string body;
    /// The buttons that `offer` calls for: key and label, Cancel first.
    Offer offer = Offer::Nothing;
    std::vector<std::pair<std::string, std::string>> actions;
    /// The body instead, where the server cannot show the buttons; empty: the same body.
    std::string bodyWithoutActions;
    /// 1, normal, for a notice, which goes when the server's own expiry ends; 2, critical, for a
    /// warning, which stays until it is dismissed or replaced.
    std::uint8_t urgency = 1;
};

/// The warning, critical, that `action` is taken at `deadline`, whose local time is given as HH:MM,
/// with the buttons and the hint that `offer` calls for.
Notification warningFor(Action action, Instant deadline, Offer offer = Offer::Nothing);

/// The notice of a task skipped, cancelled, postponed (to `deadline`) or not postponed (it stays
/// at `deadline`), of normal urgency, without buttons.
Notification noticeFor(Notice notice, Action action, Instant deadline);

} // namespace zarn::helper
