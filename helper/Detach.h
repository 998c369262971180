#pragma once

#include <optional>

namespace zarn::helper {

/// Cuts a freshly forked child loose from its caller: a new session (so no controlling
/// terminal), "/" as working folder, /dev/null on standard input, output and error, SIGHUP
/// ignored, and every other inherited descriptor closed except `keepFd`. Returns the descriptor
/// that `keepFd` is kept as (moved above 2 when it was one of the standard streams); nothing when
/// a step failed, with the process possibly half changed.
std::optional<int> detachFromCaller(int keepFd);

} // namespace zarn::helper
