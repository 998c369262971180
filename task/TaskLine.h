#pragma once

#include "sys/Action.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zarn::task {

/// A point on the real-time clock (CLOCK_REALTIME).
using Instant = std::chrono::system_clock::time_point;

using sys::Action;

/// A checked command line: the action and the stamp as given (its time is not checked yet).
struct Request {
    Action action;
    std::string stamp;
};

/// `args` are the arguments after the program name: exactly `-h`, `-r` or `-s` and one more
/// argument, the stamp. Anything else (no or extra arguments, another flag, a flag glued to its
/// stamp) gives nothing.
std::optional<Request> parseArguments(std::span<const std::string_view> args);

/// The option that requests `action`: "-h", "-r" or "-s".
std::string_view actionOption(Action action);

/// The instant of the local time that `stamp` names as yyMMddHHmm (year 2000 + yy, second 0).
/// Nothing unless it is exactly ten ASCII digits naming a real date and time: no month 0 or 13,
/// no 30 February, no hour 24 or minute 60, and no local time skipped by a daylight-saving change.
/// A local time that such a change repeats gives the earlier of its two instants.
std::optional<Instant> deadlineFromStamp(std::string_view stamp);

/// Whether the local time that a stamp names exists, and how often.
enum class LocalTime {
    Unique,   ///< exactly one instant has it
    Repeated, ///< the clocks go back over it: two instants have it
    Skipped,  ///< the clocks go forward over it: no instant has it
    Invalid,  ///< not ten ASCII digits, or no date and time of the calendar
};

/// What `stamp` (yyMMddHHmm, year 2000 + yy) names in the C library's local time (TZ as the C
/// library reads it, POSIX rules included).
LocalTime classifyStamp(std::string_view stamp);

/// The yyMMddHHmm stamp of `instant`'s minute in the C library's local time, the one that
/// deadlineFromStamp reads back; empty outside the years 2000 to 2099.
std::string stampFromInstant(Instant instant);

/// What waits and when: the task of a waiting process.
struct ScheduledTask {
    Action action;
    std::string stamp;
    Instant deadline; ///< may lie in the past: the process still waits, or is about to act
};

/// The task of a whole argument vector (program name first), read by exactly the helper's rules;
/// nothing when the arguments are not a task line or the stamp names no time.
std::optional<ScheduledTask> taskFromCommandLine(std::span<const std::string_view> argv);

#ifdef __APPLE__
/// The task of the waiting process `pid`, read from its command line with
/// `ps -o args= -p <pid>`. Nothing when the process is gone, its command line cannot be read, or
/// it is no task line. (On Linux the task comes from the helper's task record instead.)
std::optional<ScheduledTask> readScheduledTask(std::int64_t pid);
#endif

} // namespace zarn::task
