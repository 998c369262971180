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

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

SystemCommands SystemCommands::forMacOS() {
    return {"ps ax -o pid,command -c | grep shutdown", sudoPrefix, "/sbin/shutdown",
            "kill -sigterm"};
}

SystemCommands SystemCommands::forLinux(const std::string& helperPath) {
    const std::string helper = shellQuote(helperPath);
    return {helper + " --show", sudoPrefix, helper, helper + " -c"};
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
