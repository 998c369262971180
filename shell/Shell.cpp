#include "shell/Shell.h"

#include "shell/Utf8.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zarn {

namespace {

constexpr std::size_t outputLimit = 4096;
constexpr std::string_view probeSeparator = "shutdown";
// A command fed through runShellCommandWithInput (sudo and the helper's start) normally ends in
// well under a second; this only keeps a wedged one from freezing the application for good.
constexpr auto inputCommandTimeLimit = std::chrono::seconds(60);

bool isRunnable(const std::string& commandLine) {
    return commandLine.find('\0') == std::string::npos && isValidUtf8(commandLine);
}

// Reads an integer the way the listing's pid column needs it: leading white space, an optional
// sign, then digits up to the first non-digit; no digits gives 0, overflow saturates.
std::int64_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (!negative && value > (max - digit) / 10) {
            return max;
        }
        if (negative && value < (min + digit) / 10) {
            return min;
        }
        value = negative ? value * 10 - digit : value * 10 + digit;
    }
    return value;
}

// Writes everything, retrying short writes. A command that exits without reading its input must
// not kill the application with SIGPIPE, so the signal is blocked for the write and any pending
// one is taken off again before the old mask comes back.
void writeAll(int fd, std::string_view data) {
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// Waits for `pid`, killing its process group once the time limit has passed.
void waitBounded(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + inputCommandTimeLimit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

void PipeCloser::operator()(std::FILE* stream) const noexcept {
    ::pclose(stream);
}

CommandStream runShellCommand(const std::string& commandLine) {
    if (!isRunnable(commandLine)) {
        return {};
    }
    // "e": the pipe is not inherited by other children started while this one runs.
    return CommandStream(::popen(commandLine.c_str(), "re"));
}

std::optional<std::string> readCommandOutput(CommandStream stream) {
    if (!stream) {
        return std::nullopt;
    }
    std::string bytes(outputLimit, '\0');
    bytes.resize(std::fread(bytes.data(), 1, outputLimit, stream.get()));
    // Closing the read end makes a writer that still has output end on SIGPIPE, so this close
    // does not wait for output that nobody reads.
    stream.reset();
    if (!isValidUtf8(bytes)) {
        return std::nullopt;
    }
    return bytes;
}

bool runShellCommandWithInput(const std::string& commandLine, std::string_view input) {
    if (!isRunnable(commandLine)) {
        return false;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so that a command past its time limit can be ended with its children.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::array<char*, 4> argv{const_cast<char*>("sh"), const_cast<char*>("-c"),
                              const_cast<char*>(commandLine.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeFds[0]);
    if (spawned != 0) {
        ::close(pipeFds[1]);
        return false;
    }
    writeAll(pipeFds[1], input);
    ::close(pipeFds[1]);
    waitBounded(pid);
    return true;
}

std::int64_t findScheduledTaskPid(const std::string& probeCommand) {
    const std::optional<std::string> listing = readCommandOutput(runShellCommand(probeCommand));
    if (!listing) {
        return 0;
    }
    const std::string_view text = *listing;
    return leadingInteger(text.substr(0, text.find(probeSeparator)));
}

std::string shellQuote(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

} // namespace zarn
