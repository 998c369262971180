#include "helper/Notify.h"

#include "helper/Detach.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <syslog.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

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

// "+<id>" or "-<reason>".
std::string callNotify(const std::string& busAddress, const Notification& notification) {
    sd_bus* bus = nullptr;
    int r = sd_bus_new(&bus);
    if (r < 0) {
        return failedMark + errnoText("sd_bus_new", r);
    }
    std::string outcome;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if ((r = sd_bus_set_address(bus, busAddress.c_str())) < 0 ||
        (r = sd_bus_set_bus_client(bus, 1)) < 0 ||
        (r = sd_bus_set_method_call_timeout(
             bus,
             std::chrono::duration_cast<std::chrono::microseconds>(notifyCallTimeout).count())) <
            0) {
        outcome = failedMark + errnoText("cannot set up the bus", r);
    } else if ((r = sd_bus_start(bus)) < 0) {
        outcome = failedMark + errnoText(("cannot connect to " + busAddress).c_str(), r);
    } else {
        const std::uint8_t critical = 2;
        r = sd_bus_call_method(bus, "org.freedesktop.Notifications",
                               "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                               "Notify", &error, &reply, "susssasa{sv}i", "Zarn", 0u,
                               notification.icon.c_str(), notification.summary.c_str(),
                               notification.body.c_str(), 0, 1, "urgency", "y", critical, -1);
        std::uint32_t id = 0;
        if (r < 0) {
            outcome = failedMark + std::string("Notify failed: ") +
                      (sd_bus_error_is_set(&error) && error.message != nullptr ? error.message
                                                                               : std::strerror(-r));
        } else if ((r = sd_bus_message_read(reply, "u", &id)) < 0) {
            outcome = failedMark + errnoText("unexpected answer to Notify", r);
        } else {
            outcome = sentMark + std::to_string(id);
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return outcome;
}

[[noreturn]] void notifyingChild(pid_t parent, const Recipient& recipient,
                                 const std::string& busAddress, const Notification& notification,
                                 int reportFd) {
    // Not "zarn-shutdown": the probe of the application must find the waiting process only.
    ::prctl(PR_SET_NAME, "zarn-notify", 0, 0, 0);
    // It is about to run as the user and talk to a bus the user controls: root's descriptors
    // (the task's timer, its SIGTERM descriptor, the one-task lock) stay behind.
    const int keep[] = {reportFd};
    closeDescriptorsExcept(keep);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    std::string report;
    const std::string refused = becomeRecipient(recipient);
    if (!refused.empty()) {
        report = failedMark + refused;
    } else {
        // Set after the ids changed, which clear it; the parent may have died in between.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
        report = ::getppid() == parent ? callNotify(busAddress, notification)
                                       : failedMark + std::string("the waiting process ended");
    }
    ssize_t written = -1;
    do {
        written = ::write(reportFd, report.data(), report.size());
    } while (written < 0 && errno == EINTR);
    ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

SendResult sendNotificationAs(const Recipient& recipient, const std::string& busAddress,
                              const Notification& notification, std::chrono::milliseconds limit,
                              int stopFd) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return {false, errnoText("pipe", errno)};
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return {false, errnoText("fork", error)};
    }
    if (child == 0) {
        ::close(report[0]);
        notifyingChild(parent, recipient, busAddress, notification, report[1]);
    }
    ::close(report[1]);

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
    // The report has come or the child is out of time: either way it is done now.
    killAndReap(child);
    if (stopped) {
        return {false, "stopped by SIGTERM"};
    }
    if (!ended) {
        return {false, "no answer within " + std::to_string(limit.count()) + " ms"};
    }
    if (text.empty() || (text[0] != sentMark && text[0] != failedMark)) {
        return {false, "the sending process ended without a report"};
    }
    return {text[0] == sentMark, text.substr(1)};
}

WarnFunction desktopWarner(std::optional<Recipient> recipient, std::string busAddress,
                           LogFunction log) {
    return [recipient, busAddress = std::move(busAddress),
            log = std::move(log)](Action action, Instant deadline, int stopFd) {
        const std::string what =
            "warning of " + std::string(actionVerb(action)) + " at " + describeInstant(deadline);
        if (!recipient) {
            log(LOG_WARNING, what + " not sent: no user to warn (SUDO_UID/SUDO_GID missing or "
                                    "not a valid user)");
            return;
        }
        const auto untilDeadline = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::system_clock::now());
        const auto limit = std::min<std::chrono::milliseconds>(notifySendLimit, untilDeadline);
        const std::string to = " to uid " + std::to_string(recipient->uid);
        if (limit.count() <= 0) {
            log(LOG_WARNING, what + " not sent" + to + ": the deadline has come");
            return;
        }
        const SendResult result =
            sendNotificationAs(*recipient, busAddress, warningFor(action, deadline), limit, stopFd);
        if (result.sent) {
            log(LOG_INFO, what + " sent" + to + " on " + busAddress + ", id " + result.detail);
        } else {
            log(LOG_WARNING, what + " failed" + to + " on " + busAddress + ": " + result.detail);
        }
    };
}

} // namespace zarn::helper
