#include "helper/Cancel.h"

#include "helper/TaskLock.h"
#include "task/TaskRecord.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/syscall.h>
#include <unistd.h>

namespace zarn::helper {

namespace {

// Through syscall(): the C library's own wrappers are newer than some systems this builds on, and
// its header lacks C++ linkage in the version that first had them.
int openPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int signalPidfd(int pidfd, int signal) {
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

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
    const int pidfd = openPidfd(pid);
    if (pidfd < 0) {
        return errno == ESRCH ? CancelOutcome::NoSuchProcess : CancelOutcome::Failed;
    }
    // While the pinned process lives, /proc/<pid> is that process; should it end during the
    // checks, the signal below fails instead of reaching whoever took the number.
    const uid_t owner = ::geteuid();
    const std::optional<task::TaskRecord> record =
        task::readTaskRecord(folderFd, std::span<const uid_t>(&owner, 1));
    const std::optional<task::ProcessStat> stat = task::readProcessStat(pid);
    CancelOutcome outcome = CancelOutcome::NotTheTask;
    if (record && record->pid == pid && stat &&
        task::recordMatchesProcess(*record, *stat, processName) && hasEffectiveUid(pid, owner) &&
        isLockHeldBy(folderFd, pid)) {
        if (signalPidfd(pidfd, SIGTERM) == 0) {
            outcome = CancelOutcome::Cancelled;
            // The pidfd becomes readable once the process has ended.
            pollfd ended{pidfd, POLLIN, 0};
            while (::poll(&ended, 1, static_cast<int>(waitLimit.count())) < 0 && errno == EINTR) {
            }
        } else {
            outcome = errno == ESRCH ? CancelOutcome::NoSuchProcess : CancelOutcome::Failed;
        }
    } else if (signalPidfd(pidfd, 0) != 0 && errno == ESRCH) {
        outcome = CancelOutcome::NoSuchProcess;
    }
    ::close(pidfd);
    return outcome;
}

} // namespace zarn::helper
