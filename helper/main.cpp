// zarn-shutdown -h|-r|-s yyMMddHHmm: checks its arguments, starts the waiting process, prints
// its pid and returns. zarn-shutdown -c <pid>: cancels that waiting process, and only when the
// task record names it and it holds the one-task lock. zarn-shutdown --show, for any user: prints
// the task record when it names a live waiting process, else nothing. The lock and the record
// live in /run/<program file name>/, a folder only root can write. --help and --version print and
// return.
//
// Built a second time as dry-shutdown (ZARN_DRY_RUN), which records the action in
// $ZARN_DRY_RUN_LOG instead of taking it, runs for any user, keeps its folder in
// $ZARN_DRY_RUN_DIR (else the temporary folder) and never asks for a scope unit; for tests it
// also takes its warning offsets from $ZARN_DRY_WARN_SECONDS, the length of a postpone from
// $ZARN_DRY_POSTPONE_SECONDS and its bus from $DBUS_SESSION_BUS_ADDRESS.

#include "helper/Actions.h"
#include "helper/Cancel.h"
#include "helper/DeadlineTimer.h"
#include "helper/Detach.h"
#include "helper/Messages.h"
#include "helper/Notify.h"
#include "helper/Request.h"
#include "helper/Scope.h"
#include "helper/Task.h"
#include "helper/TaskFolder.h"
#include "helper/TaskLock.h"
#include "helper/Warnings.h"
#include "task/TaskRecord.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace zarn::helper;
namespace task = zarn::task;

// The waiting process arms its timer and then reports; a start that takes longer has failed.
constexpr int startTimeLimitMs = 10000;
// Well within the start's limit, so that a service manager that does not answer still leaves
// time to start without a scope.
constexpr std::chrono::seconds scopeTimeLimit{5};
// The waiting process reports this byte when it runs, or a message saying why it cannot.
constexpr char readyByte = 'R';
constexpr std::size_t reportLimit = 512;

int refuse(const std::string& message, int status) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return status;
}

std::string prefixed(std::string_view message) {
    return std::string(programName) + ": " + std::string(message);
}

// Where the task folders are: /run for the real helper, whatever is said for the test twin.
std::string taskFolderParent() {
#ifdef ZARN_DRY_RUN
    if (const char* dir = std::getenv("ZARN_DRY_RUN_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temporary.string();
#else
    return runFolder;
#endif
}

// Whose folder and record are believed: root's; the test twin, run by an ordinary user, also
// believes that user's own.
std::vector<uid_t> trustedOwners() {
#ifdef ZARN_DRY_RUN
    return {0, ::geteuid()};
#else
    return {0};
#endif
}

// The user behind sudo, else the caller.
std::uint32_t schedulingUid() {
    if (const char* text = std::getenv("SUDO_UID")) {
        const std::string_view digits(text);
        std::uint32_t uid = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), uid);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty()) {
            return uid;
        }
    }
    return ::getuid();
}

