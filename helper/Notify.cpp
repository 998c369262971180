#include "helper/Notify.h"

#include "helper/Detach.h"
#include "helper/SdBus.h"
#include "sys/Decimal.h"
#include "sys/Fd.h"

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <sys/prctl.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace zarn::helper {

namespace {

// The child reports "+<id>" when it sent the notification, or "-<reason>"; then it closes the
// report pipe, and listens for the buttons where the server shows them.
constexpr char sentMark = '+';
constexpr char failedMark = '-';

constexpr const char* notificationsName = "org.freedesktop.Notifications";
constexpr const char* notificationsPath = "/org/freedesktop/Notifications";

// Even a server that is started first gets the last warning before its deadline.
static_assert(notifySendLimit < std::ranges::min(defaultWarningOffsets));

// The process runs as exactly the recipient from here on, or fails.
sys::Result<> becomeRecipient(const Recipient& recipient) {
    // Unprivileged (the test twin run by a user) the groups cannot change, nor do they matter.
    if (::setgroups(0, nullptr) != 0 && !(errno == EPERM && ::geteuid() != 0)) {
        return sys::systemError("setgroups");
    }
    // The gid first: once the uid is given up, the right to change the gid is gone as well.
    if (::setgid(recipient.gid) != 0) {
        return sys::systemError("setgid");
    }
    if (::setuid(recipient.uid) != 0) {
        return sys::systemError("setuid");
    }
    if (::getuid() != recipient.uid || ::geteuid() != recipient.uid ||
        ::getgid() != recipient.gid || ::getegid() != recipient.gid) {
        return sys::Error{"the ids did not change"};
    }
    return sys::Ok{};
}

sys::Result<Bus> connectTo(const std::string& address) {
    sd_bus* raw = nullptr;
    int r = sd_bus_new(&raw);
    Bus bus(raw);
    const auto timeout =
        std::chrono::duration_cast<std::chrono::microseconds>(notifyCallTimeout).count();
    if (r < 0 || (r = sd_bus_set_address(raw, address.c_str())) < 0 ||
        (r = sd_bus_set_bus_client(raw, 1)) < 0 ||
        (r = sd_bus_set_method_call_timeout(raw, static_cast<std::uint64_t>(timeout))) < 0 ||
        (r = sd_bus_start(raw)) < 0) {
        return sys::systemError("cannot connect to " + address, -r);
    }
    return bus;
}

// The notification server that answered, by its unique name, and whether it shows buttons.
struct Server {
    std::string name;
    bool showsActions = false;
};

// GetCapabilities through the well-known name, so that the bus starts a server that is installed
// for activation but not running (a lookup of the name's owner never does; StartServiceByName
// refuses a running server that has no activation file). Only such a start may take seconds under
// emulation: a server that runs gets the usual bound, so one that hangs costs no more than before.
// The answer's sender is the server from then on.
sys::Result<Server> findServer(sd_bus* bus) {
    sd_bus_message* raw = nullptr;
    int running = 0;
    int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameHasOwner", nullptr, &raw, "s",
                               notificationsName);
    const BusMessage owned(raw);
    if (r < 0 || sd_bus_message_read(raw, "b", &running) < 0) {
        running = 0;
    }
    r = sd_bus_message_new_method_call(bus, &raw, notificationsName, notificationsPath,
                                       notificationsName, "GetCapabilities");
    const BusMessage call(raw);
    if (r < 0) {
        return sys::systemError("cannot build the GetCapabilities call", -r);
    }
    BusError error;
    const std::chrono::microseconds timeout = running != 0 ? notifyCallTimeout : notifyStartTimeout;
    sd_bus_message* answer = nullptr; // left untouched when the call fails
    r = sd_bus_call(bus, raw, static_cast<std::uint64_t>(timeout.count()), &error, &answer);
    const BusMessage reply(answer);
    if (r < 0) {
        return sys::Error{error.describe("Notify failed", r)};
    }
    const char* sender = sd_bus_message_get_sender(answer);
    if (sender == nullptr) {
        return sys::Error{"Notify failed: the answer to GetCapabilities names no sender"};
    }
    Server server{sender};
    const char* capability = nullptr;
    const bool inList = sd_bus_message_enter_container(answer, 'a', "s") > 0;
    while (inList && !server.showsActions && sd_bus_message_read(answer, "s", &capability) > 0) {
        server.showsActions = std::string_view(capability) == "actions";
    }
    return server;
}

// What the listening child knows while it waits for the buttons of notification `id`.
struct Listener {
    std::uint32_t id = 0;
    Offer offer = Offer::Nothing;
    int choiceFd = -1;
    bool closed = false;
};

int onServerSignal(sd_bus_message* message, void* data, sd_bus_error*) {
    auto& listener = *static_cast<Listener*>(data);
    std::uint32_t id = 0;
    if (sd_bus_message_is_signal(message, notificationsName, "ActionInvoked")) {
        const char* key = nullptr;
        if (sd_bus_message_read(message, "us", &id, &key) > 0 && id == listener.id) {
            // Only the buttons that this warning offers reach the waiting process.
            if (const std::optional<Choice> choice = offeredChoice(listener.offer, key)) {
                listener.closed = !ChoiceSource::send(listener.choiceFd, *choice);
            }
        }
    } else if (sd_bus_message_is_signal(message, notificationsName, "NotificationClosed")) {
        std::uint32_t reason = 0;
        listener.closed = sd_bus_message_read(message, "uu", &id, &reason) > 0 && id == listener.id;
    }
    return 0;
}

// The Notify call, with the buttons where `withActions`: the new notification's id.
sys::Result<std::uint32_t> callNotify(sd_bus* bus, const std::string& owner,
                                      const Notification& notification, std::uint32_t replaces,
                                      bool withActions) {
    std::vector<const char*> actions;
    for (const auto& [key, label] : notification.actions) {
        if (withActions) {
            actions.push_back(key.c_str());
            actions.push_back(label.c_str());
        }
    }
    actions.push_back(nullptr);
    const std::string& body = withActions || notification.bodyWithoutActions.empty()
                                  ? notification.body
                                  : notification.bodyWithoutActions;
    // To the owner's unique name: the server that was asked for its capabilities gets the call.
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus, &raw, owner.c_str(), notificationsPath,
                                           notificationsName, "Notify");
    const BusMessage call(raw);
    if (r < 0 ||
        (r = sd_bus_message_append(call.get(), "susss", "Zarn", replaces, notification.icon.c_str(),
                                   notification.summary.c_str(), body.c_str())) < 0 ||
        (r = sd_bus_message_append_strv(call.get(), const_cast<char**>(actions.data()))) < 0 ||
        (r = sd_bus_message_append(call.get(), "a{sv}i", 1, "urgency", "y", notification.urgency,
                                   -1)) < 0) {
        return sys::systemError("cannot build the Notify call", -r);
    }
    BusError error;
    sd_bus_message* answer = nullptr; // left untouched when the call fails
    r = sd_bus_call(bus, call.get(), 0, &error, &answer);
    const BusMessage reply(answer);
    std::uint32_t id = 0;
    if (r < 0) {
        return sys::Error{error.describe("Notify failed", r)};
    }
    if ((r = sd_bus_message_read(answer, "u", &id)) < 0) {
        return sys::systemError("unexpected answer to Notify", -r);
    }
    return id;
}

