#include "shell/SystemCommands.h"

#include "shell/Shell.h"
#include "task/TaskRecord.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zarn {

namespace {

// -k: the typed password is checked every time, never a cached credential; -p '': no prompt on
// the terminal, since the password arrives on standard input.
constexpr const char* sudoPrefix = "sudo -S -k -p ''";

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

SystemCommands SystemCommands::forMacOS() {
    return {.probe = "ps ax -o pid,command -c | grep shutdown",
            .sudo = sudoPrefix,
            .shutdownProgram = "/sbin/shutdown",
            .kill = "kill -sigterm",
            .taskFolder = std::nullopt};
}

SystemCommands SystemCommands::forLinux(const std::string& helperPath) {
    const std::string helper = shellQuote(helperPath);
    // The helper names its folder, as the kernel names its process, after the file it runs from.
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(helperPath, error);
    const std::string name = (error ? std::filesystem::path(helperPath) : file).filename().string();
    return {.probe = helper + " --show",
            .sudo = sudoPrefix,
            .shutdownProgram = helper,
            .kill = helper + " -c",
            .taskFolder = TaskFolder{.path = std::string(task::taskFolderParent) + "/" + name,
                                     .processName = name,
                                     .owners = {0}}};
}

ProbeResult probeScheduledTask(const SystemCommands& commands, std::chrono::milliseconds limit) {
    if (!commands.taskFolder) {
        return probeScheduledTask(commands.probe, limit);
    }
    const TaskFolder& folder = *commands.taskFolder;
    const std::optional<task::TaskRecord> record =
        task::readLiveTaskRecord(folder.path, folder.processName, folder.owners);
    return record ? ProbeResult{record->pid, task::formatTaskRecord(*record)} : ProbeResult{};
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
    return forLinux(findHelper(dir, ZARN_INSTALLED_HELPER));
#endif
}

} // namespace zarn
