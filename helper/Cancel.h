#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

namespace zarn::helper {

/// How a request to cancel a task ended.
enum class CancelOutcome {
    Cancelled,     ///< SIGTERM reached the waiting process
    NoSuchProcess, ///< nothing runs under that pid (any more)
    NotTheTask,    ///< the pid is not the waiting process that holds the lock
    Failed,        ///< the checks or the signal could not be carried out
};

/// Sends SIGTERM to `pid` only when it is the waiting process of this very program: it runs the
/// same executable file as the caller, with the caller's effective uid, and it is the holder
/// recorded in the one-task lock at `lockPath`, which is held. The process is pinned with a pidfd
/// before the checks and signalled through it, so a pid reused in the meantime is never
/// signalled. Then waits up to `waitLimit` for it to end.
CancelOutcome cancelWaitingProcess(pid_t pid, const std::string& lockPath,
                                   std::chrono::milliseconds waitLimit);

} // namespace zarn::helper
