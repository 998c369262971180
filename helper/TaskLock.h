#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

/// The outcome of trying to take the one-task lock.
struct TaskLock {
    enum class State { Taken, Busy, Failed };
    State state = State::Failed;
    /// Taken: the locked descriptor (close-on-exec). The lock lasts while any process keeps it.
    int fd = -1;
    /// Busy: the waiting process that holds the lock, 0 when it has not recorded itself yet.
    pid_t holder = 0;
};

/// The lock file of the program whose executable file is called `programFileName`:
/// /run/lock/<name>.lock, or in the temporary folder where there is no /run/lock. Each name has a
/// lock of its own, so copies under other names never meet.
std::string taskLockPath(std::string_view programFileName);

/// The file name of the running executable (/proc/self/exe), else the last part of `argv0`.
std::string executableFileName(const char* argv0);

/// Takes the lock at `path` without waiting, creating the file when needed. Failed when it cannot
/// be opened, or is not a regular file owned by this user (a file planted by someone else, or a
/// link, is never used). Busy when another process holds it; the recorded holder is read back,
/// waiting up to a second for a holder that has just started to record itself.
TaskLock takeTaskLock(const std::string& path);

/// Records `pid` as the holder in the locked file `fd`; false when the write fails.
bool recordLockHolder(int fd, pid_t pid);

/// The holder recorded in the lock file `fd`; 0 when none is.
pid_t recordedLockHolder(int fd);

} // namespace zarn::helper
