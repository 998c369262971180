#include "helper/WaitingProcess.h"

#include "helper/DeadlineTimer.h"
#include "helper/Detach.h"
#include "helper/Messages.h"
#include "helper/Notify.h"
#include "helper/Task.h"
#include "helper/TaskFolder.h"
#include "sys/Fd.h"
#include "sys/Process.h"
#include "task/TaskRecord.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <syslog.h>
#include <unistd.h>

namespace zarn::helper {

namespace {

// The waiting process arms its timer and then reports; a start that takes longer has failed.
constexpr std::chrono::seconds startTimeLimit{10};
// Well within the start's limit, so that a service manager that does not answer still leaves
// time to start without a scope.
constexpr std::chrono::seconds scopeTimeLimit{5};
// The waiting process reports this byte when it runs, or a message saying why it cannot.
constexpr char readyByte = 'R';
constexpr std::size_t reportLimit = 512;

// The waiting process gives up before it has reported: says why, to the starter.
[[noreturn]] void failStart(const sys::Fd& ready, const std::string& message) {
    (void)sys::writeAll(ready.get(), std::string_view(message).substr(0, reportLimit));
    ::_exit(1);
}

// Named as --show and -c look for it, whatever the path it was started through, logging under
// the program's name, and out of the caller's login session, so that its end does not end the
// task. Without a scope the task still runs, as it would where there is no systemd.
void settle(const TaskDescription& task) {
    ::prctl(PR_SET_NAME, task.name.c_str(), 0, 0, 0);
    ::openlog(programName.data(), LOG_PID, LOG_DAEMON);
    if (twin().forRoot && systemdRuns()) {
        const std::string unit = scopeUnitName(task.name, ::getpid());
        if (const sys::Result<> moved = moveIntoOwnScope(unit, scopeTimeLimit); !moved) {
            ::syslog(LOG_WARNING, "no scope unit of its own, staying in the caller's: %s",
                     moved.error().text.c_str());
        }
    }
}

WarningPlan warningPlan(const TaskDescription& task, const DesktopNotifications& desktop,
                        task::TaskRecord& record, int folder) {
    WarningPlan plan{task.warningOffsets, desktop.warn};
    plan.notify = desktop.notify;
    plan.postponeBy = task.postponeBy;
    // Power off and reboot wake the machine to happen on time, so their last warning does too.
    plan.wakeForLastWarning = task.action != Action::Suspend;
    plan.user = task.recipient ? "uid " + std::to_string(task.recipient->uid) : "the user";
    // A postpone is real once the record names the new deadline: the form and --show follow it.
    plan.postpone = [&record, folder](Instant later) {
        task::TaskRecord moved = record;
        moved.deadline = std::chrono::floor<std::chrono::seconds>(later);
        moved.stamp = task::stampFromInstant(later);
        if (moved.stamp.empty() || !task::writeTaskRecord(folder, moved)) {
            return false;
        }
        record = moved;
        return true;
    };
    return plan;
}

// The waiting process from the moment it reported until the task ends: the lock is let go once
// the record is gone, and only then is the user told of a skipped or cancelled task, so that the
// next task may be scheduled meanwhile.
[[noreturn]] void live(const TaskDescription& task, DeadlineTimer timer, const sys::Fd& terminated,
                       sys::Fd lock, const sys::Fd& folder, task::TaskRecord record) {
    // The notifications in the user's language, where sudo passed it on and a catalogue of it is
    // installed; else in English.
    if (const auto language = messageLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                              std::getenv("LC_MESSAGES"), std::getenv("LANG"))) {
        useMessageLanguage(*language, twin().localeDir);
    }
    if (!task.recipient) {
        ::syslog(LOG_WARNING, "SUDO_UID/SUDO_GID name no user to warn; no desktop warnings");
    }
    const DesktopNotifications desktop =
        desktopNotifications(task.recipient, task.busAddress, systemLog());
    const WarningPlan plan = warningPlan(task, desktop, record, folder.get());
    const auto act = [&record](Action action) {
        const sys::Result<> done = twin().act(action, record.stamp);
        if (!done) {
            ::syslog(LOG_ERR, "%s", done.error().text.c_str());
        }
        return static_cast<bool>(done);
    };
    const Outcome outcome =
        runTask(task.action, std::move(timer), terminated.get(), act, systemLog(), plan);
    task::removeTaskRecord(folder.get());
    lock.reset();
    if (outcome == Outcome::Missed || outcome == Outcome::Cancelled) {
        desktop.notify(outcome == Outcome::Missed ? Notice::Skipped : Notice::Cancelled,
                       task.action, record.deadline, -1);
    }
    ::closelog();
    ::_exit(outcome == Outcome::ActionFailed || outcome == Outcome::WaitFailed ? 1 : 0);
}

// The child: becomes the waiting process, writes the task record into `folder` and tells the
// starter through `ready` once its timer is armed and the record is written, or tells why it
// cannot. Holds the one-task lock `lock` until the task ends.
[[noreturn]] void becomeWaitingProcess(TaskDescription task, sys::Fd ready, sys::Fd lock,
                                       sys::Fd folder) {
    if (const sys::Result<> detached = detachFromCaller({&ready, &lock, &folder}); !detached) {
        failStart(ready, "cannot leave the caller: " + detached.error().text);
    }
    settle(task);
    twin().adjust(task, systemLog());
    sys::Result<sys::Fd> terminated = terminationSignalFd();
    sys::Result<DeadlineTimer> timer =
        DeadlineTimer::arm(task.deadline, task.action != Action::Suspend);
    if (!terminated || !timer) {
        failStart(ready, "cannot arm the timer: " +
                             (terminated ? timer.error() : terminated.error()).text);
    }
    const std::optional<task::ProcessStat> self = task::readProcessStat(::getpid());
    const task::TaskRecord record{::getpid(),    self ? self->startTime : 0,
                                  task.action,   task.stamp,
                                  task.deadline, task.schedulingUid};
    if (!self || !task::writeTaskRecord(folder.get(), record)) {
        failStart(ready, "cannot write the task record " +
                             taskFolderPath(task.folderParent, task.name) + "/" +
                             task::taskRecordFileName);
    }
    if (!sys::writeAll(ready.get(), std::string_view(&readyByte, 1))) {
        task::removeTaskRecord(folder.get());
        ::_exit(1);
    }
    ready.reset();
    live(task, std::move(*timer), *terminated, std::move(lock), folder, record);
}

sys::Result<pid_t> startWaitingProcess(const TaskDescription& task, sys::Fd& folder, sys::Fd& lock,
                                       const std::string& lockPath) {
    sys::Result<sys::Pipe> ready = sys::makePipe();
    std::fflush(nullptr);
    const pid_t child = ready ? ::fork() : -1;
    if (child < 0) {
        return sys::Error{"cannot start the waiting process"};
    }
    if (child == 0) {
        ready->read.reset();
        becomeWaitingProcess(task, std::move(ready->write), std::move(lock), std::move(folder));
    }
    ready->write.reset();
    // Recorded here rather than by the child, so that the holder is known from the first moment.
    if (!recordLockHolder(lock.get(), child)) {
        sys::killAndReap(child);
        return sys::Error{"cannot write the task lock " + lockPath};
    }
    // A child that failed, died or hung is killed and reaped.
    const sys::BoundedRead report = sys::readBounded(
        ready->read.get(), reportLimit, std::chrono::steady_clock::now() + startTimeLimit);
    if (report.bytes != std::string_view(&readyByte, 1)) {
        sys::killAndReap(child);
        return sys::Error{report.bytes.empty() ? "the waiting process did not start"
                                               : report.bytes};
    }
    return child;
}

// From the "Uid:" line of /proc/<pid>/status (real, effective, saved, fs): the owner of
// /proc/<pid> is root for any process that made itself undumpable.
bool hasEffectiveUid(pid_t pid, uid_t uid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line) && !line.starts_with("Uid:")) {
    }
    std::istringstream ids(line.substr(std::min<std::size_t>(line.size(), 4)));
    long real = -1;
    long effective = -1;
    return static_cast<bool>(ids >> real >> effective) && effective == static_cast<long>(uid);
}

