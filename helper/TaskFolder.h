#pragma once

#include "sys/Fd.h"

#include <string>
#include <string_view>

namespace zarn::helper {

/// The folder where the real helper keeps its lock and task record.
inline constexpr const char* runFolder = "/run";

/// `<parent>/<programFileName>`: the task folder of the program under that name, so that a copy
/// under another name has a folder of its own.
std::string taskFolderPath(std::string_view parent, std::string_view programFileName);

/// Creates the folder `path` when it is missing, and opens it (close-on-exec), with mode 0755 so
/// that every user's --show can read the record: a folder of this process's effective user with
/// another mode is given that mode. Refused when it is a link, no folder, another user's, or
/// writable by others, who may have placed anything in it. The error follows "zarn-shutdown: ".
sys::Result<sys::Fd> makeTaskFolder(const std::string& path);

} // namespace zarn::helper
