#include "helper/Notify.h"

#include "helper/Detach.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <syslog.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <vector>

namespace zarn::helper {

namespace {

// The child reports "+<id>" or "-<reason>" through a pipe, then exits.
constexpr char sentMark = '+';
constexpr char failedMark = '-';

std::string errnoText(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error < 0 ? -error : error);
}

// Empty when the process now runs as exactly the recipient, else what went wrong.
std::string becomeRecipient(const Recipient& recipient) {
    // Unprivileged (the test twin run by a user) the groups cannot change, nor do they matter.
    if (::setgroups(0, nullptr) != 0 && !(errno == EPERM && ::geteuid() != 0)) {
        return errnoText("setgroups", errno);
    }
    // The gid first: once the uid is given up, the right to change the gid is gone as well.
    if (::setgid(recipient.gid) != 0) {
        return errnoText("setgid", errno);
    }
    if (::setuid(recipient.uid) != 0) {
        return errnoText("setuid", errno);
    }
    if (::getuid() != recipient.uid || ::geteuid() != recipient.uid ||
        ::getgid() != recipient.gid || ::getegid() != recipient.gid) {
        return "the ids did not change";
    }
    return {};
}

// The child reports "+<id>" when it sent the notification, "*<id>" when it also listens for its
// buttons, or "-<reason>"; then it closes the report pipe.
constexpr char listeningMark = '*';

constexpr const char* notificationsName = "org.freedesktop.Notifications";
constexpr const char* notificationsPath = "/org/freedesktop/Notifications";

std::string errorText(const char* what, const sd_bus_error& error, int r) {
    return std::string(what) + ": " +
           (sd_bus_error_is_set(&error) && error.message != nullptr ? error.message
                                                                    : std::strerror(-r));
}

// The unique name of the connection that owns the notification service now.
std::optional<std::string> serviceOwner(sd_bus* bus, std::string& failure) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* owner = nullptr;
    std::optional<std::string> found;
    const int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "GetNameOwner", &error, &reply, "s",
                                     notificationsName);
    if (r < 0) {
        failure = errorText("Notify failed", error, r);
    } else if (sd_bus_message_read(reply, "s", &owner) < 0 || owner == nullptr) {
        failure = "Notify failed: no owner of " + std::string(notificationsName);
    } else {
        found = owner;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return found;
}

// Whether the server can show buttons; a server that does not answer cannot.
bool serverShowsActions(sd_bus* bus, const std::string& owner) {
    sd_bus_message* reply = nullptr;
    bool actions = false;
    if (sd_bus_call_method(bus, owner.c_str(), notificationsPath, notificationsName,
                           "GetCapabilities", nullptr, &reply, "") >= 0 &&
        sd_bus_message_enter_container(reply, 'a', "s") > 0) {
        const char* capability = nullptr;
        while (sd_bus_message_read(reply, "s", &capability) > 0) {
            actions = actions || std::strcmp(capability, "actions") == 0;
        }
    }
    sd_bus_message_unref(reply);
    return actions;
}

// What the listening child knows while it waits for the buttons of notification `id`.
struct Listener {
    std::uint32_t id = 0;
    int choiceFd = -1;
    bool closed = false;
};

int onServerSignal(sd_bus_message* message, void* data, sd_bus_error*) {
    auto& listener = *static_cast<Listener*>(data);
    std::uint32_t id = 0;
    if (sd_bus_message_is_signal(message, notificationsName, "ActionInvoked")) {
        const char* key = nullptr;
        if (sd_bus_message_read(message, "us", &id, &key) > 0 && id == listener.id) {
            const char choice = key == cancelActionKey     ? cancelChoice
                                : key == postponeActionKey ? postponeChoice
                                                           : '\0';
            if (choice != '\0' && ::write(listener.choiceFd, &choice, 1) != 1) {
                listener.closed = true;
            }
        }
    } else if (sd_bus_message_is_signal(message, notificationsName, "NotificationClosed")) {
        std::uint32_t reason = 0;
        listener.closed = sd_bus_message_read(message, "uu", &id, &reason) > 0 && id == listener.id;
    }
    return 0;
}

