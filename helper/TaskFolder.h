#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

/// The folder where the real helper keeps its lock and task record.
inline constexpr const char* runFolder = "/run";

/// `<parent>/<programFileName>`: the task folder of the program under that name, so that a copy
/// under another name has a folder of its own.
std::string taskFolderPath(std::string_view parent, std::string_view programFileName);

/// The task folder, opened for the lock and the record.
struct TaskFolder {
    int fd = -1;       ///< the folder (close-on-exec), -1 when it cannot be used
    std::string error; ///< why not, for the message after "zarn-shutdown: "
};

/// Creates the folder `path` (mode 0755) when it is missing, and opens it. Refused when it is a
/// link, no folder, not owned by this process's effective user, or writable by others: nobody
/// but its owner may place anything in it.
TaskFolder makeTaskFolder(const std::string& path);

} // namespace zarn::helper