// Writes all of `text` to the pipe; a report is far below the size a pipe writes at once.
bool report(int fd, std::string_view text) {
    ssize_t written = -1;
    do {
        written = ::write(fd, text.data(), std::min(text.size(), reportLimit));
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(std::min(text.size(), reportLimit));
}

// The waiting process gives up before it has reported: says why, to the starter.
[[noreturn]] void failStart(int readyFd, const std::string& message) {
    report(readyFd, message);
    ::_exit(1);
}

// `stamp` names the minute acted on, the postponed one included.
bool takeAction(Action action, const std::string& stamp) {
#ifdef ZARN_DRY_RUN
    const char* logPath = std::getenv("ZARN_DRY_RUN_LOG");
    return recordDryRunAction(logPath != nullptr ? logPath : "", action, stamp);
#else
    (void)stamp;
    return runSystemAction(action);
#endif
}

// How the warnings and notices reach the user behind sudo, and when the warnings come.
struct Warnings {
    DesktopNotifications desktop;
    WarningPlan plan;
};

Warnings planWarnings(Instant deadline, const LogFunction& log) {
    const std::optional<Recipient> recipient =
        recipientFrom(std::getenv("SUDO_UID"), std::getenv("SUDO_GID"));
    std::vector<std::chrono::seconds> offsets(std::begin(defaultWarningOffsets),
                                              std::end(defaultWarningOffsets));
    std::string busAddress = recipient ? userBusAddress(recipient->uid) : std::string();
    std::chrono::milliseconds postponeBy = postponeStep;
#ifdef ZARN_DRY_RUN
    if (const char* text = std::getenv("ZARN_DRY_WARN_SECONDS")) {
        if (const auto parsed = parseWarningOffsets(text)) {
            offsets = *parsed;
        } else {
            log(LOG_WARNING,
                std::string("ZARN_DRY_WARN_SECONDS is not a list of seconds: ") + text);
        }
    }
    if (const char* text = std::getenv("ZARN_DRY_POSTPONE_SECONDS")) {
        if (const auto parsed = parseWarningOffsets(text); parsed && parsed->size() == 1) {
            postponeBy = parsed->front();
        }
    }
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        busAddress = address;
    }
#endif
    if (!recipient) {
        log(LOG_WARNING, "SUDO_UID/SUDO_GID name no user to warn; no desktop warnings");
    }
    Warnings warnings{desktopNotifications(recipient, busAddress, log), {}};
    warnings.plan.instants = warningInstants(std::chrono::system_clock::now(), deadline, offsets);
    warnings.plan.offsets = offsets;
    warnings.plan.warn = warnings.desktop.warn;
    warnings.plan.notify = warnings.desktop.notify;
    warnings.plan.postponeBy = postponeBy;
    warnings.plan.user = recipient ? "uid " + std::to_string(recipient->uid) : "the user";
    return warnings;
}

// The texts of the notifications in the user's language, where sudo passed it on and a
// catalogue of it is installed; else English.
void useTheUsersLanguage() {
    if (const auto language = messageLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                              std::getenv("LC_MESSAGES"), std::getenv("LANG"))) {
        useMessageLanguage(*language, ZARN_LOCALE_DIR);
    }
}

