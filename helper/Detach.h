#pragma once

#include "sys/Result.h"

#include <span>
#include <vector>

namespace zarn::helper {

/// Cuts a freshly forked child loose from its caller: a new session (so no controlling
/// terminal), "/" as working folder, /dev/null on standard input, output and error, SIGHUP
/// ignored, and every other inherited descriptor closed except those in `keepFds`. Returns the
/// descriptors they are kept as, in the same order (moved above 2 when one was a standard stream);
/// fails when a step failed, with the process possibly half changed.
sys::Result<std::vector<int>> detachFromCaller(std::span<const int> keepFds);

/// Closes every descriptor above the standard streams except those in `keepFds`.
void closeDescriptorsExcept(std::span<const int> keepFds);

/// Puts every signal the process may handle back to its default action and unblocks all: what
/// the caller ignored or blocked (SIGCHLD ignored makes every child's status vanish) must not
/// reach the helper or the programs it runs.
void resetSignalHandling();

} // namespace zarn::helper
