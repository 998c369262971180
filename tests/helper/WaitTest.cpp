#include "helper/Actions.h"
#include "helper/DeadlineTimer.h"
#include "helper/Detach.h"
#include "helper/Task.h"
#include "tests/helper/HelperTestSupport.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <syslog.h>
#include <thread>
#include <unistd.h>

namespace zarn::helper {

/// How a test's wait for a timer ended.
enum class WaitEnd { Reached, Stopped, Failed };

// Names instead of bytes in failure messages.
void PrintTo(WaitEnd end, std::ostream* out) {
    *out << (end == WaitEnd::Reached ? "Reached" : end == WaitEnd::Stopped ? "Stopped" : "Failed");
}
void PrintTo(Decision decision, std::ostream* out) {
    *out << (decision == Decision::Act ? "Act" : "Missed");
}
void PrintTo(Outcome outcome, std::ostream* out) {
    const char* names[] = {"Acted", "ActionFailed", "Missed", "Cancelled", "WaitFailed"};
    *out << names[static_cast<int>(outcome)];
}

} // namespace zarn::helper

namespace {

using zarn::test::StopSignal;

using namespace zarn::helper;
using namespace std::chrono_literals;
using zarn::test::readFile;
using zarn::test::TempDir;

Instant now() {
    return std::chrono::system_clock::now();
}

// Waits on the timer as the waiting process's poll does, until the deadline or `stopFd`; a signal
// that interrupts the wait does not end it.
WaitEnd waitFor(const DeadlineTimer& timer, int stopFd) {
    for (;;) {
        pollfd watched[2] = {{timer.fd(), POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return WaitEnd::Failed;
        }
        if (watched[1].revents != 0) {
            return WaitEnd::Stopped;
        }
        if (const std::optional<bool> reached = timer.expired(watched[0].revents)) {
            return *reached ? WaitEnd::Reached : WaitEnd::Failed;
        }
    }
}

// Joins its thread whatever the test's assertions did.
struct JoiningThread {
    std::thread thread;
    template <typename F> explicit JoiningThread(F&& f) : thread(std::forward<F>(f)) {}
    ~JoiningThread() { thread.join(); }
};

struct LogLine {
    int priority;
    std::string message;
};

// Collects what runTask logs and how often it acts.
struct Recorder {
    std::vector<LogLine> lines;
    std::vector<Action> acted;
    bool actionSucceeds = true;

    ActionFunction act() {
        return [this](Action action) {
            acted.push_back(action);
            return actionSucceeds;
        };
    }
    LogFunction log() {
        return [this](int priority, const std::string& message) {
            lines.push_back({priority, message});
        };
    }
};

std::atomic<int> interruptions{0};

void countInterruption(int) {
    interruptions.fetch_add(1);
}

TEST(DeadlineTimer, WakesAtTheDeadlineNotBefore) {
    const Instant deadline = now() + 300ms;
    auto timer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->deadline(), deadline);
    EXPECT_EQ(timer->clock(), CLOCK_REALTIME);
    EXPECT_EQ(waitFor(*timer, -1), WaitEnd::Reached);
    const Instant woke = now();
    EXPECT_GE(woke, deadline);
    EXPECT_LT(woke - deadline, 200ms);
}

TEST(DeadlineTimer, APastDeadlineIsReachedAtOnce) {
    for (const Instant deadline : {now() - 10s, Instant{}}) {
        auto timer = DeadlineTimer::arm(deadline, false);
        ASSERT_TRUE(timer);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(waitFor(*timer, -1), WaitEnd::Reached);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 100ms);
    }
}

TEST(DeadlineTimer, ResumesTheSameDeadlineAfterASignal) {
    struct sigaction handler {};
    handler.sa_handler = countInterruption;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = 0; // no SA_RESTART: the poll comes back with EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &handler, &previous), 0);
    interruptions = 0;

    const Instant deadline = now() + 1200ms;
    auto timer = DeadlineTimer::arm(deadline, true);
    ASSERT_TRUE(timer);
    const pthread_t waiter = ::pthread_self();
    WaitEnd end = WaitEnd::Failed;
    {
        JoiningThread interrupter([waiter] {
            std::this_thread::sleep_for(300ms);
            ::pthread_kill(waiter, SIGUSR1);
            std::this_thread::sleep_for(300ms);
            ::pthread_kill(waiter, SIGUSR1);
        });
        end = waitFor(*timer, -1);
    }
    const Instant woke = now();
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_EQ(end, WaitEnd::Reached);
    EXPECT_EQ(interruptions.load(), 2);
    EXPECT_GE(woke, deadline);
    EXPECT_LT(woke - deadline, 300ms);
}

