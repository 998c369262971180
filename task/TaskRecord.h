#pragma once

#include "task/TaskLine.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zarn::task {

/// The version written into every record; a record of another version is no task.
inline constexpr int taskRecordVersion = 1;

/// The record that the waiting process keeps of itself in its task folder, one line:
/// `<pid> version=1 start=<ticks> action=<poweroff|reboot|suspend> stamp=<yyMMddHHmm>
/// deadline=<YYYY-MM-DDTHH:MM:SSZ> uid=<uid>`. The pid comes first, so the line is also the
/// output of the probe.
struct TaskRecord {
    std::int64_t pid = 0;
    std::uint64_t startTime = 0; ///< field 22 of /proc/<pid>/stat: clock ticks after boot
    Action action = Action::PowerOff;
    std::string stamp;     ///< as the scheduling user gave it, in their local time then
    Instant deadline;      ///< the absolute instant, whole seconds
    std::uint32_t uid = 0; ///< the user who scheduled the task
    bool operator==(const TaskRecord&) const = default;
};

/// The record as its one line, newline included.
std::string formatTaskRecord(const TaskRecord& record);

/// The record of exactly one line as formatTaskRecord writes it (the newline may be missing);
/// nothing for any other text, another version included.
std::optional<TaskRecord> parseTaskRecord(std::string_view text);

/// What waits and when, as the form shows it.
ScheduledTask scheduledTaskOf(const TaskRecord& record);

/// The task a probe's output names for the waiting process `pid`: on Linux the record line that
/// `<helper> --show` prints (its pid must be `pid`), on macOS the process's command line read back
/// with ps. Nothing when it names none.
std::optional<ScheduledTask> scheduledTaskFromProbe(std::int64_t pid, std::string_view output);

/// What /proc/<pid>/stat tells of a process.
struct ProcessStat {
    char state = '?';            ///< R, S, D, Z, ...
    std::uint64_t startTime = 0; ///< field 22
    std::string name;            ///< comm, at most 15 bytes
};

/// The stat of process `pid`; nothing when it is gone or the file cannot be read (as on macOS).
std::optional<ProcessStat> readProcessStat(std::int64_t pid);

/// Where the installed helper keeps its task folder, named after its own file name.
inline constexpr const char* taskFolderParent = "/run";

/// The names of the task folder's two files.
inline constexpr const char* taskRecordFileName = "task";
inline constexpr const char* taskLockFileName = "lock";

/// Writes `record` into the folder `folderFd` atomically: a temporary file of mode 0644, then a
/// rename over `task`. False when any step fails; then no temporary file is left.
bool writeTaskRecord(int folderFd, const TaskRecord& record);

/// Removes the record from the folder `folderFd`; true when it is gone.
bool removeTaskRecord(int folderFd);

/// Opens the task folder `path` (never through a link); its descriptor, or -1 when it is no
/// folder, is not owned by one of `owners`, or others may write to it.
int openTrustedFolder(const std::string& path, std::span<const uid_t> owners);

/// The record in the folder `folderFd` when the file is a regular file owned by one of `owners`
/// that others cannot write; nothing else is checked.
std::optional<TaskRecord> readTaskRecord(int folderFd, std::span<const uid_t> owners);

/// The record of a task that waits now: read from the trusted folder `folderPath`, its process
/// alive and no zombie, started at the recorded start time and named `processName` (cut to the
/// kernel's 15 bytes). Nothing when any of that fails.
std::optional<TaskRecord> readLiveTaskRecord(const std::string& folderPath,
                                             std::string_view processName,
                                             std::span<const uid_t> owners);

/// True when the record names the process that runs as `stat` under the name `processName`.
bool recordMatchesProcess(const TaskRecord& record, const ProcessStat& stat,
                          std::string_view processName);

} // namespace zarn::task
