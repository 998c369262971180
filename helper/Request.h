#pragma once

#include "task/TaskLine.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

// The task line and its time are the shared task library's; the helper's code names them here.
using task::Action;
using task::classifyStamp;
using task::deadlineFromStamp;
using task::Instant;
using task::LocalTime;
using task::parseArguments;
using task::Request;

/// The fixed name in every message, whatever the executable is called.
inline constexpr std::string_view programName = "zarn-shutdown";
inline constexpr std::string_view usageText =
    "usage: zarn-shutdown -h|-r|-s yyMMddHHmm | -c pid | --show | --help | --version";

/// The pid of a cancel request, `-c <pid>`: exactly two arguments, the second a positive decimal
/// number that fits a pid; nothing for anything else.
std::optional<pid_t> parseCancelArguments(std::span<const std::string_view> args);

/// `stamp` as it may be written to a terminal: at most its first 32 bytes, each byte that is not
/// printable ASCII (and the backslash) written as \xNN, then "..." when it was longer. A caller's
/// argument must never reach the terminal raw: escape sequences would act on it.
std::string shownStamp(std::string_view stamp);

/// The systemctl and loginctl verb of `action`: "poweroff", "reboot" or "suspend".
std::string_view actionVerb(Action action);

/// `instant` as local "YYYY-MM-DD HH:MM:SS ZONE", for log messages.
std::string describeInstant(Instant instant);
/// `instant` in local time by the strftime `format`; seconds since 1970 if it cannot be formatted.
std::string formatLocal(Instant instant, const char* format);

} // namespace zarn::helper
