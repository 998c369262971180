#include "helper/Task.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>
#include <utility>

namespace zarn::helper {

Decision decideAfterWake(Instant deadline, Instant wokeAt) {
    return wokeAt - deadline > lateLimit ? Decision::Missed : Decision::Act;
}

Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const ClockFunction& now) {
    return runTask(action, timer, stopFd, act, log, WarningPlan{}, now);
}

namespace {

// What the poll of the waiting process saw first.
enum class Event { Deadline, Stop, Choice, ChoiceEnded, Warning, Failed };

// Waits for whichever comes first: the deadline, a stop, a choice from the open warning, or the
// next warning's timer (each -1 or null when there is none).
Event waitForEvent(const DeadlineTimer& deadline, int stopFd, const ChoiceSource& choices,
                   const DeadlineTimer* warning, char& choice) {
    for (;;) {
        pollfd watched[4] = {{deadline.fd(), POLLIN, 0},
                             {stopFd, POLLIN, 0},
                             {choices.fd(), POLLIN, 0},
                             {warning != nullptr ? warning->fd() : -1, POLLIN, 0}};
        if (::poll(watched, 4, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Event::Failed;
        }
        if (watched[1].revents != 0) {
            return Event::Stop;
        }
        if (watched[0].revents != 0) {
            const std::optional<WaitEnd> end =
                (watched[0].revents & POLLIN) != 0 ? deadline.expired() : WaitEnd::Failed;
            if (end) {
                return *end == WaitEnd::Reached ? Event::Deadline : Event::Failed;
            }
            continue;
        }
        if (watched[2].revents != 0) {
            const ssize_t got = ::read(choices.fd(), &choice, 1);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            return got == 1 ? Event::Choice : Event::ChoiceEnded;
        }
        if (watched[3].revents != 0) {
            const std::optional<WaitEnd> end =
                (watched[3].revents & POLLIN) != 0 ? warning->expired() : WaitEnd::Failed;
            if (end) {
                return *end == WaitEnd::Reached ? Event::Warning : Event::Failed;
            }
        }
    }
}

// The warnings still ahead of `now` at the same distances before `deadline` as `leads` say.
std::vector<Instant> instantsBefore(Instant deadline, Instant now,
                                    const std::vector<Instant::duration>& leads) {
    std::vector<Instant> instants;
    for (const Instant::duration lead : leads) {
        if (deadline - lead > now) {
            instants.push_back(deadline - lead);
        }
    }
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

} // namespace

ChoiceSource::ChoiceSource(ChoiceSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), pid_(std::exchange(other.pid_, 0)) {}

ChoiceSource& ChoiceSource::operator=(ChoiceSource&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        pid_ = std::exchange(other.pid_, 0);
    }
    return *this;
}

ChoiceSource::~ChoiceSource() {
    close();
}

void ChoiceSource::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
    }
}

Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& warnings, const ClockFunction& now) {
    const std::string verb(actionVerb(action));
    log(LOG_INFO, verb + " scheduled for " + describeInstant(timer.deadline()));
    // Not only those still ahead now: a task scheduled four minutes ahead and postponed is
    // warned five minutes before its new deadline too.
    std::vector<Instant::duration> leads(warnings.offsets.begin(), warnings.offsets.end());
    if (leads.empty()) {
        for (const Instant warnAt : warnings.instants) {
            leads.push_back(timer.deadline() - warnAt);
        }
    }
    std::vector<Instant> pending = warnings.warn ? warnings.instants : std::vector<Instant>();
    std::sort(pending.begin(), pending.end());
    // A postponed deadline has a timer of its own, on the same clock as the first.
    std::optional<DeadlineTimer> moved;
    const auto deadline = [&]() -> const DeadlineTimer& { return moved ? *moved : timer; };
    int postpones = 0;
    ChoiceSource choices;
    std::optional<DeadlineTimer> warningTimer;
    // A warning is no reason to wake a sleeping machine, but the last one before a deadline that
    // wakes it is: else the user at the machine would not see it. This alarm only wakes; the
    // warnings' own timers, which sleep with the machine, then find their instants reached.
    std::optional<DeadlineTimer> wakeAlarm;
    const auto armWakeAlarm = [&] {
        wakeAlarm.reset();
        if (warnings.wakeForLastWarning && !pending.empty()) {
            wakeAlarm = DeadlineTimer::arm(pending.back(), true);
        }
    };
    armWakeAlarm();
    for (;;) {
        const std::string when = describeInstant(deadline().deadline());
        if (!warningTimer && !pending.empty()) {
            warningTimer = DeadlineTimer::arm(pending.front(), false);
            if (!warningTimer) {
                log(LOG_WARNING, "waiting for the warnings before " + when + " failed; none sent");
                pending.clear();
            }
        }
        char choice = 0;
        switch (waitForEvent(deadline(), stopFd, choices, warningTimer ? &*warningTimer : nullptr,
                             choice)) {
        case Event::Stop:
            log(LOG_INFO, verb + " for " + when + " cancelled by SIGTERM");
            return Outcome::Cancelled;
        case Event::Failed:
            if (warningTimer) {
                log(LOG_WARNING, "waiting for the warnings before " + when + " failed; none sent");
                warningTimer.reset();
                pending.clear();
                break;
            }
            log(LOG_ERR, "waiting for " + when + " failed; " + verb + " not done");
            return Outcome::WaitFailed;
        case Event::ChoiceEnded:
            choices = ChoiceSource();
            break;
        case Event::Warning: {
            const Instant warnAt = pending.front();
            pending.erase(pending.begin());
            warningTimer.reset();
            const Instant reachedAt = now();
            if (reachedAt - warnAt > warningLateLimit || reachedAt >= deadline().deadline()) {
                const auto late =
                    std::chrono::duration_cast<std::chrono::seconds>(reachedAt - warnAt);
                log(LOG_INFO, "warning of " + describeInstant(warnAt) + " skipped: reached " +
                                  std::to_string(late.count()) + " s late");
                break;
            }
            const Offer offer = deadline().deadline() - warnAt > actionLead ? Offer::Nothing
                                : postpones < postponeLimit ? Offer::CancelOrPostpone
                                                            : Offer::Cancel;
            // The new warning replaces the one on screen, and only its choices count.
            choices = ChoiceSource();
            choices = warnings.warn(action, deadline().deadline(), offer, stopFd);
            break;
        }
        case Event::Choice:
            if (choice == cancelChoice) {
                log(LOG_NOTICE,
                    verb + " for " + when + " cancelled from the notification by " + warnings.user);
                return Outcome::Cancelled;
            }
            if (choice != postponeChoice) {
                break;
            }
            if (postpones >= postponeLimit) {
                log(LOG_WARNING, "postpone of " + verb + " for " + when + " by " + warnings.user +
                                     " refused: postponed " + std::to_string(postponeLimit) +
                                     " times already");
                break;
            }
            {
                const Instant later = deadline().deadline() + warnings.postponeBy;
                std::optional<DeadlineTimer> laterTimer =
                    DeadlineTimer::arm(later, deadline().clock() == CLOCK_REALTIME_ALARM);
                if (!laterTimer || (warnings.postpone && !warnings.postpone(later))) {
                    log(LOG_WARNING, "postpone of " + verb + " for " + when + " by " +
                                         warnings.user + " failed; the deadline stays");
                    break;
                }
                moved = std::move(laterTimer);
                ++postpones;
                log(LOG_NOTICE, verb + " for " + when + " postponed to " + describeInstant(later) +
                                    " from the notification by " + warnings.user + " (" +
                                    std::to_string(postpones) + " of " +
                                    std::to_string(postponeLimit) + ")");
                choices = ChoiceSource();
                warningTimer.reset();
                pending = instantsBefore(later, now(), leads);
                armWakeAlarm();
                if (warnings.notify) {
                    warnings.notify(Notice::Postponed, action, later, stopFd);
                }
            }
            break;
        case Event::Deadline: {
            choices = ChoiceSource();
            const Instant wokeAt = now();
            if (decideAfterWake(deadline().deadline(), wokeAt) == Decision::Missed) {
                const auto late = std::chrono::duration_cast<std::chrono::seconds>(
                    wokeAt - deadline().deadline());
                log(LOG_WARNING, verb + " for " + when + " missed: woke " +
                                     std::to_string(late.count()) + " s late, not acting");
                return Outcome::Missed;
            }
            log(LOG_NOTICE, "acting now: " + verb);
            if (!act(action)) {
                log(LOG_ERR, verb + " failed");
                return Outcome::ActionFailed;
            }
            return Outcome::Acted;
        }
        }
    }
}

LogFunction systemLog() {
    return
        [](int priority, const std::string& message) { ::syslog(priority, "%s", message.c_str()); };
}

} // namespace zarn::helper
