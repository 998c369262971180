#pragma once

#include "helper/DeadlineTimer.h"
#include "helper/Request.h"

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
/// Writes one message with a syslog priority (LOG_INFO, LOG_WARNING, LOG_ERR).
using LogFunction = std::function<void(int priority, const std::string& message)>;
using ClockFunction = std::function<Instant()>;

/// Warns that `action` comes at `deadline`; must return by the deadline, and at once when
/// `stopFd` becomes readable.
using WarnFunction = std::function<void(Action action, Instant deadline, int stopFd)>;

/// The warnings of a task: when (earliest first, all before the deadline) and how.
struct WarningPlan {
    std::vector<Instant> instants;
    WarnFunction warn;
};

/// The life of the waiting process after it has started: logs that `action` is scheduled for
/// the timer's deadline, waits (a readable `stopFd` cancels), takes the wake time from `now`,
/// decides, and calls `act` at most once. Logs the cancel, the act, the miss or the failure.
Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const ClockFunction& now = std::chrono::system_clock::now);

/// runTask that first waits for each of the plan's instants in turn and calls its `warn` there.
/// A warning reached more than warningLateLimit late, or at or after the deadline, is skipped and
/// logged; a wait for a warning that fails only drops the remaining warnings. SIGTERM cancels
/// during any of the waits and during a warning.
Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& warnings,
                const ClockFunction& now = std::chrono::system_clock::now);

/// A LogFunction for syslog; the caller opens the log with its ident.
LogFunction systemLog();

} // namespace zarn::helper
