#include "tests/helper/HelperTestSupport.h"

#include "tests/support/TestPaths.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace zarn::test {

pid_t parentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    fields >> state >> parent;
    return parent;
}

namespace {

// Argument and environment strings as the exec family wants them; they point into `strings`.
std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        const auto name = variable.substr(0, variable.find('=') + 1);
        bool replaced = false;
        for (const std::string& override : overrides) {
            replaced = replaced || override.compare(0, name.size(), name) == 0;
        }
        if (!replaced) {
            merged.emplace_back(variable);
        }
    }
    merged.insert(merged.end(), overrides.begin(), overrides.end());
    return merged;
}

} // namespace

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "zarn-helper-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
        // Readable for the unprivileged user that some tests run a copy as.
        fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) {
        fs::remove_all(path_, ignored);
    }
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, std::string_view input,
                     std::chrono::milliseconds limit) {
    RunResult result;
    int in[2];
    int out[2];
    int err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = mergedEnvironment(environment);
    std::vector<char*> envp;
    for (std::string& variable : envStrings) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(err[0]);
        return result;
    }
    // Small inputs only: they fit the pipe, so writing before reading cannot deadlock.
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) {
        result.err = "(could not write the input)";
    }
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(in[1]);

    const auto giveUp = std::chrono::steady_clock::now() + limit;
    std::array<pollfd, 2> streams{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    while (streams[0].fd >= 0 || streams[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            giveUp - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            break;
        }
        if (::poll(streams.data(), streams.size(), static_cast<int>(left.count())) < 0 &&
            errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < streams.size(); ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(streams[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(streams[i].fd);
                streams[i].fd = -1;
            }
        }
    }
    for (pollfd& stream : streams) {
        if (stream.fd >= 0) {
            ::close(stream.fd);
        }
    }
    const auto left = result.timedOut ? std::chrono::milliseconds(0)
                                      : std::chrono::duration_cast<std::chrono::milliseconds>(
                                            giveUp - std::chrono::steady_clock::now());
    std::optional<int> status = waitForChild(pid, std::max(left, std::chrono::milliseconds(0)));
    if (!status) {
        result.timedOut = true;
        ::kill(pid, SIGKILL);
        status = waitForChild(pid, std::chrono::seconds(5));
    }
    if (status && WIFEXITED(*status) && !result.timedOut) {
        result.status = WEXITSTATUS(*status);
    }
    return result;
}

pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& environment) {
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = mergedEnvironment(environment);
    std::vector<char*> argv = pointersTo(argStrings);
    std::vector<char*> envp = pointersTo(envStrings);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        posix_spawn_file_actions_addopen(&actions, standard, "/dev/null", O_RDWR, 0);
    }
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

HelperCopy::HelperCopy(const std::string& program, const std::string& name) : name_(name) {
    const fs::path copy = dir_.path() / name_;
    fs::copy_file(fs::path(binDir()) / program, copy);
    fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

HelperCopy::~HelperCopy() {
    std::error_code ignored;
    fs::remove_all(taskFolder(), ignored);
}

std::string uniqueName(std::string_view prefix) {
    return std::string(prefix) + std::to_string(::getpid());
}

std::vector<pid_t> processesNamed(const std::string& name) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string pidText = entry.path().filename().string();
        if (pidText.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream comm(entry.path() / "comm");
        std::string processName;
        if (std::getline(comm, processName) && processName == name) {
            found.push_back(static_cast<pid_t>(std::stol(pidText)));
        }
    }
    return found;
}

std::optional<pid_t> printedPid(const std::string& out) {
    static const std::regex line(R"(zarn-shutdown: \[pid ([1-9][0-9]*)\]\n)");
    std::smatch match;
    if (!std::regex_match(out, match, line)) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::stol(match[1].str()));
}

bool becomeSubreaper() {
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0;
}

std::optional<int> waitForChild(pid_t pid, std::chrono::milliseconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return status;
        }
        if (done < 0 && errno != EINTR) {
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ProcessGuard::~ProcessGuard() {
    for (const pid_t pid : pids_) {
        // Only a child can be signalled safely: until it is reaped its pid cannot be reused.
        if (pid <= 0 || parentOf(pid) != ::getpid()) {
            continue;
        }
        ::kill(pid, SIGTERM);
        if (!waitForChild(pid, std::chrono::seconds(1))) {
            ::kill(pid, SIGKILL);
            waitForChild(pid, std::chrono::seconds(5));
        }
    }
}

void ProcessGuard::forget(pid_t pid) {
    std::erase(pids_, pid);
}

std::string stampOf(std::chrono::system_clock::time_point instant) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(instant);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%y%m%d%H%M", &local);
    return text;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace zarn::test
