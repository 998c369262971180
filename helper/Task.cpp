#include "helper/Task.h"

#include "task/TaskLine.h"

#include <cerrno>
#include <poll.h>
#include <syslog.h>

namespace zarn::helper {

Decision decideAfterWake(Instant deadline, Instant wokeAt) {
    return wokeAt - deadline > lateLimit ? Decision::Missed : Decision::Act;
}

Offer WarningPlan::offerAt(Instant deadline, Instant warnAt, int postpones) const {
    if (deadline - warnAt > actionLead) {
        return Offer::Nothing;
    }
    // A deadline without a stamp could be neither shown nor cancelled.
    const bool canMove =
        postpones < postponeLimit && !task::stampFromInstant(deadline + postponeBy).empty();
    return canMove ? Offer::CancelOrPostpone : Offer::Cancel;
}

namespace {

// What the poll of the waiting process saw first.
enum class Event { Deadline, Stop, Choice, ChoicesEnded, Warning, DeadlineFailed, WarningFailed };

// One task's wait: its deadline (replaced on each postpone), the warnings still ahead, and the
// choices of the warning on screen.
class WaitingLoop {
public:
    WaitingLoop(Action action, DeadlineTimer timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& plan, const ClockFunction& now)
        : action_(action), verb_(actionWord(action)), timer_(std::move(timer)), stopFd_(stopFd),
          act_(act), log_(log), plan_(plan), now_(now) {}

    Outcome run() {
        log_(LOG_INFO, verb_ + " scheduled for " + when());
        planWarnings();
        for (;;) {
            armNextWarning();
            if (const std::optional<Outcome> outcome = handle(waitForEvent())) {
                return *outcome;
            }
        }
    }

private:
    std::string when() const { return describeInstant(timer_.deadline()); }

    // The warnings still ahead of the deadline now set, and the alarm that wakes the machine for
    // the last of them: a warning is no reason to wake it, but the last one before a deadline that
    // wakes it is, or the user at the machine would not see it. That alarm only wakes; the
    // warnings' own timers, which sleep with the machine, then find their instants reached.
    void planWarnings() {
        pending_ = plan_.warn ? warningInstants(now_(), timer_.deadline(), plan_.offsets)
                              : std::vector<Instant>();
        warningTimer_.reset();
        wakeAlarm_.reset();
        if (plan_.wakeForLastWarning && !pending_.empty()) {
            if (sys::Result<DeadlineTimer> alarm = DeadlineTimer::arm(pending_.back(), true)) {
                wakeAlarm_ = std::move(*alarm);
            }
        }
    }

    void armNextWarning() {
        if (warningTimer_ || pending_.empty()) {
            return;
        }
        if (sys::Result<DeadlineTimer> timer = DeadlineTimer::arm(pending_.front(), false)) {
            warningTimer_ = std::move(*timer);
        } else {
            dropWarnings();
        }
    }

    void dropWarnings() {
        log_(LOG_WARNING, "waiting for the warnings before " + when() + " failed; none sent");
        warningTimer_.reset();
        pending_.clear();
    }