// The child: becomes the waiting process, moves into a scope unit of its own where systemd
// runs, writes the task record into the folder `folderFd` and tells the parent through `readyFd`
// once its timer is armed and the record is written; or tells why it cannot. Lives until the task
// ends, holding the one-task lock `lockFd` all along; at the end it removes the record, lets the
// lock go and then tells the user of a skipped or cancelled task. Never returns.
[[noreturn]] void becomeWaitingProcess(const Request& request, Instant deadline, int readyFd,
                                       int lockFd, int folderFd, const std::string& name) {
    const int keep[] = {readyFd, lockFd, folderFd};
    const std::optional<std::vector<int>> kept = detachFromCaller(keep);
    if (!kept) {
        ::_exit(1);
    }
    const int ready = (*kept)[0];
    const int lock = (*kept)[1];
    const int folder = (*kept)[2];
    // The name --show and -c look for, whatever the path the program was started through.
    ::prctl(PR_SET_NAME, name.c_str(), 0, 0, 0);
    ::openlog(programName.data(), LOG_PID, LOG_DAEMON);
#ifndef ZARN_DRY_RUN
    // Out of the caller's login session, so that its end does not end the task. Without a scope
    // the task still runs, as it would where there is no systemd.
    if (systemdRuns()) {
        if (const auto why = moveIntoOwnScope(scopeUnitName(name, ::getpid()), scopeTimeLimit)) {
            ::syslog(LOG_WARNING, "no scope unit of its own, staying in the caller's: %s",
                     why->c_str());
        }
    }
#endif
    const int terminated = terminationSignalFd();
    // Power off and reboot wake the machine to happen on time; sleep has no reason to.
    const std::optional<DeadlineTimer> timer =
        DeadlineTimer::arm(deadline, request.action != Action::Suspend);
    if (terminated < 0 || !timer) {
        failStart(ready, "cannot arm the timer");
    }
    const std::optional<task::ProcessStat> self = task::readProcessStat(::getpid());
    task::TaskRecord record;
    record.pid = ::getpid();
    record.startTime = self ? self->startTime : 0;
    record.action = request.action;
    record.stamp = request.stamp;
    record.deadline = deadline;
    record.uid = schedulingUid();
    if (!self || !task::writeTaskRecord(folder, record)) {
        failStart(ready, "cannot write the task record " +
                             taskFolderPath(taskFolderParent(), name) + "/" +
                             task::taskRecordFileName);
    }
    const bool reported = report(ready, std::string_view(&readyByte, 1));
    ::close(ready);
    if (!reported) {
        task::removeTaskRecord(folder);
        ::_exit(1);
    }
    useTheUsersLanguage();
    Warnings warnings = planWarnings(deadline, systemLog());
    warnings.plan.wakeForLastWarning = request.action != Action::Suspend;
    // A postpone is real once the record names the new deadline: the form and --show follow it.
    warnings.plan.postpone = [&record, folder](Instant later) {
        task::TaskRecord moved = record;
        moved.deadline = std::chrono::floor<std::chrono::seconds>(later);
        moved.stamp = task::stampFromInstant(later);
        if (!task::writeTaskRecord(folder, moved)) {
            return false;
        }
        record = moved;
        return true;
    };
    const Outcome outcome = runTask(
        request.action, *timer, terminated,
        [&record](Action action) { return takeAction(action, record.stamp); }, systemLog(),
        warnings.plan);
    task::removeTaskRecord(folder);
    // The task is over for everyone from here: the next may be scheduled while the user is told.
    ::close(lock);
    if (outcome == Outcome::Missed || outcome == Outcome::Cancelled) {
        warnings.desktop.notify(outcome == Outcome::Missed ? Notice::Skipped : Notice::Cancelled,
                                request.action, record.deadline, -1);
    }
    ::closelog();
    const bool failed = outcome == Outcome::ActionFailed || outcome == Outcome::WaitFailed;
    ::_exit(failed ? 1 : 0);
}

// Nothing once the child has reported that it runs; else why not (empty when it gave no reason).
// A child that failed, died or hung is killed and reaped.
std::optional<std::string> waitUntilReady(pid_t child, int readyFd) {
    pollfd watched{readyFd, POLLIN, 0};
    int polled = -1;
    do {
        polled = ::poll(&watched, 1, startTimeLimitMs);
    } while (polled < 0 && errno == EINTR);
    std::string text(reportLimit, '\0');
    ssize_t got = -1;
    if (polled > 0) {
        do {
            got = ::read(readyFd, text.data(), text.size());
        } while (got < 0 && errno == EINTR);
    }
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (text.size() == 1 && text[0] == readyByte) {
        return std::nullopt;
    }
    ::kill(child, SIGKILL);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return text;
}

// --show: the record of the task that waits now, else nothing. Exit status 0 when there is one.
int show(const std::string& name) {
    const std::vector<uid_t> owners = trustedOwners();
    const std::optional<task::TaskRecord> record =
        task::readLiveTaskRecord(taskFolderPath(taskFolderParent(), name), name, owners);
    if (!record) {
        return 1;
    }
    std::fputs(task::formatTaskRecord(*record).c_str(), stdout);
    return 0;
}

// Cancels the waiting process `pid` of this program, and nothing else.
int cancel(pid_t pid, const std::string& name) {
    constexpr auto waitLimit = std::chrono::seconds(2);
    const uid_t owner = ::geteuid();
    // A folder that is missing, or not this user's alone, holds no task of this user's.
    const int folder = task::openTrustedFolder(taskFolderPath(taskFolderParent(), name),
                                               std::span<const uid_t>(&owner, 1));
    const CancelOutcome outcome = cancelWaitingProcess(pid, folder, name, waitLimit);
    if (folder >= 0) {
        ::close(folder);
    }
    switch (outcome) {
    case CancelOutcome::Cancelled:
        return 0;
    case CancelOutcome::NoSuchProcess:
        return refuse(prefixed("no such process: " + std::to_string(pid)), 1);
    case CancelOutcome::NotTheTask:
        return refuse(prefixed("pid " + std::to_string(pid) + " is not the waiting task"), 1);
    case CancelOutcome::Failed:
        break;
    }
    return refuse(prefixed("cannot signal pid " + std::to_string(pid)), 1);
}

} // namespace