// The Notify call, with the buttons where `withActions`; "+<id>" or "-<reason>".
std::string callNotify(sd_bus* bus, const std::string& owner, const Notification& notification,
                       std::uint32_t replaces, bool withActions) {
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    std::vector<const char*> actions;
    for (const auto& [key, label] : notification.actions) {
        if (withActions) {
            actions.push_back(key.c_str());
            actions.push_back(label.c_str());
        }
    }
    actions.push_back(nullptr);
    const std::uint8_t critical = 2;
    std::uint32_t id = 0;
    std::string outcome;
    // To the owner's unique name: the server that was asked for its capabilities gets the call.
    int r = sd_bus_message_new_method_call(bus, &call, owner.c_str(), notificationsPath,
                                           notificationsName, "Notify");
    if (r >= 0) {
        const std::string& body = withActions || notification.bodyWithoutActions.empty()
                                      ? notification.body
                                      : notification.bodyWithoutActions;
        r = sd_bus_message_append(call, "susss", "Zarn", replaces, notification.icon.c_str(),
                                  notification.summary.c_str(), body.c_str());
    }
    if (r >= 0) {
        r = sd_bus_message_append_strv(call, const_cast<char**>(actions.data()));
    }
    if (r >= 0) {
        r = sd_bus_message_append(call, "a{sv}i", 1, "urgency", "y", critical, -1);
    }
    if (r < 0) {
        outcome = failedMark + errnoText("cannot build the Notify call", r);
    } else if ((r = sd_bus_call(bus, call, 0, &error, &reply)) < 0) {
        outcome = failedMark + errorText("Notify failed", error, r);
    } else if ((r = sd_bus_message_read(reply, "u", &id)) < 0) {
        outcome = failedMark + errnoText("unexpected answer to Notify", r);
    } else {
        outcome = sentMark + std::to_string(id);
    }
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_error_free(&error);
    return outcome;
}

// Writes all of `text` to `fd`.
bool writeAll(int fd, const std::string& text) {
    ssize_t written = -1;
    do {
        written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(text.size());
}

// Sends the notification, reports on `reportFd` and closes it; where the notification has
// buttons, then passes each one pressed on to `choiceFd` until it closes. Returns the exit status.
int notifyAndListen(const std::string& busAddress, const Notification& notification,
                    std::uint32_t replaces, int reportFd, int choiceFd) {
    sd_bus* bus = nullptr;
    int r = sd_bus_new(&bus);
    if (r < 0) {
        return writeAll(reportFd, failedMark + errnoText("sd_bus_new", r)) ? 0 : 1;
    }
    std::string report;
    sd_bus_slot* match = nullptr;
    Listener listener;
    listener.choiceFd = choiceFd;
    std::string failure;
    std::optional<std::string> owner;
    if ((r = sd_bus_set_address(bus, busAddress.c_str())) < 0 ||
        (r = sd_bus_set_bus_client(bus, 1)) < 0 ||
        (r = sd_bus_set_method_call_timeout(
             bus,
             std::chrono::duration_cast<std::chrono::microseconds>(notifyCallTimeout).count())) <
            0) {
        report = failedMark + errnoText("cannot set up the bus", r);
    } else if ((r = sd_bus_start(bus)) < 0) {
        report = failedMark + errnoText(("cannot connect to " + busAddress).c_str(), r);
    } else if (!(owner = serviceOwner(bus, failure))) {
        report = failedMark + failure;
    } else {
        // Signals only from the server's own connection: anyone on the bus may send a signal
        // named ActionInvoked, and only the server can tell that the user pressed a button.
        const bool withActions =
            !notification.actions.empty() && serverShowsActions(bus, *owner) &&
            sd_bus_add_match(bus, &match,
                             ("type='signal',sender='" + *owner + "',path='" + notificationsPath +
                              "',interface='" + notificationsName + "'")
                                 .c_str(),
                             onServerSignal, &listener) >= 0;
        report = callNotify(bus, *owner, notification, replaces, withActions);
        if (withActions && report[0] == sentMark) {
            report[0] = listeningMark;
            listener.id = static_cast<std::uint32_t>(std::stoul(report.substr(1)));
        }
    }
    const bool reported = writeAll(reportFd, report);
    ::close(reportFd);
    int status = reported ? 0 : 1;
    while (reported && report[0] == listeningMark && !listener.closed) {
        r = sd_bus_process(bus, nullptr);
        if (r < 0 || (r == 0 && sd_bus_wait(bus, UINT64_MAX) < 0)) {
            break; // the bus is gone, and with it the notification's buttons
        }
    }
    sd_bus_slot_unref(match);
    sd_bus_flush_close_unref(bus);
    return status;
}

SendResult notSent(std::string why) {
    SendResult result;
    result.detail = std::move(why);
    return result;
}

[[noreturn]] void notifyingChild(pid_t parent, const Recipient& recipient,
                                 const std::string& busAddress, const Notification& notification,
                                 std::uint32_t replaces, int reportFd, int choiceFd) {
    // Not "zarn-shutdown": the probe of the application must find the waiting process only.
    ::prctl(PR_SET_NAME, "zarn-notify", 0, 0, 0);
    // It is about to run as the user and talk to a bus the user controls: root's descriptors
    // (the task's timer, its SIGTERM descriptor, the one-task lock) stay behind.
    const int keep[] = {reportFd, choiceFd};
    closeDescriptorsExcept(keep);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const std::string refused = becomeRecipient(recipient);
    if (!refused.empty()) {
        ::_exit(writeAll(reportFd, failedMark + refused) ? 0 : 1);
    }
    // Set after the ids changed, which clear it; the parent may have died in between.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
    if (::getppid() != parent) {
        ::_exit(writeAll(reportFd, failedMark + std::string("the waiting process ended")) ? 0 : 1);
    }
    ::_exit(notifyAndListen(busAddress, notification, replaces, reportFd, choiceFd));
}

} // namespace

