#pragma once

#include "sys/Fd.h"
#include "sys/Result.h"

#include <sys/types.h>

namespace zarn::sys {

/// A descriptor that pins the process `pid` (Linux's pidfd): a pid reused after the process ended
/// is never reached through it, and it becomes readable once the process has ended. Fails (with
/// the errno, ESRCH when there is no such process) where the kernel has no pidfds.
Result<Fd> openPidfd(pid_t pid);

/// Sends `signal` to the process pinned by `pidfd` (0 only checks that it lives).
Result<> signalPidfd(const Fd& pidfd, int signal);

/// Kills this process's child `pid` with SIGKILL (with `group`, its whole process group, which
/// the child must lead) and reaps it.
void killAndReap(pid_t pid, bool group = false);

/// Waits for this process's child `pid` until `deadline` (on a pidfd where there is one, else by
/// polling), and kills and reaps it then: its exit status; -1 when it was killed, a signal ended
/// it, or it cannot be waited for (not this process's child).
int waitBounded(pid_t pid, Deadline deadline, bool group = false);

} // namespace zarn::sys
