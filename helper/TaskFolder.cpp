#include "helper/TaskFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zarn::helper {

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

} // namespace zarn::helper
