#pragma once

#include "sys/Fd.h"

#include <chrono>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

/// Cuts a freshly forked child loose from its caller: a new session (so no controlling
/// terminal), "/" as working folder, /dev/null on standard input, output and error, SIGHUP and
/// SIGPIPE ignored, and every other inherited descriptor closed except those in `keep` (one that
/// was a standard stream is moved above them). Fails when a step failed, with the process possibly
/// half changed.
sys::Result<> detachFromCaller(std::initializer_list<sys::Fd*> keep);

/// Closes every descriptor above the standard streams except those in `keepFds`.
void closeDescriptorsExcept(std::span<const int> keepFds);

/// Puts every signal the process may handle back to its default action and unblocks all: what
/// the caller ignored or blocked (SIGCHLD ignored makes every child's status vanish) must not
/// reach the helper or the programs it runs.
void resetSignalHandling();

/// True where systemd is the service manager (/run/systemd/system exists).
bool systemdRuns();

/// The name of the scope unit of the waiting process `pid` of the program called
/// `programFileName`: `<name>-<pid>.scope`, with every byte that a unit name cannot hold replaced
/// by '_'. The pid keeps it apart from a predecessor's scope that is still ending.
std::string scopeUnitName(std::string_view programFileName, pid_t pid);

/// Moves this process into a new transient scope unit `unitName` of the system's service manager
/// (StartTransientUnit on the system bus, with this pid), so that it no longer belongs to the
/// caller's login session and no logout or session kill ends it. Needs root. Waits, at most
/// `limit` in all, until the process's cgroup is the scope's.
sys::Result<> moveIntoOwnScope(const std::string& unitName, std::chrono::milliseconds limit);

} // namespace zarn::helper
