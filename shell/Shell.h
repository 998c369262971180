#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zarn {

/// Closes a command stream with pclose, which waits for the command to end.
struct PipeCloser {
    void operator()(std::FILE* stream) const noexcept;
};

/// The read end of a command's standard output; closed exactly once, when it goes out of scope.
using CommandStream = std::unique_ptr<std::FILE, PipeCloser>;

/// Starts `commandLine` under /bin/sh with its standard output on the returned stream; does not
/// wait. Empty when the line is not valid UTF-8 or holds a NUL, or the shell cannot be started.
CommandStream runShellCommand(const std::string& commandLine);

/// Reads at most the first 4096 bytes of the command's output, closes the stream (waiting for the
/// command) and decodes the bytes. Nothing when they are not valid UTF-8 (also when the cut at
/// 4096 bytes splits a character) or the stream is empty; an empty output gives "".
std::optional<std::string> readCommandOutput(CommandStream stream);

/// How long a command fed through runShellCommandWithInput may take, input included.
inline constexpr std::chrono::milliseconds inputCommandTimeLimit = std::chrono::seconds(60);
/// How long the scheduled-task probe may take.
inline constexpr std::chrono::milliseconds probeTimeLimit = std::chrono::seconds(5);

/// Runs `commandLine` under /bin/sh with `input` on its standard input, then closes that input
/// and waits for the command to end. Its output goes where the application's goes. Once `limit`
/// has passed (while writing or waiting) the command and its children are killed. False only
/// when the command could not be started; its exit status is not looked at.
bool runShellCommandWithInput(const std::string& commandLine, std::string_view input,
                              std::chrono::milliseconds limit = inputCommandTimeLimit);

/// Runs `commandLine` under /bin/sh and reads at most the first 4096 bytes of its output, as
/// readCommandOutput does, but never for longer than `limit`: then the command and its children
/// are killed and reaped, and nothing comes back.
std::optional<std::string> readCommandOutputWithin(const std::string& commandLine,
                                                   std::chrono::milliseconds limit);

/// What a command printed and how it ended.
struct CommandOutput {
    int exitStatus = -1; ///< -1 when it was ended by a signal or killed at its time limit
    std::string output;  ///< as readCommandOutputWithin reads it
};

/// readCommandOutputWithin, keeping the command's exit status; nothing in the same cases.
std::optional<CommandOutput> runCommandWithin(const std::string& commandLine,
                                              std::chrono::milliseconds limit);

/// The scheduled-task probe: runs `probeCommand` and reads the process id at the start of its
/// output (the text before the first "shutdown", read as an integer after leading blanks).
/// 0 when the command cannot run, prints nothing, its output is not UTF-8, or it takes longer
/// than `limit`.
std::int64_t findScheduledTaskPid(const std::string& probeCommand,
                                  std::chrono::milliseconds limit = probeTimeLimit);

/// What the scheduled-task probe found: the pid as findScheduledTaskPid reads it (0 for none) and
/// the whole output it was read from, for the task it may describe.
struct ProbeResult {
    std::int64_t pid = 0;
    std::string output;
};

/// Runs the probe as findScheduledTaskPid does, keeping its output.
ProbeResult probeScheduledTask(const std::string& probeCommand,
                               std::chrono::milliseconds limit = probeTimeLimit);

/// `text` quoted for /bin/sh so that it stands as one word, whatever it holds.
std::string shellQuote(std::string_view text);

} // namespace zarn
