#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zarn::helper {

/// A point on the real-time clock (CLOCK_REALTIME).
using Instant = std::chrono::system_clock::time_point;

/// What the waiting process does at its deadline.
enum class Action { PowerOff, Reboot, Suspend };

/// A checked command line: the action and the stamp as given (its time is not checked yet).
struct Request {
    Action action;
    std::string stamp;
};

/// The fixed name in every message, whatever the executable is called.
inline constexpr std::string_view programName = "zarn-shutdown";
inline constexpr std::string_view usageText = "usage: zarn-shutdown -h|-r|-s yyMMddHHmm";

/// `args` are the arguments after the program name: exactly `-h`, `-r` or `-s` and one more
/// argument, the stamp. Anything else (no or extra arguments, another flag, a flag glued to its
/// stamp) gives nothing.
std::optional<Request> parseArguments(std::span<const std::string_view> args);

/// The systemctl and loginctl verb of `action`: "poweroff", "reboot" or "suspend".
std::string_view actionVerb(Action action);

/// The instant of the local time that `stamp` names as yyMMddHHmm (year 2000 + yy, second 0).
/// Nothing unless it is exactly ten ASCII digits naming a real date and time: no month 0 or 13,
/// no 30 February, no hour 24 or minute 60, and no local time skipped by a daylight-saving change.
/// A local time that such a change repeats gives one of its two instants.
std::optional<Instant> deadlineFromStamp(std::string_view stamp);

/// `instant` as local "YYYY-MM-DD HH:MM:SS ZONE", for log messages.
std::string describeInstant(Instant instant);
/// `instant` in local time by the strftime `format`; seconds since 1970 if it cannot be formatted.
std::string formatLocal(Instant instant, const char* format);

} // namespace zarn::helper
