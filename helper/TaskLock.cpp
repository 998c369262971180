#include "helper/TaskLock.h"

#include "sys/Decimal.h"
#include "task/TaskRecord.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace zarn::helper {

std::string executableFileName(const char* argv0) {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return executable.filename().string();
    }
    return std::filesystem::path(argv0 != nullptr ? argv0 : "").filename().string();
}

TaskLock takeTaskLock(int folderFd) {
    // Only its owner can write to the folder; still, a link is never followed, and only a file of
    // this user's that no one else can open is taken.
    sys::Fd fd(::openat(folderFd, task::taskLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                        0600));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid() ||
        ((status.st_mode & 0077) != 0 && ::fchmod(fd.get(), 0600) != 0)) {
        return {};
    }
    int locked = -1;
    do {
        locked = ::flock(fd.get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        return {TaskLock::State::Taken, std::move(fd), 0};
    }
    if (errno != EWOULDBLOCK) {
        return {};
    }
    // The holder's starter records it right after the fork; give that a moment.
    pid_t holder = recordedLockHolder(fd.get());
    for (int round = 0; holder == 0 && round < 100; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        holder = recordedLockHolder(fd.get());
    }
    return {TaskLock::State::Busy, sys::Fd(), holder};
}

sys::Result<> recordLockHolder(int fd, pid_t pid) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        return sys::systemError("cannot record the lock's holder");
    }
    return sys::writeAll(fd, std::to_string(pid) + '\n');
}

pid_t recordedLockHolder(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) {
        return 0;
    }
    const std::string_view line(text, static_cast<std::size_t>(got));
    const std::optional<pid_t> pid = line.back() == '\n'
                                         ? sys::parseDecimal<pid_t>(line.substr(0, line.size() - 1))
                                         : std::nullopt;
    return pid && *pid > 0 ? *pid : 0;
}

bool isLockHeldBy(int folderFd, pid_t pid) {
    const sys::Fd fd(::openat(folderFd, task::taskLockFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd.get(), LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK && recordedLockHolder(fd.get()) == pid;
}

} // namespace zarn::helper
