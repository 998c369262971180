#pragma once

#include "helper/Request.h"
#include "helper/Warnings.h"
#include "sys/Result.h"

#include <chrono>
#include <cstdint>
#include <functional>
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

/// What sets zarn-shutdown apart from its test twin dry-shutdown. Each program links one of the
/// two files that define twin(), chosen by CMake: RealTwin.cpp acts through the system's own
/// commands; DryTwin.cpp only writes down what it would have done, so it can never act.
struct Twin {
    std::string folderParent;         ///< where the task folders are
    std::vector<uid_t> trustedOwners; ///< whose task folder and record are believed
    /// Only root may schedule and cancel, and the waiting process moves into a scope unit of its
    /// own.
    bool forRoot = true;
    const char* localeDir = ""; ///< the folder of the notifications' translations
    /// Takes `action`; `stamp` names the minute acted on.
    std::function<sys::Result<>(Action action, const std::string& stamp)> act;
    /// Changes to the task that the environment asks for (the test twin's shorter warnings and
    /// postpones, another bus); logs what it cannot take.
    std::function<void(TaskDescription& task, const LogFunction& log)> adjust;
};
const Twin& twin();

/// Writes "zarn-shutdown: <message>" to standard error; 1, the exit status of a refusal.
int refuse(const std::string& message);

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