// Sends the notification and returns the report; where it has buttons, `listener` is set up to
// hear them on `bus`, with `match` kept alive.
std::string notify(sd_bus* bus, const Notification& notification, std::uint32_t replaces,
                   Listener& listener, BusSlot& match) {
    const sys::Result<Server> server = findServer(bus);
    if (!server) {
        return failedMark + server.error().text;
    }
    // Signals only from the server's own connection: anyone on the bus may send a signal
    // named ActionInvoked, and only the server can tell that the user pressed a button.
    const std::string rule = "type='signal',sender='" + server->name + "',path='" +
                             notificationsPath + "',interface='" + notificationsName + "'";
    sd_bus_slot* slot = nullptr;
    const bool withActions =
        notification.offer != Offer::Nothing && server->showsActions &&
        sd_bus_add_match(bus, &slot, rule.c_str(), onServerSignal, &listener) >= 0;
    match.reset(slot);
    const sys::Result<std::uint32_t> id =
        callNotify(bus, server->name, notification, replaces, withActions);
    if (!id) {
        return failedMark + id.error().text;
    }
    if (withActions) {
        listener.id = *id;
        listener.offer = notification.offer;
    }
    return sentMark + std::to_string(*id);
}

// Sends the notification, reports on `reportFd` and closes it; where the notification has
// buttons, then passes each one pressed on to `choiceFd` until it closes. The exit status.
int notifyAndListen(const std::string& busAddress, const Notification& notification,
                    std::uint32_t replaces, sys::Fd reportFd, int choiceFd) {
    Listener listener;
    listener.choiceFd = choiceFd;
    sys::Result<Bus> bus = connectTo(busAddress);
    BusSlot match; // let go before the bus
    std::string report = bus ? notify(bus->get(), notification, replaces, listener, match)
                             : failedMark + bus.error().text;
    // The server's words come back in a failure: never more than is read on the other side.
    report.resize(std::min(report.size(), notifyReportLimit));
    const bool reported = static_cast<bool>(sys::writeAll(reportFd.get(), report));
    reportFd.reset();
    while (reported && listener.id != 0 && !listener.closed) {
        const int r = sd_bus_process(bus->get(), nullptr);
        if (r < 0 || (r == 0 && sd_bus_wait(bus->get(), UINT64_MAX) < 0)) {
            break; // the bus is gone, and with it the notification's buttons
        }
    }
    return reported ? 0 : 1;
}

