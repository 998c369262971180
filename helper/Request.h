#pragma once

#include "sys/Action.h"
#include "sys/Result.h"
#include "task/TaskLine.h"

#include <functional>
#include <string>
#include <string_view>

namespace zarn::helper {

// The task line and its time are the shared task library's; the helper's code names them here.
using sys::actionWord;
using task::Action;
using task::Instant;
using task::Request;

/// Writes one message with a syslog priority (LOG_INFO, LOG_WARNING, LOG_ERR).
using LogFunction = std::function<void(int priority, const std::string& message)>;

/// The fixed name in every message, whatever the executable is called.
inline constexpr std::string_view programName = "zarn-shutdown";
inline constexpr std::string_view usageText =
    "usage: zarn-shutdown -h|-r|-s yyMMddHHmm | -c pid | --show | --help | --version";

/// `text` as it may be written to a terminal or the log, on one line: at most its first `limit`
/// bytes, each byte that is not printable ASCII (and the backslash) written as \xNN, then "..."
/// when it was longer. Text from a caller or a user's server must never reach either raw: escape
/// sequences would act on a terminal, and a newline would forge a log line.
std::string shownText(std::string_view text, std::size_t limit);

/// `instant` as local "YYYY-MM-DD HH:MM:SS ZONE", for log messages.
std::string describeInstant(Instant instant);
/// `instant` in local time by the strftime `format`; seconds since 1970 if it cannot be formatted.
std::string formatLocal(Instant instant, const char* format);

} // namespace zarn::helper
