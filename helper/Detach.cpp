#include "helper/Detach.h"

#include "sys/Decimal.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace zarn::helper {

namespace {

void closeRange(unsigned first, unsigned last) {
    if (first > last) {
        return;
    }
    if (::close_range(first, last, 0) == 0) {
        return;
    }
    // Kernels before 5.9 have no close_range; the open descriptors are listed in /proc instead.
    std::vector<int> open;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        const int listing = ::dirfd(dir);
        while (const dirent* entry = ::readdir(dir)) {
            const std::optional<unsigned> fd = sys::parseDecimal<unsigned>(entry->d_name);
            if (fd && static_cast<int>(*fd) != listing && *fd >= first && *fd <= last) {
                open.push_back(static_cast<int>(*fd));
            }
        }
        ::closedir(dir);
    }
    for (const int fd : open) {
        ::close(fd);
    }
}

} // namespace

sys::Result<std::vector<int>> detachFromCaller(std::span<const int> keepFds) {
    if (::setsid() < 0 || ::chdir("/") != 0) {
        return sys::systemError("setsid");
    }
    std::vector<int> kept(keepFds.begin(), keepFds.end());
    for (int& fd : kept) {
        if (fd >= 0 && fd <= STDERR_FILENO) {
            fd = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            if (fd < 0) {
                return sys::systemError("fcntl");
            }
        }
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        return sys::systemError("/dev/null");
    }
    for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard) {
        if (null != standard && ::dup2(null, standard) < 0) {
            return sys::systemError("dup2");
        }
    }
    closeDescriptorsExcept(kept);
    std::signal(SIGHUP, SIG_IGN);
    return kept;
}

void closeDescriptorsExcept(std::span<const int> keepFds) {
    std::vector<int> sorted;
    for (const int fd : keepFds) {
        if (fd > STDERR_FILENO) {
            sorted.push_back(fd);
        }
    }
    std::sort(sorted.begin(), sorted.end());
    unsigned first = STDERR_FILENO + 1;
    for (const int fd : sorted) {
        closeRange(first, static_cast<unsigned>(fd) - 1);
        first = static_cast<unsigned>(fd) + 1;
    }
    closeRange(first, UINT_MAX);
}

void resetSignalHandling() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    // SIGKILL and SIGSTOP cannot be changed, and the C library keeps a few real-time signals for
    // itself; sigaction refuses those, which is fine.
    for (int signal = 1; signal < NSIG; ++signal) {
        ::sigaction(signal, &standard, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

} // namespace zarn::helper
