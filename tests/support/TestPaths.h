#pragma once

#include "shell/SystemCommands.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace zarn::test {

/// Folder of the built programs (zarn, zarn-shutdown, dry-shutdown).
inline std::string binDir() {
    return ZARN_TEST_BIN_DIR;
}
/// Folder of the test fixtures (fake-sudo and friends), in the source tree.
inline std::string supportDir() {
    return ZARN_TEST_SUPPORT_DIR;
}

/// The task folder that a copy of dry-shutdown named `name` keeps in the temporary folder (no
/// ZARN_DRY_RUN_DIR), believed of root and of this user, as it believes them.
inline TaskFolder dryTaskFolder(const std::string& name) {
    return {.path = (std::filesystem::temp_directory_path() / name).string(),
            .processName = name,
            .owners = {0, ::geteuid()}};
}

} // namespace zarn::test
