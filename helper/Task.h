#pragma once

#include "helper/DeadlineTimer.h"
#include "helper/Request.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
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

/// A warning can offer the user actions: never to bring the task forward, only to drop or delay it.
enum class Offer { Nothing, Cancel, CancelOrPostpone };

/// The user's choice in a warning, one byte on a ChoiceSource.
inline constexpr char cancelChoice = 'c';
inline constexpr char postponeChoice = 'p';

/// Where a warning on screen delivers the user's choices: bytes on `fd`, from the process `pid`
/// (0: none) that listens for them. Move-only; closes the descriptor, kills and reaps the process.
class ChoiceSource {
public:
    ChoiceSource() = default;
    ChoiceSource(int fd, pid_t pid) : fd_(fd), pid_(pid) {}
    ChoiceSource(ChoiceSource&& other) noexcept;
    ChoiceSource& operator=(ChoiceSource&& other) noexcept;
    ChoiceSource(const ChoiceSource&) = delete;
    ChoiceSource& operator=(const ChoiceSource&) = delete;
    ~ChoiceSource();

    /// -1 when there is nothing to listen to.
    int fd() const { return fd_; }

private:
    void close();
    int fd_ = -1;
    pid_t pid_ = 0;
};

/// Warns that `action` comes at `deadline`, offering `offer`; must return by the deadline, and at
/// once when `stopFd` becomes readable. Returns where the user's choices come from, if anywhere.
using WarnFunction =
    std::function<ChoiceSource(Action action, Instant deadline, Offer offer, int stopFd)>;

/// What the user is told besides the warnings.
enum class Notice { Skipped, Cancelled, Postponed };
/// Tells of `notice` for `action` at `deadline`; bounded like a warning.
using NoticeFunction =
    std::function<void(Notice notice, Action action, Instant deadline, int stopFd)>;

/// Warnings this close to the deadline offer Cancel and Postpone.
inline constexpr std::chrono::seconds actionLead{300};
/// One postpone moves the deadline this much later, at most postponeLimit times.
inline constexpr std::chrono::minutes postponeStep{10};
inline constexpr int postponeLimit = 6;

/// The warnings of a task: when (all before the deadline) and how, and what the user's choices do.
struct WarningPlan {
    std::vector<Instant> instants;
    WarnFunction warn;
    /// How long before a postponed deadline the warnings come again; empty: as long before it as
    /// `instants` are before the first deadline.
    std::vector<std::chrono::seconds> offsets = {};
    /// Moves the task to the new deadline outside the process (its record); false refuses.
    std::function<bool(Instant newDeadline)> postpone = nullptr;
    /// Tells that the task was postponed; nothing when null.
    NoticeFunction notify = nullptr;
    std::chrono::milliseconds postponeBy = postponeStep;
    /// The last warning before the deadline wakes a sleeping machine, so that it comes first.
    bool wakeForLastWarning = false;
    /// Who gets the warnings, for the log ("uid 1000").
    std::string user = "the user";
};

/// The life of the waiting process after it has started: logs that `action` is scheduled for
/// the timer's deadline, waits (a readable `stopFd` cancels), takes the wake time from `now`,
/// decides, and calls `act` at most once. Logs the cancel, the act, the miss or the failure.
Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const ClockFunction& now = std::chrono::system_clock::now);

/// runTask that also warns at each of the plan's instants in turn. A warning reached more than
/// warningLateLimit late, or at or after the deadline, is skipped and logged; a wait for a warning
/// that fails only drops the remaining warnings. SIGTERM cancels during any wait and any warning.
/// The newest warning's choices are heard until the deadline: Cancel ends the task; Postpone
/// moves the deadline by postponeBy (postponeLimit times at most, refused once the plan's
/// `postpone` fails) and warns again at the same distances before the new deadline.
Outcome runTask(Action action, const DeadlineTimer& timer, int stopFd, const ActionFunction& act,
                const LogFunction& log, const WarningPlan& warnings,
                const ClockFunction& now = std::chrono::system_clock::now);

/// A LogFunction for syslog; the caller opens the log with its ident.
LogFunction systemLog();

} // namespace zarn::helper
