#include "helper/Actions.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zarn::helper {

namespace {

constexpr auto actionTimeLimit = std::chrono::seconds(60);

// The outcome of a child that may still be running after the limit; it is then killed.
bool waitBounded(pid_t pid, std::chrono::milliseconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

std::string resolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return program;
    }
    std::string_view folders = systemPath;
    while (!folders.empty()) {
        const std::size_t end = std::min(folders.find(':'), folders.size());
        const std::string candidate = std::string(folders.substr(0, end)) + '/' + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        folders.remove_prefix(std::min(end + 1, folders.size()));
    }
    return {};
}

bool runFirstAvailable(const std::vector<CommandArgs>& commands, std::chrono::milliseconds limit) {
    // Everything is built before the fork: the child only execs.
    std::vector<std::string> programs;
    std::vector<std::vector<char*>> argvs;
    for (const CommandArgs& command : commands) {
        if (command.empty()) {
            continue;
        }
        programs.push_back(resolveProgram(command.front()));
        std::vector<char*> argv;
        for (const std::string& arg : command) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        argvs.push_back(std::move(argv));
    }
    if (argvs.empty()) {
        return false;
    }
    std::string pathVariable = std::string("PATH=") + systemPath;
    std::string language = "LANG=C";
    char* const environment[] = {pathVariable.data(), language.data(), nullptr};
    const pid_t pid = ::fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        // The waiting process blocks SIGTERM and ignores SIGHUP; an exec would pass both on.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        std::signal(SIGHUP, SIG_DFL);
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
    return waitBounded(pid, limit);
}

bool runSystemAction(Action action) {
    const std::string verb(actionVerb(action));
    return runFirstAvailable({{"systemctl", verb}, {"loginctl", verb}}, actionTimeLimit);
}

bool recordDryRunAction(const std::string& logPath, Action action, std::string_view stamp) {
    if (logPath.empty()) {
        return false;
    }
    const int fd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::string line(actionVerb(action));
    line += ' ';
    line += stamp;
    line += '\n';
    // One write with O_APPEND: lines of processes sharing the file never interleave.
    ssize_t written = -1;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    ::close(fd);
    return written == static_cast<ssize_t>(line.size());
}

} // namespace zarn::helper