TEST(DeadlineTimer, StopsWhenTheStopDescriptorIsReadable) {
    const StopSignal stop;
    auto timer = DeadlineTimer::arm(now() + 30s, true);
    ASSERT_TRUE(timer);
    const auto started = std::chrono::steady_clock::now();
    {
        JoiningThread stopper([&stop] {
            std::this_thread::sleep_for(200ms);
            stop.raise();
        });
        EXPECT_EQ(waitFor(*timer, stop.fd), WaitEnd::Stopped);
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 190ms);
    EXPECT_LT(waited, 2s);
    // The stop descriptor is left unread: a second wait stops as well.
    EXPECT_EQ(waitFor(*timer, stop.fd), WaitEnd::Stopped);
}

TEST(DeadlineTimer, FallsBackToTheRealTimeClockWithoutTheRightToWake) {
    // A child without privileges (setuid drops every capability, CAP_WAKE_ALARM included) must
    // still get a timer, on CLOCK_REALTIME. Reported through the exit status: 0 is right.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        auto timer = DeadlineTimer::arm(now() + 50ms, true);
        if (!timer) {
            ::_exit(3);
        }
        if (timer->clock() != CLOCK_REALTIME) {
            ::_exit(4);
        }
        ::_exit(waitFor(*timer, -1) == WaitEnd::Reached ? 0 : 5);
    }
    const auto status = zarn::test::waitForChild(child, 5s);
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST(Decision, ActsUpToFiveMinutesLate) {
    const Instant deadline = now();
    EXPECT_EQ(decideAfterWake(deadline, deadline), Decision::Act);
    EXPECT_EQ(decideAfterWake(deadline, deadline - 1s), Decision::Act);
    EXPECT_EQ(decideAfterWake(deadline, deadline + 3s), Decision::Act);
    EXPECT_EQ(decideAfterWake(deadline, deadline + 300s), Decision::Act);
    EXPECT_EQ(decideAfterWake(deadline, deadline + 300s + 1us), Decision::Missed);
    EXPECT_EQ(decideAfterWake(deadline, deadline + 301s), Decision::Missed);
    EXPECT_EQ(decideAfterWake(deadline, deadline + 24h), Decision::Missed);
}

TEST(Task, ActsOnceWhenTheWaitEndsInTime) {
    Recorder recorder;
    const Instant deadline = now() - 1s;
    auto timer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(timer);
    const auto outcome = runTask(Action::Reboot, std::move(*timer), -1, recorder.act(),
                                 recorder.log(), {}, [deadline] { return deadline + 3s; });
    EXPECT_EQ(outcome, Outcome::Acted);
    EXPECT_EQ(recorder.acted, std::vector<Action>{Action::Reboot});
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0].message, "reboot scheduled for " + describeInstant(deadline));
    EXPECT_EQ(recorder.lines[1].message, "acting now: reboot");
}

TEST(Task, DoesNotActWhenWokenMoreThanFiveMinutesLate) {
    Recorder recorder;
    const Instant deadline = now() - 1s;
    auto timer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(timer);
    const auto outcome = runTask(Action::PowerOff, std::move(*timer), -1, recorder.act(),
                                 recorder.log(), {}, [deadline] { return deadline + 301s; });
    EXPECT_EQ(outcome, Outcome::Missed);
    EXPECT_TRUE(recorder.acted.empty());
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[1].priority, LOG_WARNING);
    EXPECT_EQ(recorder.lines[1].message,
              "poweroff for " + describeInstant(deadline) + " missed: woke 301 s late, not acting");
}