SendResult sendNotificationAs(const Recipient& recipient, const std::string& busAddress,
                              const Notification& notification, std::chrono::milliseconds limit,
                              int stopFd, std::uint32_t replaces) {
    int report[2];
    int choices[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return notSent(errnoText("pipe", errno));
    }
    if (::pipe2(choices, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return notSent(errnoText("pipe", error));
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        for (const int fd : {report[0], report[1], choices[0], choices[1]}) {
            ::close(fd);
        }
        return notSent(errnoText("fork", error));
    }
    if (child == 0) {
        ::close(report[0]);
        ::close(choices[0]);
        notifyingChild(parent, recipient, busAddress, notification, replaces, report[1],
                       choices[1]);
    }
    ::close(report[1]);
    ::close(choices[1]);
    // From here on the child's choices reach the caller, or the child is killed with the source.
    ChoiceSource source(choices[0], child);

    const auto giveUp = std::chrono::steady_clock::now() + limit;
    std::string text;
    bool ended = false;
    bool stopped = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            giveUp - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd watched[2] = {{report[0], POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(watched, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            break;
        }
        if (watched[1].revents != 0) {
            stopped = true;
            break;
        }
        if (watched[0].revents == 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = ::read(report[0], buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            ended = true;
            break;
        }
    }
    ::close(report[0]);
    if (stopped) {
        return notSent("stopped by SIGTERM");
    }
    if (!ended) {
        return notSent("no answer within " + std::to_string(limit.count()) + " ms");
    }
    if (text.empty() ||
        (text[0] != sentMark && text[0] != failedMark && text[0] != listeningMark)) {
        return notSent("the sending process ended without a report");
    }
    if (text[0] == failedMark) {
        return notSent(text.substr(1));
    }
    SendResult result;
    result.sent = true;
    result.detail = text.substr(1);
    result.id = static_cast<std::uint32_t>(std::strtoul(result.detail.c_str(), nullptr, 10));
    if (text[0] == listeningMark) {
        result.choices = std::move(source);
    }
    return result;
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
        SendResult result =
            sendNotificationAs(*recipient, busAddress, notification, limit, stopFd, *shown);
        if (!result.sent) {
            log(LOG_WARNING, what + " failed" + to + " on " + busAddress + ": " + result.detail);
            return {};
        }
        *shown = result.id;
        log(LOG_INFO, what + " sent" + to + " on " + busAddress + ", id " + result.detail +
                          (result.choices.fd() >= 0 ? ", with its buttons" : ""));
        return std::move(result.choices);
    };
    DesktopNotifications notifications;
    notifications.warn = [send](Action action, Instant deadline, Offer offer, int stopFd) {
        const auto untilDeadline = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::system_clock::now());
        return send("warning of " + std::string(actionVerb(action)) + " at " +
                        describeInstant(deadline),
                    warningFor(action, deadline, offer),
                    std::min<std::chrono::milliseconds>(notifySendLimit, untilDeadline), stopFd);
    };
    notifications.notify = [send](Notice notice, Action action, Instant deadline, int stopFd) {
        static constexpr const char* kinds[] = {"skipped", "cancelled", "postponed"};
        send("notice that " + std::string(actionVerb(action)) + " at " + describeInstant(deadline) +
                 " is " + kinds[static_cast<int>(notice)],
             noticeFor(notice, action, deadline), notifySendLimit, stopFd);
    };
    return notifications;
}

} // namespace zarn::helper