// SIGTERM to `pid` only when it is the waiting process of `folder`: the record (this effective
// user's file) names it and its start time, it runs as `name` with this effective uid, and it
// holds the lock. The executable is not compared, so an upgrade does not hide it; the pidfd taken
// first means a reused pid is never signalled. Then two seconds for it to end.
sys::Result<> cancelWaitingProcess(pid_t pid, int folder, const std::string& name) {
    const std::string number = std::to_string(pid);
    // Why a step failed: that the process is gone, or else `otherwise`.
    const auto refused = [&number](const sys::Error& error, const std::string& otherwise) {
        return sys::Error{error.code == ESRCH ? "no such process: " + number : otherwise};
    };
    const sys::Result<sys::Fd> pidfd = pid > 0 ? sys::openPidfd(pid) : sys::Error{"", ESRCH};
    if (!pidfd) {
        return refused(pidfd.error(), "cannot signal pid " + number);
    }
    const uid_t owner = ::geteuid();
    const std::optional<task::TaskRecord> record =
        task::readTaskRecord(folder, std::span<const uid_t>(&owner, 1));
    const std::optional<task::ProcessStat> stat = task::readProcessStat(pid);
    if (!record || record->pid != pid || !stat ||
        !task::recordMatchesProcess(*record, *stat, name) || !hasEffectiveUid(pid, owner) ||
        !isLockHeldBy(folder, pid)) {
        const sys::Result<> alive = sys::signalPidfd(*pidfd, 0);
        return refused(alive ? sys::Error{} : alive.error(),
                       "pid " + number + " is not the waiting task");
    }
    if (const sys::Result<> sent = sys::signalPidfd(*pidfd, SIGTERM); !sent) {
        return refused(sent.error(), "cannot signal pid " + number);
    }
    // The pidfd becomes readable once the process has ended.
    sys::waitReadable(pidfd->get(), std::chrono::steady_clock::now() + std::chrono::seconds(2));
    return sys::Ok{};
}

} // namespace

