#include "helper/TaskLock.h"

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

namespace {

constexpr const char* lockDirectory = "/run/lock";

} // namespace

std::string taskLockPath(std::string_view programFileName) {
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::is_directory(lockDirectory, error)
                                          ? std::filesystem::path(lockDirectory)
                                          : std::filesystem::temp_directory_path(error);
    return (dir / (std::string(programFileName) + ".lock")).string();
}

std::string executableFileName(const char* argv0) {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return executable.filename().string();
    }
    return std::filesystem::path(argv0 != nullptr ? argv0 : "").filename().string();
}

TaskLock takeTaskLock(const std::string& path) {
    // The lock folder is writable by everyone: never follow a link there, never use a file that
    // another user made.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return {};
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
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

} // namespace zarn::helper