    Event waitForEvent() {
        for (;;) {
            pollfd watched[4] = {{timer_.fd(), POLLIN, 0},
                                 {stopFd_, POLLIN, 0},
                                 {choices_.fd(), POLLIN, 0},
                                 {warningTimer_ ? warningTimer_->fd() : -1, POLLIN, 0}};
            if (::poll(watched, 4, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Event::DeadlineFailed;
            }
            if (watched[1].revents != 0) {
                return Event::Stop;
            }
            if (watched[0].revents != 0) {
                if (const std::optional<bool> ok = timer_.expired(watched[0].revents)) {
                    return *ok ? Event::Deadline : Event::DeadlineFailed;
                }
            } else if (watched[2].revents != 0) {
                choice_ = choices_.next();
                return choice_ ? Event::Choice : Event::ChoicesEnded;
            } else if (watched[3].revents != 0) {
                if (const std::optional<bool> ok = warningTimer_->expired(watched[3].revents)) {
                    return *ok ? Event::Warning : Event::WarningFailed;
                }
            }
        }
    }

    std::optional<Outcome> handle(Event event) {
        switch (event) {
        case Event::Stop:
            log_(LOG_INFO, verb_ + " for " + when() + " cancelled by SIGTERM");
            return Outcome::Cancelled;
        case Event::DeadlineFailed:
            log_(LOG_ERR, "waiting for " + when() + " failed; " + verb_ + " not done");
            return Outcome::WaitFailed;
        case Event::WarningFailed:
            dropWarnings();
            break;
        case Event::ChoicesEnded:
            break;
        case Event::Warning:
            warn();
            break;
        case Event::Choice:
            // A button the warning did not offer (a server may send any key) does nothing.
            if (!offeredChoice(offered_, choiceKey(*choice_))) {
                break;
            }
            if (*choice_ == Choice::Cancel) {
                log_(LOG_NOTICE, verb_ + " for " + when() + " cancelled from the notification by " +
                                     plan_.user);
                return Outcome::Cancelled;
            }
            postpone();
            break;
        case Event::Deadline:
            return reachDeadline();
        }
        return std::nullopt;
    }

    void warn() {
        const Instant warnAt = pending_.front();
        pending_.erase(pending_.begin());
        warningTimer_.reset();
        const Instant reachedAt = now_();
        if (reachedAt - warnAt > warningLateLimit || reachedAt >= timer_.deadline()) {
            const auto late = std::chrono::duration_cast<std::chrono::seconds>(reachedAt - warnAt);
            log_(LOG_INFO, "warning of " + describeInstant(warnAt) + " skipped: reached " +
                               std::to_string(late.count()) + " s late");
            return;
        }
        // The new warning replaces the one on screen, and only its choices count.
        choices_ = ChoiceSource();
        offered_ = plan_.offerAt(timer_.deadline(), warnAt, postpones_);
        choices_ = plan_.warn(action_, timer_.deadline(), offered_, stopFd_);
    }

    void postpone() {
        const Instant later = timer_.deadline() + plan_.postponeBy;
        sys::Result<DeadlineTimer> laterTimer =
            DeadlineTimer::arm(later, timer_.clock() == CLOCK_REALTIME_ALARM);
        if (!laterTimer || (plan_.postpone && !plan_.postpone(later))) {
            log_(LOG_WARNING, "postpone of " + verb_ + " for " + when() + " by " + plan_.user +
                                  " failed; the deadline stays");
            plan_.notify(Notice::NotPostponed, action_, timer_.deadline(), stopFd_);
            return;
        }
        const std::string from = when();
        timer_ = std::move(*laterTimer);
        ++postpones_;
        log_(LOG_NOTICE, verb_ + " for " + from + " postponed to " + when() +
                             " from the notification by " + plan_.user + " (" +
                             std::to_string(postpones_) + " of " + std::to_string(postponeLimit) +
                             ")");
        choices_ = ChoiceSource();
        offered_ = Offer::Nothing;
        planWarnings();
        plan_.notify(Notice::Postponed, action_, later, stopFd_);
    }

    Outcome reachDeadline() {
        choices_ = ChoiceSource();
        const Instant wokeAt = now_();
        if (decideAfterWake(timer_.deadline(), wokeAt) == Decision::Missed) {
            const auto late =
                std::chrono::duration_cast<std::chrono::seconds>(wokeAt - timer_.deadline());
            log_(LOG_WARNING, verb_ + " for " + when() + " missed: woke " +
                                  std::to_string(late.count()) + " s late, not acting");
            return Outcome::Missed;
        }
        log_(LOG_NOTICE, "acting now: " + verb_);
        if (!act_(action_)) {
            log_(LOG_ERR, verb_ + " failed");
            return Outcome::ActionFailed;
        }
        return Outcome::Acted;
    }

    const Action action_;
    const std::string verb_;
    DeadlineTimer timer_;
    const int stopFd_;
    const ActionFunction& act_;
    const LogFunction& log_;
    const WarningPlan& plan_;
    const ClockFunction& now_;
    std::vector<Instant> pending_;
    std::optional<DeadlineTimer> warningTimer_;
    std::optional<DeadlineTimer> wakeAlarm_;
    ChoiceSource choices_;
    Offer offered_ = Offer::Nothing;
    std::optional<Choice> choice_;
    int postpones_ = 0;
};

} // namespace

Outcome runTask(Action action, DeadlineTimer timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& plan, const ClockFunction& now) {
    return WaitingLoop(action, std::move(timer), stopFd, act, log, plan, now).run();
}

LogFunction systemLog() {
    return
        [](int priority, const std::string& message) { ::syslog(priority, "%s", message.c_str()); };
}

} // namespace zarn::helper
