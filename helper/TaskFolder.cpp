#include "helper/TaskFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zarn::helper {

std::string taskFolderPath(std::string_view parent, std::string_view programFileName) {
    return (std::filesystem::path(parent) / programFileName).string();
}

TaskFolder makeTaskFolder(const std::string& path) {
    const std::string where = "cannot use the task folder " + path + ": ";
    const bool made = ::mkdir(path.c_str(), 0755) == 0;
    if (!made && errno != EEXIST) {
        return {-1, where + std::strerror(errno)};
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int openError = errno;
        // With O_DIRECTORY a link gives ENOTDIR, as a file does; tell them apart for the message.
        struct stat entry {};
        const bool link = ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
        return {-1, where + (link                   ? std::string("it is a link")
                             : openError == ENOTDIR ? std::string("it is not a folder")
                                                    : std::string(std::strerror(openError)))};
    }
    struct stat status {};
    std::string error;
    if (::fstat(fd, &status) != 0) {
        error = where + std::strerror(errno);
    } else if (status.st_uid != ::geteuid()) {
        error = where + "it belongs to uid " + std::to_string(status.st_uid);
    } else if (made && ::fchmod(fd, 0755) != 0) {
        // The creation mode passed through the umask; the folder must be readable by all.
        error = where + std::strerror(errno);
    } else if (!made && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        error = where + "others may write to it";
    }
    if (!error.empty()) {
        ::close(fd);
        return {-1, error};
    }
    return {fd, {}};
}

} // namespace zarn::helper
