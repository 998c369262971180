#pragma once

#include <string>

namespace zarn::test {

/// Folder of the built programs (zarn, zarn-shutdown, dry-shutdown).
inline std::string binDir() { return ZARN_TEST_BIN_DIR; }
/// Folder of the test fixtures (fake-sudo and friends), in the source tree.
inline std::string supportDir() { return ZARN_TEST_SUPPORT_DIR; }

} // namespace zarn::test
