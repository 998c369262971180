#pragma once

#include "sys/Fd.h"

#include <string>
#include <sys/types.h>

namespace zarn::helper {

/// The outcome of trying to take the one-task lock.
struct TaskLock {
    enum class State { Taken, Busy, Failed };
    State state = State::Failed;
    /// Taken: the locked descriptor (close-on-exec). The lock lasts while any process keeps it.
    sys::Fd fd;
    /// Busy: the waiting process that holds the lock, 0 when it has not recorded itself yet.
    pid_t holder = 0;
};

/// The file name of the running executable (/proc/self/exe), else the last part of `argv0`.
std::string executableFileName(const char* argv0);

/// Takes the lock file `lock` (mode 0600) in the task folder `folderFd` without waiting, creating
/// it when needed. Failed when it cannot be opened, or is not a regular file owned by this user (a
/// link is never followed). Busy when another process holds it; the recorded holder is read back,
/// waiting up to a second for a holder that has just started to record itself.
TaskLock takeTaskLock(int folderFd);

/// True when someone holds the lock in the task folder `folderFd` and has recorded `pid` as its
/// holder.
bool isLockHeldBy(int folderFd, pid_t pid);

/// Records `pid` as the holder in the locked file `fd`.
sys::Result<> recordLockHolder(int fd, pid_t pid);

/// The holder recorded in the lock file `fd`; 0 when none is.
pid_t recordedLockHolder(int fd);

} // namespace zarn::helper
