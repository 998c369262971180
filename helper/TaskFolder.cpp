#include "helper/TaskFolder.h"

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

namespace {

// The holder recorded in the lock file `fd`; 0 when none is.
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

// " (pid N)" for the holder of the lock `fd`, waiting a moment for the starter that has just
// taken it to record it; nothing when it has not.
std::string holderOf(int fd) {
    pid_t holder = recordedLockHolder(fd);
    for (int round = 0; holder == 0 && round < 100; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        holder = recordedLockHolder(fd);
    }
    return holder > 0 ? " (pid " + std::to_string(holder) + ")" : "";
}

} // namespace

std::string taskFolderPath(std::string_view parent, std::string_view programFileName) {
    return (std::filesystem::path(parent) / programFileName).string();
}

sys::Result<sys::Fd> makeTaskFolder(const std::string& path) {
    const std::string where = "cannot use the task folder " + path;
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        return sys::systemError(where);
    }
    sys::Fd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        const int openError = errno;
        // With O_DIRECTORY a link gives ENOTDIR, as a file does; tell them apart for the message.
        struct stat entry {};
        const bool link = ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
        return link                   ? sys::Error{where + ": it is a link"}
               : openError == ENOTDIR ? sys::Error{where + ": it is not a folder"}
                                      : sys::systemError(where, openError);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return sys::systemError(where);
    }
    if (status.st_uid != ::geteuid()) {
        return sys::Error{where + ": it belongs to uid " + std::to_string(status.st_uid)};
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return sys::Error{where + ": others may write to it"};
    }
    // A new folder's mode passed through the umask, and an old one may have been narrowed.
    if ((status.st_mode & 07777) != 0755 && ::fchmod(fd.get(), 0755) != 0) {
        return sys::systemError(where);
    }
    return fd;
}

std::string executableFileName(const char* argv0) {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return executable.filename().string();
    }
    return std::filesystem::path(argv0 != nullptr ? argv0 : "").filename().string();
}

sys::Result<sys::Fd> takeTaskLock(int folderFd, const std::string& folderPath) {
    // Only its owner can write to the folder; still, a link is never followed, and only a file of
    // this user's that no one else can open is taken.
    sys::Fd fd(::openat(folderFd, task::taskLockFileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                        0600));
    const sys::Error failed{"cannot take the task lock " + folderPath + "/" +
                            task::taskLockFileName};
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid() ||
        ((status.st_mode & 0077) != 0 && ::fchmod(fd.get(), 0600) != 0)) {
        return failed;
    }
    int locked = -1;
    do {
        locked = ::flock(fd.get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        return errno == EWOULDBLOCK ? sys::Error{"a task is already scheduled" + holderOf(fd.get())}
                                    : failed;
    }
    return fd;
}

sys::Result<> recordLockHolder(int fd, pid_t pid) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        return sys::systemError("cannot record the lock's holder");
    }
    return sys::writeAll(fd, std::to_string(pid) + '\n');
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
