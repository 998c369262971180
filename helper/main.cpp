// zarn-shutdown -h|-r|-s yyMMddHHmm: checks its arguments, starts the waiting process, prints
// its pid and returns. zarn-shutdown -c <pid>: cancels that waiting process, and only when it is
// this program's own, holding the one-task lock. Built a second time as dry-shutdown
// (ZARN_DRY_RUN), which records the action in $ZARN_DRY_RUN_LOG instead of taking it and runs for
// any user; for tests it also takes its warning offsets from $ZARN_DRY_WARN_SECONDS and its bus
// from $DBUS_SESSION_BUS_ADDRESS.

#include "helper/Actions.h"
#include "helper/Cancel.h"
#include "helper/DeadlineTimer.h"
#include "helper/Detach.h"
#include "helper/Notify.h"
#include "helper/Request.h"
#include "helper/Task.h"
#include "helper/TaskLock.h"
#include "helper/Warnings.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace zarn::helper;

// The waiting process arms its timer and then reports; a start that takes longer has failed.
constexpr int startTimeLimitMs = 10000;
constexpr char readyByte = 'R';

int refuse(const std::string& message, int status) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return status;
}

std::string prefixed(std::string_view message) {
    return std::string(programName) + ": " + std::string(message);
}

bool takeAction(Action action, const std::string& stamp) {
#ifdef ZARN_DRY_RUN
    const char* logPath = std::getenv("ZARN_DRY_RUN_LOG");
    return recordDryRunAction(logPath != nullptr ? logPath : "", action, stamp);
#else
    (void)stamp;
    return runSystemAction(action);
#endif
}

// The plan of warnings before `deadline`, and how each goes to the user behind sudo.
WarningPlan planWarnings(Instant deadline, const LogFunction& log) {
    const std::optional<Recipient> recipient =
        recipientFrom(std::getenv("SUDO_UID"), std::getenv("SUDO_GID"));
    std::vector<std::chrono::seconds> offsets(std::begin(defaultWarningOffsets),
                                              std::end(defaultWarningOffsets));
    std::string busAddress = recipient ? userBusAddress(recipient->uid) : std::string();
#ifdef ZARN_DRY_RUN
    if (const char* text = std::getenv("ZARN_DRY_WARN_SECONDS")) {
        if (const auto parsed = parseWarningOffsets(text)) {
            offsets = *parsed;
        } else {
            log(LOG_WARNING,
                std::string("ZARN_DRY_WARN_SECONDS is not a list of seconds: ") + text);
        }
    }
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        busAddress = address;
    }
#endif
    if (!recipient) {
        log(LOG_WARNING, "SUDO_UID/SUDO_GID name no user to warn; no desktop warnings");
    }
    return {warningInstants(std::chrono::system_clock::now(), deadline, offsets),
            desktopWarner(recipient, busAddress, log)};
}

// The child: becomes the waiting process, tells the parent through `readyFd` once its timer is
// armed, and lives until the task ends, holding the one-task lock `lockFd` all along (it is never
// closed: it goes with the process). Never returns.
[[noreturn]] void becomeWaitingProcess(const Request& request, Instant deadline, int readyFd,
                                       int lockFd) {
    const int keep[] = {readyFd, lockFd};
    const std::optional<std::vector<int>> kept = detachFromCaller(keep);
    if (!kept) {
        ::_exit(1);
    }
    const int ready = kept->front();
    const int terminated = terminationSignalFd();
    // Power off and reboot wake the machine to happen on time; sleep has no reason to.
    const std::optional<DeadlineTimer> timer =
        DeadlineTimer::arm(deadline, request.action != Action::Suspend);
    if (terminated < 0 || !timer) {
        ::_exit(1);
    }
    ::openlog(programName.data(), LOG_PID, LOG_DAEMON);
    ssize_t written = -1;
    do {
        written = ::write(ready, &readyByte, 1);
    } while (written < 0 && errno == EINTR);
    ::close(ready);
    if (written != 1) {
        ::_exit(1);
    }
    const WarningPlan warnings = planWarnings(deadline, systemLog());
    const Outcome outcome = runTask(
        request.action, *timer, terminated,
        [&request](Action action) { return takeAction(action, request.stamp); }, systemLog(),
        warnings);
    ::closelog();
    const bool failed = outcome == Outcome::ActionFailed || outcome == Outcome::WaitFailed;
    ::_exit(failed ? 1 : 0);
}

// True once the child has reported; a child that died or hung is killed and reaped.
bool waitUntilReady(pid_t child, int readyFd) {
    pollfd watched{readyFd, POLLIN, 0};
    int polled = -1;
    do {
        polled = ::poll(&watched, 1, startTimeLimitMs);
    } while (polled < 0 && errno == EINTR);
    char byte = 0;
    ssize_t got = -1;
    if (polled > 0) {
        do {
            got = ::read(readyFd, &byte, 1);
        } while (got < 0 && errno == EINTR);
    }
    if (got == 1 && byte == readyByte) {
        return true;
    }
    ::kill(child, SIGKILL);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return false;
}

// Cancels the waiting process `pid` of this program, and nothing else.
int cancel(pid_t pid, const std::string& lockPath) {
    constexpr auto waitLimit = std::chrono::seconds(2);
    switch (cancelWaitingProcess(pid, lockPath, waitLimit)) {
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
    const std::string lockPath = taskLockPath(executableFileName(argc > 0 ? argv[0] : nullptr));
    if (cancelPid) {
        return cancel(*cancelPid, lockPath);
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

    // Taken before the fork and shared with the child, so that two starts can never both win;
    // it is released when the waiting process ends, however it ends.
    const TaskLock lock = takeTaskLock(lockPath);
    if (lock.state == TaskLock::State::Busy) {
        return refuse(prefixed("a task is already scheduled") +
                          (lock.holder > 0 ? " (pid " + std::to_string(lock.holder) + ")" : ""),
                      1);
    }
    if (lock.state == TaskLock::State::Failed) {
        return refuse(prefixed("cannot take the task lock " + lockPath), 1);
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
        becomeWaitingProcess(*request, *deadline, readyPipe[1], lock.fd);
    }
    ::close(readyPipe[1]);
    // Recorded here rather than by the child, so that the holder is known from the first moment.
    recordLockHolder(lock.fd, child);
    const bool ready = waitUntilReady(child, readyPipe[0]);
    ::close(readyPipe[0]);
    if (!ready) {
        return refuse(prefixed("the waiting process did not start"), 1);
    }
    std::printf("%s: [pid %ld]\n", programName.data(), static_cast<long>(child));
    return 0;
}
