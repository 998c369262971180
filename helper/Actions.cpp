#include "helper/Actions.h"

#include "sys/Fd.h"
#include "sys/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace zarn::helper {

std::string resolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return program;
    }
    std::istringstream folders(systemPath);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (const std::string candidate = folder + '/' + program;
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

sys::Result<> runFirstAvailable(const std::vector<CommandArgs>& commands,
                                std::chrono::milliseconds limit) {
    // Everything is built before the fork: the child only execs.
    std::vector<std::string> programs;
    std::vector<std::vector<char*>> argvs;
    for (const CommandArgs& command : commands) {
        if (!command.empty()) {
            programs.push_back(resolveProgram(command.front()));
            argvs.emplace_back();
            for (const std::string& arg : command) {
                argvs.back().push_back(const_cast<char*>(arg.c_str()));
            }
            argvs.back().push_back(nullptr);
        }
    }
    if (argvs.empty()) {
        return sys::Error{"no command"};
    }
    std::string pathVariable = std::string("PATH=") + systemPath;
    std::string language = "LANG=C";
    char* const environment[] = {pathVariable.data(), language.data(), nullptr};
    const pid_t pid = ::fork();
    if (pid < 0) {
        return sys::systemError("fork");
    }
    if (pid == 0) {
        // The waiting process blocks SIGTERM and ignores SIGHUP and SIGPIPE; an exec would pass
        // them on.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        std::signal(SIGHUP, SIG_DFL);
        std::signal(SIGPIPE, SIG_DFL);
        for (std::size_t i = 0; i < argvs.size(); ++i) {
            if (programs[i].empty()) {
                continue;
            }
            ::execve(programs[i].c_str(), argvs[i].data(), environment);
            if (errno != ENOENT) {
                ::_exit(126);
            }
        }
        ::_exit(127);
    }
    const int status = sys::waitBounded(pid, std::chrono::steady_clock::now() + limit);
    if (status != 0) {
        return sys::Error{argvs.front()[0] + std::string(" and the rest ended with status ") +
                          std::to_string(status)};
    }
    return sys::Ok{};
}

sys::Result<> runSystemAction(Action action) {
    const std::string verb(actionWord(action));
    return runFirstAvailable({{"systemctl", verb}, {"loginctl", verb}}, std::chrono::seconds(60));
}

sys::Result<> recordDryRunAction(const std::string& logPath, Action action,
                                 std::string_view stamp) {
    const sys::Fd fd(::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (logPath.empty() || !fd) {
        return sys::systemError("cannot open " + logPath, logPath.empty() ? ENOENT : errno);
    }
    // O_APPEND: each line lands whole at the end, whoever else writes to the file.
    return sys::writeAll(fd.get(),
                         std::string(actionWord(action)) + ' ' + std::string(stamp) + '\n');
}

} // namespace zarn::helper
