#pragma once

#include "helper/DeadlineTimer.h"
#include "helper/Request.h"
#include "helper/Warnings.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zarn::helper {

/// How late the wait may end and the action still be taken.
inline constexpr std::chrono::seconds lateLimit{300};

/// A warning reached later than this (the machine slept past it) is not sent.
inline constexpr std::chrono::seconds warningLateLimit{30};

enum class Decision { Act, Missed };

/// Act when `wokeAt` is at most five minutes after `deadline` (a wake before the deadline acts
/// too); Missed when later, because the machine was asleep or off, or the clock jumped ahead.
Decision decideAfterWake(Instant deadline, Instant wokeAt);

/// How a scheduled task ended.
enum class Outcome { Acted, ActionFailed, Missed, Cancelled, WaitFailed };

/// Carries the action out; true when it was done.
using ActionFunction = std::function<bool(Action)>;
using ClockFunction = std::function<Instant()>;

/// Warns that `action` comes at `deadline`, offering `offer`; must return by the deadline, and at
/// once when `stopFd` becomes readable. Returns where the user's choices come from, if anywhere.
using WarnFunction =
    std::function<ChoiceSource(Action action, Instant deadline, Offer offer, int stopFd)>;
/// Tells of `notice` for `action` at `deadline`; bounded like a warning.
using NoticeFunction =
    std::function<void(Notice notice, Action action, Instant deadline, int stopFd)>;

/// Warnings this close to the deadline offer Cancel and Postpone.
inline constexpr std::chrono::seconds actionLead{300};
/// One postpone moves the deadline this much later, at most postponeLimit times.
inline constexpr std::chrono::minutes postponeStep{10};
inline constexpr int postponeLimit = 6;

/// The warnings of a task: when they come, what each offers, and what the user's choices do.
struct WarningPlan {
    /// How long before the deadline, the first one and each postponed one, the warnings come;
    /// those already past when a deadline is set are not sent.
    std::vector<std::chrono::milliseconds> offsets;
    WarnFunction warn;
    /// Moves the task to the new deadline outside the process (its record); false refuses.
    std::function<bool(Instant newDeadline)> postpone = nullptr;
    /// Tells that the task was postponed or could not be.
    NoticeFunction notify = [](Notice, Action, Instant, int) {};
    std::chrono::milliseconds postponeBy = postponeStep;
    /// The last warning before the deadline wakes a sleeping machine, so that it comes first.
    bool wakeForLastWarning = false;
    /// Who gets the warnings, for the log ("uid 1000").
    std::string user = "the user";

    /// What the warning at `warnAt` for `deadline` offers after `postpones` postpones: nothing
    /// when it comes more than actionLead ahead; Cancel alone once postponeLimit is reached or
    /// when the postponed deadline would have no stamp (after 2099); else Cancel and Postpone.
    Offer offerAt(Instant deadline, Instant warnAt, int postpones) const;
};

/// The life of the waiting process after it has started: logs that `action` is scheduled for
/// the timer's deadline, waits (a readable `stopFd` cancels), takes the wake time from `now`,
/// decides, and calls `act` at most once; logs the cancel, the act, the miss or the failure.
/// Warns at the plan's instants in turn: one reached more than warningLateLimit late, or at or
/// after the deadline, is skipped and logged; a wait for a warning that fails only drops the rest.
/// The newest warning's choices are heard until the deadline: Cancel ends the task; Postpone
/// moves the deadline by postponeBy (the old deadline's timer and wake alarm are let go) and warns
/// again at the same distances before the new one; a postpone that fails is logged and told with
/// Notice::NotPostponed. A press of a button the warning did not offer does nothing.
Outcome runTask(Action action, DeadlineTimer timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& plan = {},
                const ClockFunction& now = std::chrono::system_clock::now);

/// A LogFunction for syslog; the caller opens the log with its ident.
LogFunction systemLog();

} // namespace zarn::helper
