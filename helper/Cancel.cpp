#include "helper/Cancel.h"

#include "helper/TaskLock.h"
#include "sys/Process.h"
#include "task/TaskRecord.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zarn::helper {

namespace {

// The effective uid from the "Uid:" line of /proc/<pid>/status (real, effective, saved, fs).
bool hasEffectiveUid(pid_t pid, uid_t uid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Uid:", 0) == 0) {
            std::istringstream ids(line.substr(4));
            long real = -1;
            long effective = -1;
            return static_cast<bool>(ids >> real >> effective) &&
                   effective == static_cast<long>(uid);
        }
    }
    return false;
}

} // namespace

CancelOutcome cancelWaitingProcess(pid_t pid, int folderFd, std::string_view processName,
                                   std::chrono::milliseconds waitLimit) {
    if (pid <= 0) {
        return CancelOutcome::NoSuchProcess;
    }
    const sys::Result<sys::Fd> pidfd = sys::openPidfd(pid);
    if (!pidfd) {
        return pidfd.error().code == ESRCH ? CancelOutcome::NoSuchProcess : CancelOutcome::Failed;
    }
    // While the pinned process lives, /proc/<pid> is that process; should it end during the
    // checks, the signal below fails instead of reaching whoever took the number.
    const uid_t owner = ::geteuid();
    const std::optional<task::TaskRecord> record =
        task::readTaskRecord(folderFd, std::span<const uid_t>(&owner, 1));
    const std::optional<task::ProcessStat> stat = task::readProcessStat(pid);
    if (!record || record->pid != pid || !stat ||
        !task::recordMatchesProcess(*record, *stat, processName) || !hasEffectiveUid(pid, owner) ||
        !isLockHeldBy(folderFd, pid)) {
        const sys::Result<> alive = sys::signalPidfd(*pidfd, 0);
        return !alive && alive.error().code == ESRCH ? CancelOutcome::NoSuchProcess
                                                     : CancelOutcome::NotTheTask;
    }
    if (const sys::Result<> sent = sys::signalPidfd(*pidfd, SIGTERM); !sent) {
        return sent.error().code == ESRCH ? CancelOutcome::NoSuchProcess : CancelOutcome::Failed;
    }
    // The pidfd becomes readable once the process has ended.
    sys::waitReadable(pidfd->get(), std::chrono::steady_clock::now() + waitLimit);
    return CancelOutcome::Cancelled;
}

} // namespace zarn::helper
