#pragma once

#include "sys/Result.h"

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::helper {

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