int main(int argc, char** argv) {
    // Whatever the caller ignored or blocked would reach the waiting process and its programs.
    resetSignalHandling();
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string name = executableFileName(argc > 0 ? argv[0] : nullptr);
    if (args.size() == 1 && args[0] == "--show") {
        return show(name);
    }
    if (args.size() == 1 && args[0] == "--help") {
        std::printf("%s\n", usageText.data());
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("%s %s\n", programName.data(), ZARN_VERSION);
        return 0;
    }
    const std::optional<pid_t> cancelPid = parseCancelArguments(args);
    const std::optional<Request> request = parseArguments(args);
    if (!request && !cancelPid) {
        return refuse(std::string(usageText), 64);
    }
#ifndef ZARN_DRY_RUN
    if (::geteuid() != 0) {
        return refuse(prefixed("must be run as root"), 1);
    }
#endif
    if (cancelPid) {
        return cancel(*cancelPid, name);
    }
    switch (classifyStamp(request->stamp)) {
    case LocalTime::Unique:
        break;
    case LocalTime::Repeated:
        return refuse(prefixed("that time occurs twice on this day: " + shownStamp(request->stamp)),
                      1);
    case LocalTime::Skipped:
        return refuse(
            prefixed("that time does not exist on this day: " + shownStamp(request->stamp)), 1);
    case LocalTime::Invalid:
        return refuse(prefixed("not a valid time: " + shownStamp(request->stamp)), 1);
    }
    const std::optional<Instant> deadline = deadlineFromStamp(request->stamp);
    if (!deadline) {
        return refuse(prefixed("not a valid time: " + shownStamp(request->stamp)), 1);
    }
    if (*deadline <= std::chrono::system_clock::now()) {
        return refuse(prefixed("that time is already past"), 1);
    }

    const std::string folderPath = taskFolderPath(taskFolderParent(), name);
    const TaskFolder folder = makeTaskFolder(folderPath);
    if (folder.fd < 0) {
        return refuse(prefixed(folder.error), 1);
    }
    // Taken before the fork and shared with the child, so that two starts can never both win;
    // it is released when the waiting process ends, however it ends.
    const TaskLock lock = takeTaskLock(folder.fd);
    if (lock.state == TaskLock::State::Busy) {
        return refuse(prefixed("a task is already scheduled") +
                          (lock.holder > 0 ? " (pid " + std::to_string(lock.holder) + ")" : ""),
                      1);
    }
    if (lock.state == TaskLock::State::Failed) {
        return refuse(
            prefixed("cannot take the task lock " + folderPath + "/" + task::taskLockFileName), 1);
    }

    int readyPipe[2];
    if (::pipe2(readyPipe, O_CLOEXEC) != 0) {
        return refuse(prefixed("cannot start the waiting process"), 1);
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        return refuse(prefixed("cannot start the waiting process"), 1);
    }
    if (child == 0) {
        ::close(readyPipe[0]);
        becomeWaitingProcess(*request, *deadline, readyPipe[1], lock.fd, folder.fd, name);
    }
    ::close(readyPipe[1]);
    // Recorded here rather than by the child, so that the holder is known from the first moment.
    if (!recordLockHolder(lock.fd, child)) {
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        return refuse(
            prefixed("cannot write the task lock " + folderPath + "/" + task::taskLockFileName), 1);
    }
    const std::optional<std::string> failure = waitUntilReady(child, readyPipe[0]);
    ::close(readyPipe[0]);
    if (failure) {
        return refuse(prefixed(failure->empty() ? "the waiting process did not start" : *failure),
                      1);
    }
    std::printf("%s: [pid %ld]\n", programName.data(), static_cast<long>(child));
    return 0;
}