[[noreturn]] void notifyingChild(pid_t parent, const Recipient& recipient,
                                 const std::string& busAddress, const Notification& notification,
                                 std::uint32_t replaces, sys::Fd reportFd, sys::Fd choiceFd) {
    // Not "zarn-shutdown": the probe of the application must find the waiting process only.
    ::prctl(PR_SET_NAME, "zarn-notify", 0, 0, 0);
    // It is about to run as the user and talk to a bus the user controls: root's descriptors
    // (the task's timer, its SIGTERM descriptor, the one-task lock) stay behind.
    const int keep[] = {reportFd.get(), choiceFd.get()};
    closeDescriptorsExcept(keep);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (const sys::Result<> became = becomeRecipient(recipient); !became) {
        ::_exit(sys::writeAll(reportFd.get(), failedMark + became.error().text) ? 0 : 1);
    }
    // Set after the ids changed, which clear it; the parent may have died in between.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
    if (::getppid() != parent) {
        ::_exit(1);
    }
    ::_exit(
        notifyAndListen(busAddress, notification, replaces, std::move(reportFd), choiceFd.get()));
}

} // namespace

sys::Result<Sent> sendNotificationAs(const Recipient& recipient, const std::string& busAddress,
                                     const Notification& notification,
                                     std::chrono::milliseconds limit, int stopFd,
                                     std::uint32_t replaces) {
    sys::Result<sys::Pipe> report = sys::makePipe();
    sys::Result<sys::Pipe> choices = sys::makePipe();
    if (!report || !choices) {
        return !report ? report.error() : choices.error();
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        return sys::systemError("fork");
    }
    if (child == 0) {
        report->read.reset();
        choices->read.reset();
        notifyingChild(parent, recipient, busAddress, notification, replaces,
                       std::move(report->write), std::move(choices->write));
    }
    report->write.reset();
    choices->write.reset();
    // From here on the child's choices reach the caller, or the child is killed with the source.
    ChoiceSource source(std::move(choices->read), child);
    const sys::BoundedRead answer = sys::readBounded(
        report->read.get(), notifyReportLimit, std::chrono::steady_clock::now() + limit, stopFd);
    if (answer.end == sys::ReadEnd::Stopped || answer.end == sys::ReadEnd::TimedOut) {
        return sys::Error{answer.end == sys::ReadEnd::Stopped
                              ? "stopped by SIGTERM"
                              : "no answer within " + std::to_string(limit.count()) + " ms"};
    }
    const std::string_view text = answer.bytes;
    if (text.starts_with(failedMark)) {
        return sys::Error{shownText(text.substr(1), notifyReportLimit)};
    }
    const std::optional<std::uint32_t> id = text.starts_with(sentMark)
                                                ? sys::parseDecimal<std::uint32_t>(text.substr(1))
                                                : std::nullopt;
    if (!id) {
        return sys::Error{"the sending process ended without a report"};
    }
    // A notification without buttons has nothing to listen for: its child ends here.
    return Sent{*id, notification.offer == Offer::Nothing ? ChoiceSource() : std::move(source)};
}

DesktopNotifications desktopNotifications(std::optional<Recipient> recipient,
                                          std::string busAddress, LogFunction log) {
    // The id on screen, so that each notification replaces the one before instead of piling up.
    const auto shown = std::make_shared<std::uint32_t>(0);
    const auto send = [recipient, busAddress = std::move(busAddress), log = std::move(log),
                       shown](const std::string& what, const Notification& notification,
                              std::chrono::milliseconds limit, int stopFd) -> ChoiceSource {
        if (!recipient) {
            log(LOG_WARNING, what + " not sent: no user to warn (SUDO_UID/SUDO_GID missing or "
                                    "not a valid user)");
            return {};
        }
        const std::string to = " to uid " + std::to_string(recipient->uid);
        if (limit.count() <= 0) {
            log(LOG_WARNING, what + " not sent" + to + ": the deadline has come");
            return {};
        }
        sys::Result<Sent> sent =
            sendNotificationAs(*recipient, busAddress, notification, limit, stopFd, *shown);
        if (!sent) {
            log(LOG_WARNING,
                what + " failed" + to + " on " + busAddress + ": " + sent.error().text);
            return {};
        }
        *shown = sent->id;
        log(LOG_INFO,
            what + " sent" + to + " on " + busAddress + ", id " + std::to_string(sent->id));
        return std::move(sent->choices);
    };
    DesktopNotifications notifications;
    notifications.warn = [send](Action action, Instant deadline, Offer offer, int stopFd) {
        const auto untilDeadline = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::system_clock::now());
        return send("warning of " + std::string(actionWord(action)) + " at " +
                        describeInstant(deadline),
                    warningFor(action, deadline, offer),
                    std::min<std::chrono::milliseconds>(notifySendLimit, untilDeadline), stopFd);
    };
    notifications.notify = [send](Notice notice, Action action, Instant deadline, int stopFd) {
        static constexpr const char* kinds[] = {"skipped", "cancelled", "postponed",
                                                "not postponed"};
        send("notice that " + std::string(actionWord(action)) + " at " + describeInstant(deadline) +
                 " is " + kinds[static_cast<int>(notice)],
             noticeFor(notice, action, deadline), notifySendLimit, stopFd);
    };
    return notifications;
}

} // namespace zarn::helper
