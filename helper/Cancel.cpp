#include "helper/Cancel.h"

#include "helper/TaskLock.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
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

bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// True when someone holds the lock at `lockPath` and has recorded `pid` as its holder.
bool holdsTheLock(pid_t pid, const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    bool held = false;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
            ::flock(fd, LOCK_UN);
        } else {
            held = errno == EWOULDBLOCK && recordedLockHolder(fd) == pid;
        }
    }
    ::close(fd);
    return held;
}

} // namespace

CancelOutcome cancelWaitingProcess(pid_t pid, const std::string& lockPath,
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
    const std::string proc = "/proc/" + std::to_string(pid);
    CancelOutcome outcome = CancelOutcome::NotTheTask;
    if (sameFile(proc + "/exe", "/proc/self/exe") && hasEffectiveUid(pid, ::geteuid()) &&
        holdsTheLock(pid, lockPath)) {
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
