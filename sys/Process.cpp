#include "sys/Process.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#if __has_include(<sys/syscall.h>)
#include <sys/syscall.h>
#endif

namespace zarn::sys {

// Through syscall(): the C library's own wrappers are newer than some systems this builds on.
Result<Fd> openPidfd([[maybe_unused]] pid_t pid) {
#ifdef SYS_pidfd_open
    if (const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); fd >= 0) {
        return Fd(fd);
    }
    return systemError("pidfd_open");
#else
    return systemError("pidfd_open", ENOSYS);
#endif
}

Result<> signalPidfd([[maybe_unused]] const Fd& pidfd, [[maybe_unused]] int signal) {
#ifdef SYS_pidfd_send_signal
    if (::syscall(SYS_pidfd_send_signal, pidfd.get(), signal, nullptr, 0) == 0) {
        return Ok{};
    }
    return systemError("pidfd_send_signal");
#else
    return systemError("pidfd_send_signal", ENOSYS);
#endif
}

void killAndReap(pid_t pid, bool group) {
    ::kill(group ? -pid : pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

int waitBounded(pid_t pid, Deadline deadline, bool group) {
    // A pidfd wakes the wait as soon as the child ends: no polling interval added to each
    // command. Without one (macOS, old kernels) the loop below polls.
    if (const Result<Fd> pidfd = openPidfd(pid)) {
        waitReadable(pidfd->get(), deadline);
    }
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            return done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            killAndReap(pid, group);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace zarn::sys
