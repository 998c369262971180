#pragma once

#include "helper/Request.h"
#include "helper/Warnings.h"
#include "sys/Result.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zarn::helper {

/// The task the waiting process carries out, as main reads it from the command line and the
/// environment that sudo passed on.
struct TaskDescription {
    Action action = Action::PowerOff;
    std::string stamp; ///< as given, `yyMMddHHmm`
    Instant deadline;  ///< the stamp's instant
    std::string name;  ///< the program's file name: the process name, its folder and scope
    std::string folderParent;
    std::vector<std::chrono::milliseconds> warningOffsets;
    std::chrono::milliseconds postponeBy{};
    std::optional<Recipient> recipient; ///< who is warned; nobody when sudo named nobody
    std::string busAddress;             ///< where the recipient's notification server is
    std::uint32_t schedulingUid = 0;    ///< who scheduled the task, for the record
};

/// The deadline that `stamp` names, when it is one minute of local time that lies ahead; else
/// why not, for the message after "zarn-shutdown: " (the stamp shown escaped).
sys::Result<Instant> deadlineOf(const std::string& stamp);

/// Starts the waiting process for `task` and prints "zarn-shutdown: [pid N]" once it waits with
/// its record written; 0. Refuses with a message on standard error and 1 when another task holds
/// the lock, or the folder, the lock, the fork or the start fails; nothing is left running then.
int scheduleTask(const TaskDescription& task);

/// --show: prints the record of the task that waits now; 0, or 1 when there is none.
int showTask(const std::string& name);

/// -c: cancels the waiting process `pid` of the program `name`, and nothing else; 0 once it is
/// signalled, else 1 with a message.
int cancelTask(pid_t pid, const std::string& name);

} // namespace zarn::helper
