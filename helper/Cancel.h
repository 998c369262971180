#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

/// How a request to cancel a task ended.
enum class CancelOutcome {
    Cancelled,     ///< SIGTERM reached the waiting process
    NoSuchProcess, ///< nothing runs under that pid (any more)
    NotTheTask,    ///< the pid is not the waiting process that holds the lock
    Failed,        ///< the checks or the signal could not be carried out
};

/// Sends SIGTERM to `pid` only when it is the waiting process of this program's task folder
/// `folderFd`: the folder's task record (a file of the caller's effective user) names `pid` and
/// its start time, the process is alive under the name `processName` with the caller's effective
/// uid, and it holds the one-task lock. The executable file is not compared, so a task started
/// before a package upgrade replaced the file is still found. The process is pinned with a pidfd
/// before the checks and signalled through it, so a pid reused in the meantime is never
/// signalled. Then waits up to `waitLimit` for it to end.
CancelOutcome cancelWaitingProcess(pid_t pid, int folderFd, std::string_view processName,
                                   std::chrono::milliseconds waitLimit);

} // namespace zarn::helper