TEST(Task, LatenessIsMeasuredOnTheRealClock) {
    // Without an injected clock: deadlines already past when the wait starts.
    Recorder recorder;
    auto late = DeadlineTimer::arm(now() - 301s, false);
    auto nearlyOnTime = DeadlineTimer::arm(now() - 3s, false);
    ASSERT_TRUE(late && nearlyOnTime);
    EXPECT_EQ(runTask(Action::Suspend, std::move(*late), -1, recorder.act(), recorder.log()),
              Outcome::Missed);
    EXPECT_TRUE(recorder.acted.empty());
    EXPECT_EQ(
        runTask(Action::Suspend, std::move(*nearlyOnTime), -1, recorder.act(), recorder.log()),
        Outcome::Acted);
    EXPECT_EQ(recorder.acted, std::vector<Action>{Action::Suspend});
}

TEST(Task, ReportsAFailedAction) {
    Recorder recorder;
    recorder.actionSucceeds = false;
    auto timer = DeadlineTimer::arm(now(), false);
    ASSERT_TRUE(timer);
    EXPECT_EQ(runTask(Action::Suspend, std::move(*timer), -1, recorder.act(), recorder.log()),
              Outcome::ActionFailed);
    EXPECT_EQ(recorder.acted.size(), 1u);
    ASSERT_FALSE(recorder.lines.empty());
    EXPECT_EQ(recorder.lines.back().priority, LOG_ERR);
    EXPECT_EQ(recorder.lines.back().message, "suspend failed");
}

TEST(Task, CancelledBeforeTheDeadlineDoesNotAct) {
    Recorder recorder;
    const StopSignal stop;
    stop.raise();
    const Instant deadline = now() + 60s;
    auto timer = DeadlineTimer::arm(deadline, false);
    ASSERT_TRUE(timer);
    EXPECT_EQ(runTask(Action::PowerOff, std::move(*timer), stop.fd, recorder.act(), recorder.log()),
              Outcome::Cancelled);
    EXPECT_TRUE(recorder.acted.empty());
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[1].message,
              "poweroff for " + describeInstant(deadline) + " cancelled by SIGTERM");
}

TEST(TerminationSignal, ASigtermBecomesReadableInsteadOfEndingTheProcess) {
    // In a child, since it blocks SIGTERM for good.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto fd = terminationSignalFd();
        if (!fd) {
            ::_exit(2);
        }
        auto timer = DeadlineTimer::arm(now() + 30s, true);
        if (!timer) {
            ::_exit(3);
        }
        ::kill(::getpid(), SIGTERM);
        ::_exit(waitFor(*timer, fd->get()) == WaitEnd::Stopped ? 0 : 4);
    }
    const auto status = zarn::test::waitForChild(child, 5s);
    if (!status) {
        ::kill(child, SIGKILL);
        zarn::test::waitForChild(child, 5s);
    }
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST(Commands, RunsTheFirstThatExistsAndReadsItsStatus) {
    EXPECT_TRUE(runFirstAvailable({{"/nonexistent/zarn-none"}, {"sh", "-c", "exit 0"}}, 5s));
    EXPECT_FALSE(runFirstAvailable({{"sh", "-c", "exit 3"}, {"sh", "-c", "exit 0"}}, 5s));
    EXPECT_FALSE(runFirstAvailable({{"/nonexistent/a"}, {"/nonexistent/b"}}, 5s));
    EXPECT_FALSE(runFirstAvailable({}, 5s));
    EXPECT_FALSE(runFirstAvailable({{"sh", "-c", "kill -KILL $$"}}, 5s));
}