int refuse(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName.data(), message.c_str());
    return 1;
}

sys::Result<Instant> deadlineOf(const std::string& stamp) {
    const std::string shown = shownText(stamp, 32);
    switch (task::classifyStamp(stamp)) {
    case task::LocalTime::Unique:
        break;
    case task::LocalTime::Repeated:
        return sys::Error{"that time occurs twice on this day: " + shown};
    case task::LocalTime::Skipped:
        return sys::Error{"that time does not exist on this day: " + shown};
    case task::LocalTime::Invalid:
        return sys::Error{"not a valid time: " + shown};
    }
    const std::optional<Instant> deadline = task::deadlineFromStamp(stamp);
    if (!deadline) {
        return sys::Error{"not a valid time: " + shown};
    }
    if (*deadline <= std::chrono::system_clock::now()) {
        return sys::Error{"that time is already past"};
    }
    return *deadline;
}

int scheduleTask(const TaskDescription& task) {
    const std::string folderPath = taskFolderPath(task.folderParent, task.name);
    sys::Result<sys::Fd> folder = makeTaskFolder(folderPath);
    if (!folder) {
        return refuse(folder.error().text);
    }
    // Taken before the fork and shared with the child, so that two starts can never both win;
    // it is released when the waiting process ends, however it ends.
    sys::Result<sys::Fd> lock = takeTaskLock(folder->get(), folderPath);
    if (!lock) {
        return refuse(lock.error().text);
    }
    const std::string lockPath = folderPath + "/" + task::taskLockFileName;
    const sys::Result<pid_t> child = startWaitingProcess(task, *folder, *lock, lockPath);
    if (!child) {
        return refuse(child.error().text);
    }
    std::printf("%s: [pid %ld]\n", programName.data(), static_cast<long>(*child));
    return 0;
}

int showTask(const std::string& name) {
    const std::vector<uid_t> owners = twin().trustedOwners;
    const std::optional<task::TaskRecord> record =
        task::readLiveTaskRecord(taskFolderPath(twin().folderParent, name), name, owners);
    if (!record) {
        return 1;
    }
    std::fputs(task::formatTaskRecord(*record).c_str(), stdout);
    return 0;
}

int cancelTask(pid_t pid, const std::string& name) {
    const uid_t owner = ::geteuid();
    // A folder that is missing, or not this user's alone, holds no task of this user's.
    const sys::Fd folder(task::openTrustedFolder(taskFolderPath(twin().folderParent, name),
                                                 std::span<const uid_t>(&owner, 1)));
    const sys::Result<> cancelled = cancelWaitingProcess(pid, folder.get(), name);
    return cancelled ? 0 : refuse(cancelled.error().text);
}

} // namespace zarn::helper
