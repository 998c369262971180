#include "shell/SystemCommands.h"

#include "shell/Shell.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zarn {

namespace {

// -k: the typed password is checked every time, never a cached credential; -p '': no prompt on
// the terminal, since the password arrives on standard input.
constexpr const char* sudoPrefix = "sudo -S -k -p ''";
// The kernel keeps this many characters of a process name; `ps -C` compares against them.
constexpr std::size_t processNameLength = 15;

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

SystemCommands SystemCommands::forMacOS() {
    return {"ps ax -o pid,command -c | grep shutdown", sudoPrefix, "/sbin/shutdown",
            "kill -sigterm"};
}

SystemCommands SystemCommands::forLinux(const std::string& helperPath, uid_t owner) {
    const std::string name =
        std::filesystem::path(helperPath).filename().string().substr(0, processNameLength);
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(helperPath, error);
    const std::string executable = shellQuote(error ? helperPath : canonical.string());
    // A zombie has ended already: where nothing reaps orphans (some containers' first process
    // does not) it would otherwise stay listed as the task and never be cancelled. Another user's
    // process of that name is not the task; /proc/<pid>/exe is readable only by the process's
    // owner (and root), and names the file " (deleted)" once a package update replaced it.
    const std::string probe = "ps -C " + shellQuote(name) +
                              " -o pid=,s=,euid= | while read -r pid state euid; do"
                              " [ \"$state\" != Z ] && [ \"$euid\" = " +
                              std::to_string(owner) +
                              " ] || continue;"
                              " exe=$(readlink \"/proc/$pid/exe\" 2>/dev/null);"
                              " case $exe in ''|" +
                              executable + "|" + executable +
                              "' (deleted)') echo \"$pid\";; esac;"
                              " done";
    return {probe, sudoPrefix, shellQuote(helperPath), shellQuote(helperPath) + " -c"};
}

std::string findHelper(const std::string& executableDir, const std::string& installedPath) {
    const std::filesystem::path dir(executableDir);
    for (const auto& candidate :
         {dir / "zarn-shutdown", dir / ".." / "libexec" / "zarn" / "zarn-shutdown"}) {
        if (isExecutableFile(candidate)) {
            return candidate.lexically_normal().string();
        }
    }
    return installedPath;
}

SystemCommands SystemCommands::forThisSystem() {
#ifdef __APPLE__
    return forMacOS();
#else
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string dir = error ? std::string() : executable.parent_path().string();
    return forLinux(findHelper(dir, ZARN_INSTALLED_HELPER), 0);
#endif
}

} // namespace zarn