TEST(Commands, AHungCommandIsKilledAtTheLimit) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(runFirstAvailable({{"sleep", "30"}}, 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST(Commands, TheCommandGetsNeitherTheBlockedSigtermNorTheIgnoredSighup) {
    const TempDir dir;
    const std::string report = (dir.path() / "signals").string();
    sigset_t terminate;
    sigset_t previous;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &terminate, &previous);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousHangUp {};
    struct sigaction previousPipe {};
    ::sigaction(SIGHUP, &ignore, &previousHangUp);
    ::sigaction(SIGPIPE, &ignore, &previousPipe);
    // exec: grep itself reads its masks; the shell blocks signals while it waits for a child.
    const bool ran = static_cast<bool>(runFirstAvailable(
        {{"sh", "-c", "exec grep -E '^Sig(Blk|Ign):' /proc/self/status > \"$0\"", report}}, 5s));
    ::sigaction(SIGHUP, &previousHangUp, nullptr);
    ::sigaction(SIGPIPE, &previousPipe, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    ASSERT_TRUE(ran);
    const std::string masks = readFile(report);
    EXPECT_NE(masks.find("SigBlk:\t0000000000000000\n"), std::string::npos) << masks;
    // SIGHUP is signal 1, the lowest bit of the ignored set, and SIGPIPE signal 13.
    const auto ignored = masks.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos) << masks;
    const unsigned long bits = std::stoul(masks.substr(ignored + 8, 16), nullptr, 16);
    EXPECT_EQ(bits & (1u | 1u << 12), 0u) << masks;
}

TEST(Commands, RunFromTheSystemFoldersWithAFixedEnvironmentWhateverTheCallerHas) {
    const TempDir dir;
    const std::string planted = (dir.path() / "systemctl").string();
    std::ofstream(planted) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(planted, std::filesystem::perms::owner_all);
    const std::string report = (dir.path() / "environment").string();
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath != nullptr ? oldPath : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    ::setenv("ZARN_LEAKED", "1", 1);
    const std::string systemctl = resolveProgram("systemctl");
    const std::string sh = resolveProgram("sh");
    const bool ran =
        static_cast<bool>(runFirstAvailable({{"sh", "-c", "env > \"$0\"", report}}, 5s));
    ::setenv("PATH", savedPath.c_str(), 1);
    ::unsetenv("ZARN_LEAKED");

    for (const std::string& program : {systemctl, sh}) {
        EXPECT_TRUE(program.empty() || program.rfind("/usr/bin/", 0) == 0 ||
                    program.rfind("/bin/", 0) == 0)
            << program;
    }
    EXPECT_NE(systemctl, planted);
    ASSERT_TRUE(ran);
    // sh adds PWD, SHLVL and _ of its own; nothing of the caller's gets through.
    const std::string environment = readFile(report);
    EXPECT_NE(environment.find("PATH=/usr/bin:/bin:/usr/sbin:/sbin\n"), std::string::npos)
        << environment;
    EXPECT_NE(environment.find("LANG=C\n"), std::string::npos) << environment;
    EXPECT_EQ(environment.find("ZARN_LEAKED"), std::string::npos) << environment;
    EXPECT_EQ(environment.find(dir.path().string()), std::string::npos) << environment;
}

TEST(Detach, ClosingKeepsOnlyTheGivenDescriptorsAndTheStandardStreams) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int kept = ::open("/dev/null", O_RDONLY);
        for (int i = 0; i < 5; ++i) {
            ::open("/dev/null", O_RDONLY);
        }
        const int keep[] = {kept};
        closeDescriptorsExcept(keep);
        std::vector<int> open;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            open.push_back(std::stoi(entry.path().filename().string()));
        }
        // The listing's own descriptor is among them while it is read.
        std::erase_if(open, [](int fd) { return ::fcntl(fd, F_GETFD) < 0; });
        std::sort(open.begin(), open.end());
        ::_exit(open == std::vector<int>{0, 1, 2, kept} ? 0 : 1);
    }
    const auto status = zarn::test::waitForChild(child, 5s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

TEST(DryRun, AppendsOneLinePerAction) {
    const TempDir dir;
    const std::string log = (dir.path() / "actions").string();
    EXPECT_TRUE(recordDryRunAction(log, Action::PowerOff, "2501051530"));
    EXPECT_TRUE(recordDryRunAction(log, Action::Suspend, "2612312359"));
    EXPECT_EQ(readFile(log), "poweroff 2501051530\nsuspend 2612312359\n");
    EXPECT_FALSE(recordDryRunAction("", Action::Reboot, "2501051530"));
    EXPECT_FALSE(recordDryRunAction((dir.path() / "missing" / "log").string(), Action::Reboot,
                                    "2501051530"));
}

} // namespace
