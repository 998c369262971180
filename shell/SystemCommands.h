#pragma once

#include <string>

namespace zarn {

/// The command lines of one operating system. Each field is a shell fragment; the callers append
/// arguments to it (`<sudo> <shutdownProgram> -h 2501051530`, `<sudo> <kill> 812`).
struct SystemCommands {
    std::string probe;           ///< lists the waiting task process(es), pid first on each line
    std::string sudo;            ///< privilege prefix that reads the password from stdin
    std::string shutdownProgram; ///< the program that waits and then acts
    std::string kill;            ///< signals the waiting process

    /// `/sbin/shutdown` is the waiting process; the probe takes any process whose name holds
    /// "shutdown".
    static SystemCommands forMacOS();
    /// `helperPath` is the waiting process. The probe is `<helper> --show`, which prints the
    /// helper's root-owned task record (pid first) only while the process it names lives, so no
    /// other program and no other user's process is ever taken for the task. Cancelling goes
    /// through the helper itself (`<helper> -c <pid>`), which signals only the process that its
    /// record names.
    static SystemCommands forLinux(const std::string& helperPath);
    /// macOS: forMacOS(). Linux: the helper beside the running executable, else in
    /// ../libexec/zarn/ from it, else where `cmake --install` put it.
    static SystemCommands forThisSystem();
};

/// The helper that forThisSystem() picks for an executable in `executableDir`: the first of
/// `<dir>/zarn-shutdown`, `<dir>/../libexec/zarn/zarn-shutdown` that is an executable file, else
/// `installedPath`.
std::string findHelper(const std::string& executableDir, const std::string& installedPath);

} // namespace zarn
