#include "helper/TaskLock.h"

#include "task/TaskRecord.h"

#include <cerrno>
#include <charconv>
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
    const int fd =
        ::openat(folderFd, task::taskLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return {};
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        ((status.st_mode & 0077) != 0 && ::fchmod(fd, 0600) != 0)) {
        ::close(fd);
        return {};
    }
    int locked = -1;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        return {TaskLock::State::Taken, fd, 0};
    }
    if (errno != EWOULDBLOCK) {
        ::close(fd);
        return {};
    }
    // The holder's starter records it right after the fork; give that a moment.
    pid_t holder = recordedLockHolder(fd);
    for (int round = 0; holder == 0 && round < 100; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        holder = recordedLockHolder(fd);
    }
    ::close(fd);
    return {TaskLock::State::Busy, -1, holder};
}

bool recordLockHolder(int fd, pid_t pid) {
    const std::string text = std::to_string(pid) + '\n';
    if (::ftruncate(fd, 0) != 0) {
        return false;
    }
    ssize_t written = -1;
    do {
        written = ::pwrite(fd, text.data(), text.size(), 0);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(text.size());
}

pid_t recordedLockHolder(int fd) {
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) {
        return 0;
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text, text + got, pid);
    if (error != std::errc() || end == text || *end != '\n' || pid <= 0) {
        return 0;
    }
    return pid;
}

bool isLockHeldBy(int folderFd, pid_t pid) {
    const int fd = ::openat(folderFd, task::taskLockFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
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

} // namespace zarn::helper
