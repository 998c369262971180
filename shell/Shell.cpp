#include "shell/Shell.h"

#include "shell/Utf8.h"
#include "sys/Fd.h"
#include "sys/Process.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <pthread.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace zarn {

namespace {

constexpr std::size_t outputLimit = 4096;
constexpr std::string_view probeSeparator = "shutdown";
using sys::Deadline;

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

// Writes everything until `deadline` on a non-blocking descriptor, so that a command that never
// reads cannot hold the write up. A command that exits without reading its input must not kill
// the application with SIGPIPE, so the signal is blocked for the write and any pending one is
// taken off again before the old mask comes back. False when the time ran out.
bool writeInput(int fd, std::string_view data, Deadline deadline) {
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const sys::Result<> written = sys::writeAll(fd, data, deadline);
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return written || written.error().code != ETIMEDOUT;
}

// Starts /bin/sh -c `commandLine` in a process group of its own, so that a command past its
// time limit can be ended with its children, with `stdinFd` and `stdoutFd` (-1: the
// application's own) as its standard input and output; its pid, or 0.
pid_t spawnShell(const std::string& commandLine, int stdinFd, int stdoutFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    }
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::array<char*, 4> argv{const_cast<char*>("sh"), const_cast<char*>("-c"),
                              const_cast<char*>(commandLine.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? pid : 0;
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

bool runShellCommandWithInput(const std::string& commandLine, std::string_view input,
                              std::chrono::milliseconds limit) {
    if (!isRunnable(commandLine)) {
        return false;
    }
    const Deadline deadline = std::chrono::steady_clock::now() + limit;
    sys::Result<sys::Pipe> pipe = sys::makePipe();
    const pid_t pid = pipe ? spawnShell(commandLine, pipe->read.get(), -1) : 0;
    if (pid == 0) {
        return false;
    }
    pipe->read.reset();
    const bool written = writeInput(pipe->write.get(), input, deadline);
    pipe->write.reset();
    // Input that was not taken in time ends the command at once.
    sys::waitBounded(pid, written ? deadline : std::chrono::steady_clock::now(), true);
    return true;
}

std::optional<std::string> readCommandOutputWithin(const std::string& commandLine,
                                                   std::chrono::milliseconds limit) {
    std::optional<CommandOutput> result = runCommandWithin(commandLine, limit);
    if (!result) {
        return std::nullopt;
    }
    return std::move(result->output);
}

std::optional<CommandOutput> runCommandWithin(const std::string& commandLine,
                                              std::chrono::milliseconds limit) {
    if (!isRunnable(commandLine)) {
        return std::nullopt;
    }
    const Deadline deadline = std::chrono::steady_clock::now() + limit;
    sys::Result<sys::Pipe> pipe = sys::makePipe();
    const pid_t pid = pipe ? spawnShell(commandLine, -1, pipe->write.get()) : 0;
    if (pid == 0) {
        return std::nullopt;
    }
    pipe->write.reset();
    sys::BoundedRead read = sys::readBounded(pipe->read.get(), outputLimit, deadline);
    // As with pclose: closing the read end ends a writer that still has output, on SIGPIPE.
    pipe->read.reset();
    if (read.end == sys::ReadEnd::TimedOut) {
        sys::killAndReap(pid, true);
        return std::nullopt;
    }
    const int status = sys::waitBounded(pid, deadline, true);
    if (!isValidUtf8(read.bytes)) {
        return std::nullopt;
    }
    return CommandOutput{status, std::move(read.bytes)};
}

std::int64_t findScheduledTaskPid(const std::string& probeCommand,
                                  std::chrono::milliseconds limit) {
    return probeScheduledTask(probeCommand, limit).pid;
}

ProbeResult probeScheduledTask(const std::string& probeCommand, std::chrono::milliseconds limit) {
    std::optional<std::string> listing = readCommandOutputWithin(probeCommand, limit);
    if (!listing) {
        return {};
    }
    const std::string_view text = *listing;
    const std::int64_t pid = leadingInteger(text.substr(0, text.find(probeSeparator)));
    return {pid, std::move(*listing)};
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
