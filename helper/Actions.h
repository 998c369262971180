#pragma once

#include "helper/Request.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::helper {

/// One command as its argument vector; a first element without a slash is looked up in
/// systemPath's folders, never in the caller's PATH.
using CommandArgs = std::vector<std::string>;

/// The only PATH and environment that the programs run by the helper see, whatever the helper
/// itself was started with.
inline constexpr const char* systemPath = "/usr/bin:/bin:/usr/sbin:/sbin";

/// `program` as it will be run: unchanged when it holds a slash, else the first executable file
/// of that name in systemPath's folders; empty when there is none.
std::string resolveProgram(const std::string& program);

/// Runs the first of `commands` whose program exists, in a child with every signal unblocked,
/// SIGHUP and SIGPIPE back at their defaults and only PATH=systemPath and LANG=C in its
/// environment, and waits for it at most `limit` (then kills it). Succeeds when it exited with
/// status 0; fails when none exists, it failed, or it ran out of time.
sys::Result<> runFirstAvailable(const std::vector<CommandArgs>& commands,
                                std::chrono::milliseconds limit);

/// `systemctl <word>`, or `loginctl <word>` where there is no systemctl, waited for at most 60 s.
sys::Result<> runSystemAction(Action action);

/// Appends "<word> <stamp>\n" to `logPath` with a single write, creating the file when needed.
/// Fails when the path is empty, the file cannot be opened, or the write falls short.
sys::Result<> recordDryRunAction(const std::string& logPath, Action action, std::string_view stamp);

} // namespace zarn::helper
