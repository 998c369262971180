#include "helper/Task.h"

#include <syslog.h>

namespace zarn::helper {

Decision decideAfterWake(Instant deadline, Instant wokeAt) {
    return wokeAt - deadline > lateLimit ? Decision::Missed : Decision::Act;
}

Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const ClockFunction& now) {
    return runTask(action, timer, stopFd, act, log, WarningPlan{}, now);
}

Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& warnings, const ClockFunction& now) {
    const std::string verb(actionVerb(action));
    const std::string when = describeInstant(timer.deadline());
    log(LOG_INFO, verb + " scheduled for " + when);
    for (const Instant warnAt : warnings.instants) {
        if (!warnings.warn) {
            break;
        }
        // On the plain real-time clock: a warning is no reason to wake a sleeping machine.
        const std::optional<DeadlineTimer> warningTimer = DeadlineTimer::arm(warnAt, false);
        const WaitEnd end = warningTimer ? warningTimer->wait(stopFd) : WaitEnd::Failed;
        if (end == WaitEnd::Stopped) {
            log(LOG_INFO, verb + " for " + when + " cancelled by SIGTERM");
            return Outcome::Cancelled;
        }
        if (end == WaitEnd::Failed) {
            log(LOG_WARNING, "waiting for the warnings before " + when + " failed; none sent");
            break;
        }
        const Instant reachedAt = now();
        if (reachedAt - warnAt > warningLateLimit || reachedAt >= timer.deadline()) {
            const auto late = std::chrono::duration_cast<std::chrono::seconds>(reachedAt - warnAt);
            log(LOG_INFO, "warning of " + describeInstant(warnAt) + " skipped: reached " +
                              std::to_string(late.count()) + " s late");
            continue;
        }
        warnings.warn(action, timer.deadline(), stopFd);
    }
    switch (timer.wait(stopFd)) {
    case WaitEnd::Stopped:
        log(LOG_INFO, verb + " for " + when + " cancelled by SIGTERM");
        return Outcome::Cancelled;
    case WaitEnd::Failed:
        log(LOG_ERR, "waiting for " + when + " failed; " + verb + " not done");
        return Outcome::WaitFailed;
    case WaitEnd::Reached:
        break;
    }
    const Instant wokeAt = now();
    if (decideAfterWake(timer.deadline(), wokeAt) == Decision::Missed) {
        const auto late =
            std::chrono::duration_cast<std::chrono::seconds>(wokeAt - timer.deadline());
        log(LOG_WARNING, verb + " for " + when + " missed: woke " + std::to_string(late.count()) +
                             " s late, not acting");
        return Outcome::Missed;
    }
    log(LOG_NOTICE, "acting now: " + verb);
    if (!act(action)) {
        log(LOG_ERR, verb + " failed");
        return Outcome::ActionFailed;
    }
    return Outcome::Acted;
}

LogFunction systemLog() {
    return
        [](int priority, const std::string& message) { ::syslog(priority, "%s", message.c_str()); };
}

} // namespace zarn::helper
