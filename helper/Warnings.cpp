#include "helper/Warnings.h"

#include "helper/Messages.h"
#include "sys/Decimal.h"
#include "sys/Process.h"

#include <algorithm>
#include <limits>
#include <sstream>

namespace zarn::helper {

std::vector<Instant> warningInstants(Instant now, Instant deadline,
                                     std::span<const std::chrono::milliseconds> offsets) {
    std::vector<Instant> instants;
    for (const std::chrono::milliseconds offset : offsets) {
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
    std::string items(text);
    std::replace(items.begin(), items.end(), ',', ' ');
    std::istringstream words(items);
    std::vector<std::chrono::seconds> offsets;
    for (std::string item; words >> item;) {
        // Six digits are over eleven days, far beyond any warning, and keep deadline - offset
        // valid.
        const std::optional<long> seconds =
            item.size() <= 6 ? sys::parseDecimal<long>(item) : std::nullopt;
        if (!seconds || *seconds == 0) {
            return std::nullopt;
        }
        offsets.emplace_back(*seconds);
    }
    return offsets;
}

std::optional<Recipient> recipientFrom(const char* uidText, const char* gidText) {
    if (uidText == nullptr || gidText == nullptr) {
        return std::nullopt;
    }
    const std::optional<uid_t> uid = sys::parseDecimal<uid_t>(uidText);
    const std::optional<gid_t> gid = sys::parseDecimal<gid_t>(gidText);
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

std::string_view choiceKey(Choice choice) {
    return choice == Choice::Cancel ? "cancel" : "postpone";
}

std::optional<Choice> offeredChoice(Offer offer, std::string_view key) {
    if (offer != Offer::Nothing && key == choiceKey(Choice::Cancel)) {
        return Choice::Cancel;
    }
    if (offer == Offer::CancelOrPostpone && key == choiceKey(Choice::Postpone)) {
        return Choice::Postpone;
    }
    return std::nullopt;
}

ChoiceSource& ChoiceSource::operator=(ChoiceSource&& other) noexcept {
    if (this != &other) {
        end();
        fd_ = std::move(other.fd_);
        pid_ = std::exchange(other.pid_, 0);
    }
    return *this;
}

std::optional<Choice> ChoiceSource::next() {
    const std::string byte = sys::readBounded(fd_.get(), 1).bytes;
    for (const Choice choice : {Choice::Cancel, Choice::Postpone}) {
        if (byte == choiceKey(choice).substr(0, 1)) {
            return choice;
        }
    }
    end();
    return std::nullopt;
}

sys::Result<> ChoiceSource::send(int fd, Choice choice) {
    return sys::writeAll(fd, choiceKey(choice).substr(0, 1));
}

void ChoiceSource::end() {
    fd_.reset();
    if (pid_ > 0) {
        sys::killAndReap(std::exchange(pid_, 0));
    }
}

namespace {

// The text with its one "%s" replaced by `time`: a translation is never used as a format.
std::string withTime(const char* text, const std::string& time) {
    std::string filled(text);
    if (const std::size_t at = filled.find("%s"); at != std::string::npos) {
        filled.replace(at, 2, time);
    }
    return filled;
}

// Each sentence whole, per action, so that every language can order its words freely.
const char* pick(Action action, const char* powerOff, const char* reboot, const char* suspend) {
    return action == Action::Reboot ? reboot : action == Action::Suspend ? suspend : powerOff;
}

} // namespace

Notification warningFor(Action action, Instant deadline, Offer offer) {
    Notification notification;
    notification.icon = pick(action, "system-shutdown", "system-reboot", "system-suspend");
    notification.summary = withTime(pick(action, translated("This computer will shut down at %s"),
                                         translated("This computer will restart at %s"),
                                         translated("This computer will go to sleep at %s")),
                                    formatLocal(deadline, "%H:%M"));
    const char* plainBody =
        translated("Save your work, or open Zarn and press End Task to cancel.");
    notification.body =
        offer == Offer::Nothing ? plainBody
        : offer == Offer::Cancel
            ? translated("Save your work. You can cancel it here; it cannot be postponed again.")
            : translated("Save your work. You can cancel it here, or postpone it by 10 minutes.");
    notification.offer = offer;
    notification.urgency = 2;
    if (offer != Offer::Nothing) {
        notification.actions.emplace_back(choiceKey(Choice::Cancel), translated("Cancel"));
        notification.bodyWithoutActions = plainBody;
    }
    if (offer == Offer::CancelOrPostpone) {
        notification.actions.emplace_back(choiceKey(Choice::Postpone),
                                          translated("Postpone 10 minutes"));
    }
    return notification;
}

Notification noticeFor(Notice notice, Action action, Instant deadline) {
    Notification notification;
    notification.icon = pick(action, "system-shutdown", "system-reboot", "system-suspend");
    const auto say = [&](const char* powerOff, const char* reboot, const char* suspend,
                         const char* body) {
        notification.summary =
            withTime(pick(action, powerOff, reboot, suspend), formatLocal(deadline, "%H:%M"));
        notification.body = body;
    };
    switch (notice) {
    case Notice::Skipped:
        say(translated("Did not shut down at %s"), translated("Did not restart at %s"),
            translated("Did not go to sleep at %s"),
            translated("The computer was asleep or off at that time."));
        break;
    case Notice::Cancelled:
        say(translated("The shutdown at %s is cancelled"),
            translated("The restart at %s is cancelled"),
            translated("Going to sleep at %s is cancelled"),
            translated("Nothing will happen at that time."));
        break;
    case Notice::Postponed:
        say(translated("The shutdown is postponed to %s"),
            translated("The restart is postponed to %s"),
            translated("Going to sleep is postponed to %s"),
            translated("You will be warned again before then."));
        break;
    case Notice::NotPostponed:
        say(translated("Could not postpone: the shutdown stays at %s"),
            translated("Could not postpone: the restart stays at %s"),
            translated("Could not postpone: going to sleep stays at %s"),
            translated("It could not be moved. Save your work before then."));
        break;
    }
    return notification;
}

} // namespace zarn::helper
