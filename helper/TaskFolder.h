#pragma once

#include "sys/Fd.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

/// `<parent>/<programFileName>`: the task folder of the program under that name, so that a copy
/// under another name has a folder of its own.
std::string taskFolderPath(std::string_view parent, std::string_view programFileName);

/// Creates the folder `path` when it is missing, and opens it (close-on-exec), with mode 0755 so
/// that every user's --show can read the record: a folder of this process's effective user with
/// another mode is given that mode. Refused when it is a link, no folder, another user's, or
/// writable by others, who may have placed anything in it. The error follows "zarn-shutdown: ".
sys::Result<sys::Fd> makeTaskFolder(const std::string& path);

/// The file name of the running executable (/proc/self/exe), else the last part of `argv0`.
std::string executableFileName(const char* argv0);

/// Takes the lock file `lock` (mode 0600) in the task folder `folderPath`, open as `folderFd`,
/// without waiting, creating it when needed: the locked descriptor (close-on-exec); the lock lasts
/// while any process keeps it. Fails when it cannot be opened or is not a regular file of this
/// user's (a link is never followed), and with "a task is already scheduled (pid N)" when another
/// process holds it (the holder read back, waiting up to a second for one that has just started).
sys::Result<sys::Fd> takeTaskLock(int folderFd, const std::string& folderPath);

/// True when the lock in the task folder `folderFd` is held, with `pid` recorded as its holder.
bool isLockHeldBy(int folderFd, pid_t pid);

/// Records `pid` as the holder in the locked file `fd`.
sys::Result<> recordLockHolder(int fd, pid_t pid);

} // namespace zarn::helper
