#pragma once

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace zarn::test {

/// A fresh folder under the temporary directory, readable by every user, removed with its
/// contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// What a finished program did. `status` is its exit status, or -1 when it was killed by a
/// signal or by the time limit (then `timedOut`).
struct RunResult {
    int status = -1;
    bool timedOut = false;
    std::string out;
    std::string err;
};

/// Runs `program` with `args` directly (no shell) and `input` on its standard input, collecting
/// its output until it ends; killed after `limit`. The environment is this process's with
/// `environment` entries ("NAME=value") replacing or adding variables.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}, std::string_view input = {},
                     std::chrono::milliseconds limit = std::chrono::seconds(10));

/// Starts `program` with `args` in the background (no shell), with /dev/null on its standard
/// streams and the environment as for runProgram; its pid, or 0 when it could not start. The
/// caller ends it, for example with a ProcessGuard.
pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& environment = {});

/// The parent pid of `pid` as /proc reports it; 0 when it is gone.
pid_t parentOf(pid_t pid);

/// A copy of the built `program` (zarn-shutdown or dry-shutdown) as `name` in a folder of its own,
/// so that each test sees only its own processes by name. `name` should keep within the 15
/// characters of a Linux process name.
class HelperCopy {
public:
    HelperCopy(const std::string& program, const std::string& name);
    /// Removes the copy and its task folder.
    ~HelperCopy();
    HelperCopy(const HelperCopy&) = delete;
    HelperCopy& operator=(const HelperCopy&) = delete;
    std::string path() const { return (dir_.path() / name_).string(); }
    const std::string& name() const { return name_; }
    const std::filesystem::path& dir() const { return dir_.path(); }
    /// The folder of its lock and task record: dry-shutdown's, in the temporary folder, when
    /// ZARN_DRY_RUN_DIR is not set.
    std::filesystem::path taskFolder() const {
        return std::filesystem::temp_directory_path() / name_;
    }

private:
    TempDir dir_;
    std::string name_;
};

/// `prefix` made unique to this test process: prefix and pid.
std::string uniqueName(std::string_view prefix);

/// The pids of every process, zombies included, whose process name is exactly `name`.
std::vector<pid_t> processesNamed(const std::string& name);

/// The pid printed by a started helper ("zarn-shutdown: [pid N]\n"), or nothing.
std::optional<pid_t> printedPid(const std::string& out);

/// Makes this process the reaper of its orphaned descendants, so that a helper's waiting process
/// becomes its child once the helper's first process has exited.
bool becomeSubreaper();

/// The wait status of child `pid` once it has ended, reaping it; nothing after `limit`.
std::optional<int> waitForChild(pid_t pid, std::chrono::milliseconds limit);

/// Ends, in its destructor, every process added to it that is still a child of this process:
/// SIGTERM, then SIGKILL when it has not ended within a second, and reaps it.
class ProcessGuard {
public:
    ProcessGuard() = default;
    ProcessGuard(const ProcessGuard&) = delete;
    ProcessGuard& operator=(const ProcessGuard&) = delete;
    ~ProcessGuard();
    void add(pid_t pid) { pids_.push_back(pid); }
    /// Forgets `pid` after the test has reaped it itself.
    void forget(pid_t pid);

private:
    std::vector<pid_t> pids_;
};

/// The local time `instant` as the helper reads it: yyMMddHHmm.
std::string stampOf(std::chrono::system_clock::time_point instant);

/// The whole contents of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// An eventfd that a test makes readable to stop a wait, standing in for the SIGTERM descriptor;
/// closed at the end.
struct StopSignal {
    int fd = ::eventfd(0, EFD_CLOEXEC);
    StopSignal() = default;
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    ~StopSignal() { ::close(fd); }
    void raise() const {
        const std::uint64_t one = 1;
        EXPECT_EQ(::write(fd, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    }
};

} // namespace zarn::test
