#pragma once

#include "shell/Shell.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zarn {

/// Where a Linux helper keeps the record of the task that waits: read in process, it answers the
/// probe without starting a shell and the helper.
struct TaskFolder {
    std::string path;          ///< e.g. /run/zarn-shutdown
    std::string processName;   ///< the waiting process's name: the helper's file name
    std::vector<uid_t> owners; ///< whose folder and record are believed
};

/// The command lines of one operating system. Each field is a shell fragment; the callers append
/// arguments to it (`<sudo> <shutdownProgram> -h 2501051530`, `<sudo> <kill> 812`).
struct SystemCommands {
    std::string probe;           ///< lists the waiting task process(es), pid first on each line
    std::string sudo;            ///< privilege prefix that reads the password from stdin
    std::string shutdownProgram; ///< the program that waits and then acts
    std::string kill;            ///< signals the waiting process
    /// Linux: the helper's task folder, which the form's probe reads instead of running `probe`.
    /// Nothing where `probe` is the only way (macOS).
    std::optional<TaskFolder> taskFolder;

    /// `/sbin/shutdown` is the waiting process; the probe takes any process whose name holds
    /// "shutdown".
    static SystemCommands forMacOS();
    /// `helperPath` is the waiting process. The probe is `<helper> --show`, which prints the
    /// helper's root-owned task record (pid first) only while the process it names lives, so no
    /// other program and no other user's process is ever taken for the task. Cancelling goes
    /// through the helper itself (`<helper> -c <pid>`), which signals only the process that its
    /// record names. The task folder is root's `/run/<file name of the helper, links resolved>`.
    static SystemCommands forLinux(const std::string& helperPath);
    /// macOS: forMacOS(). Linux: the helper beside the running executable, else in
    /// ../libexec/zarn/ from it, else where `cmake --install` put it.
    static SystemCommands forThisSystem();
};

/// The helper that forThisSystem() picks for an executable in `executableDir`: the first of
/// `<dir>/zarn-shutdown`, `<dir>/../libexec/zarn/zarn-shutdown` that is an executable file, else
/// `installedPath`.
std::string findHelper(const std::string& executableDir, const std::string& installedPath);

/// What waits now, as `commands` find it. With a task folder: its record read in process under
/// the checks of the helper's --show (the folder and file trusted, the process alive, started at
/// the recorded time and under the helper's name), the output being the record's line as --show
/// prints it. Without: their probe command run within `limit`.
ProbeResult probeScheduledTask(const SystemCommands& commands,
                               std::chrono::milliseconds limit = probeTimeLimit);

} // namespace zarn
