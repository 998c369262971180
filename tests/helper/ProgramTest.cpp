// Runs the built programs. Only dry-shutdown is ever given a time it would accept: it records
// the action in a file. The real zarn-shutdown is run with command lines it refuses before
// reading the clock, and always with a PATH that holds no systemctl or loginctl.

#include "shell/Shell.h"
#include "shell/SystemCommands.h"
#include "task/TaskRecord.h"
#include "tests/helper/HelperTestSupport.h"
#include "tests/support/RunAs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using zarn::test::HelperCopy;
using zarn::test::ProcessGuard;
using zarn::test::RunResult;
using zarn::test::TempDir;
namespace fs = std::filesystem;

using Clock = std::chrono::system_clock;

class HelperProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(zarn::test::becomeSubreaper()); }

    // Runs a copy with nothing to act through on its PATH and, for dry-shutdown, its own log
    // and no desktop warnings.
    RunResult run(const HelperCopy& copy, const std::vector<std::string>& args) {
        return zarn::test::runProgram(
            copy.path(), args,
            {"PATH=" + emptyPath(), "ZARN_DRY_RUN_LOG=" + log(), "ZARN_DRY_WARN_SECONDS="});
    }

    // A started helper's waiting process, ended by the guard if the test does not.
    pid_t started(const RunResult& result) {
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const std::optional<pid_t> pid = zarn::test::printedPid(result.out);
        EXPECT_TRUE(pid) << "[" << result.out << "]";
        if (!pid) {
            return 0;
        }
        guard.add(*pid);
        return *pid;
    }

    std::string emptyPath() const { return (scratch.path() / "empty-path").string(); }
    std::string log() const { return (scratch.path() / "actions").string(); }

    TempDir scratch;
    ProcessGuard guard;
};

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Field 7 of /proc/<pid>/stat, the controlling terminal; -1 when unreadable.
long terminalOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    long group = 0;
    long session = 0;
    long terminal = -1;
    fields >> state >> parent >> group >> session >> terminal;
    return terminal;
}

std::string stampIn(std::chrono::minutes fromNow) {
    return zarn::test::stampOf(Clock::now() + fromNow);
}

TEST_F(HelperProgram, RefusesWrongUsageWithStatus64) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("du"));
    const HelperCopy real("zarn-shutdown", zarn::test::uniqueName("zu"));
    const std::string future = stampIn(10min);
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"-h"},
        {future},
        {"-x", future},
        {"-h" + future},
        {"-h", future, "extra"},
        {"-h", "-r", future},
        {"-c"},
        {"-c", "x1"},
        {"-c", "0"},
        {"-c", "-5"},
        {"-c", "99999999999"},
        {"-c", "12", "x"},
    };
    for (const HelperCopy* copy : {&dry, &real}) {
        for (const auto& args : wrong) {
            const RunResult result = run(*copy, args);
            EXPECT_EQ(result.status, 64) << copy->name() << " " << ::testing::PrintToString(args);
            EXPECT_EQ(result.err, "usage: zarn-shutdown -h|-r|-s yyMMddHHmm | -c pid | --show | "
                                  "--help | --version\n");
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(zarn::test::processesNamed(copy->name()).empty());
        }
    }
}

TEST_F(HelperProgram, RefusesStampsThatNameNoTime) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dv"));
    for (const std::string& stamp : std::initializer_list<std::string>{
             "990101000", "99010100000", "99O1010000", "abcdefghij", "9913010000", "9902300000",
             "9901012400", "9901010060"}) {
        const RunResult result = run(dry, {"-h", stamp});
        EXPECT_EQ(result.status, 1) << stamp;
        EXPECT_EQ(result.err, "zarn-shutdown: not a valid time: " + stamp + "\n");
        EXPECT_EQ(result.out, "");
    }
    // What reaches the terminal is cut and escaped: no control sequence acts on it.
    const struct {
        std::string stamp;
        const char* shown;
    } hostile[] = {
        {"\x1b[2J\x1b]0;owned\x07", "\\x1b[2J\\x1b]0;owned\\x07"},
        {std::string(100 * 1024, '7'), "77777777777777777777777777777777..."},
        {"back\\slash \xc3\xa9", "back\\x5cslash \\xc3\\xa9"},
    };
    for (const auto& entry : hostile) {
        const RunResult result = run(dry, {"-h", entry.stamp});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "zarn-shutdown: not a valid time: " + std::string(entry.shown) + "\n");
    }
    EXPECT_TRUE(zarn::test::processesNamed(dry.name()).empty());
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(HelperProgram, RefusesATimeAlreadyPast) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dp"));
    // The current minute began at or before now, so it is past as well.
    for (const std::string& stamp : std::initializer_list<std::string>{
             stampIn(0min), stampIn(-1min), stampIn(-24h), std::string("0001010000")}) {
        for (const char* flag : {"-h", "-r", "-s"}) {
            const RunResult result = run(dry, {flag, stamp});
            EXPECT_EQ(result.status, 1) << flag << " " << stamp;
            EXPECT_EQ(result.err, "zarn-shutdown: that time is already past\n");
            EXPECT_EQ(result.out, "");
            if (const auto pid = zarn::test::printedPid(result.out)) {
                guard.add(*pid);
            }
        }
    }
    EXPECT_TRUE(zarn::test::processesNamed(dry.name()).empty());
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(HelperProgram, AFutureTimeLeavesADetachedWaitingProcessThatSigtermEnds) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dw"));
    const zarn::SystemCommands commands = zarn::SystemCommands::forLinux(dry.path());
    const std::string stamp = stampIn(10min);
    for (const char* flag : {"-h", "-r", "-s"}) {
        SCOPED_TRACE(flag);
        const pid_t pid = started(run(dry, {flag, stamp}));
        ASSERT_GT(pid, 0);

        const auto comm =
            zarn::readCommandOutput(zarn::runShellCommand("ps -o comm= -p " + std::to_string(pid)));
        ASSERT_TRUE(comm);
        EXPECT_EQ(trimmed(*comm), dry.name());
        EXPECT_EQ(::getsid(pid), pid);
        EXPECT_EQ(terminalOf(pid), 0);
        EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/cwd"), "/");
        const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
        for (const char* standard : {"0", "1", "2"}) {
            EXPECT_EQ(fs::read_symlink(fds / standard), "/dev/null") << "fd " << standard;
        }
        // Nothing of the caller's stays open, such as the pipes its output went to.
        for (const fs::directory_entry& fd : fs::directory_iterator(fds)) {
            std::error_code gone;
            const std::string target = fs::read_symlink(fd.path(), gone).string();
            EXPECT_EQ(target.rfind("pipe:", 0), std::string::npos) << fd.path() << " " << target;
        }
        EXPECT_EQ(zarn::findScheduledTaskPid(commands.probe), pid);

        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        const auto status = zarn::test::waitForChild(pid, 5s);
        ASSERT_TRUE(status);
        guard.forget(pid);
        ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        EXPECT_EQ(zarn::findScheduledTaskPid(commands.probe), 0);
    }
    EXPECT_TRUE(zarn::test::processesNamed(dry.name()).empty());
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(HelperProgram, RecordsTheActionWhenTheMinuteStarts) {
    const struct {
        const char* flag;
        const char* verb;
        const char* name;
    } tasks[] = {{"-h", "poweroff", "df"}, {"-r", "reboot", "dr"}, {"-s", "suspend", "ds"}};
    // The next whole minute, or the one after when the next is too close to start in time.
    const auto now = Clock::now();
    auto minute = std::chrono::ceil<std::chrono::minutes>(now);
    if (minute - now < 3s) {
        minute += 1min;
    }
    const std::string stamp = zarn::test::stampOf(minute);

    std::vector<std::unique_ptr<HelperCopy>> copies;
    std::vector<pid_t> pids;
    std::vector<std::string> logs;
    for (const auto& task : tasks) {
        copies.push_back(
            std::make_unique<HelperCopy>("dry-shutdown", zarn::test::uniqueName(task.name)));
        logs.push_back((scratch.path() / (std::string(task.verb) + ".log")).string());
        const RunResult result = zarn::test::runProgram(
            copies.back()->path(), {task.flag, stamp},
            {"PATH=" + emptyPath(), "ZARN_DRY_RUN_LOG=" + logs.back(), "ZARN_DRY_WARN_SECONDS="});
        const pid_t pid = started(result);
        ASSERT_GT(pid, 0) << task.flag;
        pids.push_back(pid);
    }

    // Watch the logs from just before the minute until a second into it.
    std::this_thread::sleep_until(minute - 500ms);
    for (const std::string& log : logs) {
        EXPECT_FALSE(fs::exists(log)) << log << " written before the minute";
    }
    std::vector<std::optional<Clock::time_point>> written(logs.size());
    while (Clock::now() < minute + 1500ms) {
        for (std::size_t i = 0; i < logs.size(); ++i) {
            if (!written[i] && fs::exists(logs[i]) && fs::file_size(logs[i]) > 0) {
                written[i] = Clock::now();
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    for (std::size_t i = 0; i < logs.size(); ++i) {
        SCOPED_TRACE(tasks[i].flag);
        ASSERT_TRUE(written[i]);
        EXPECT_GE(*written[i], minute);
        EXPECT_LE(*written[i], minute + 1s);
        EXPECT_EQ(zarn::test::readFile(logs[i]), std::string(tasks[i].verb) + " " + stamp + "\n");
        const auto status = zarn::test::waitForChild(pids[i], 5s);
        ASSERT_TRUE(status) << "still running after its action";
        guard.forget(pids[i]);
        ASSERT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        EXPECT_TRUE(zarn::test::processesNamed(copies[i]->name()).empty());
    }
}

TEST_F(HelperProgram, KeepsToOneTaskPerProgramName) {
    const HelperCopy first("dry-shutdown", zarn::test::uniqueName("dl"));
    const HelperCopy sameName("dry-shutdown", first.name()); // another folder, the same name
    const HelperCopy otherName("dry-shutdown", zarn::test::uniqueName("dm"));
    const std::string stamp = stampIn(30min);

    // Starts that race each other: exactly one wins, the others name it.
    std::vector<RunResult> results(4);
    std::vector<std::thread> starts;
    for (std::size_t i = 0; i < results.size(); ++i) {
        starts.emplace_back([&, i] { results[i] = run(i % 2 ? sameName : first, {"-h", stamp}); });
    }
    for (std::thread& start : starts) {
        start.join();
    }
    pid_t waiting = 0;
    for (const RunResult& result : results) {
        if (result.status == 0) {
            EXPECT_EQ(waiting, 0) << "two starts won";
            waiting = started(result);
        }
    }
    ASSERT_GT(waiting, 0);
    const std::string refusal =
        "zarn-shutdown: a task is already scheduled (pid " + std::to_string(waiting) + ")\n";
    for (const RunResult& result : results) {
        if (result.status != 0) {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, refusal);
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_EQ(run(first, {"-r", stampIn(40min)}).err, refusal);
    EXPECT_EQ(zarn::test::processesNamed(first.name()), std::vector<pid_t>{waiting});

    // Another name has a lock of its own; the lock goes with the waiting process.
    EXPECT_GT(started(run(otherName, {"-h", stamp})), 0);
    ::kill(waiting, SIGTERM);
    ASSERT_TRUE(zarn::test::waitForChild(waiting, 5s));
    guard.forget(waiting);
    EXPECT_GT(started(run(sameName, {"-s", stamp})), 0);
}

TEST_F(HelperProgram, RefusesLocalTimesThatTheClocksRepeatOrSkip) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dt"));
    const struct {
        const char* zone;
        const char* stamp;
        const char* refusal; // nothing: taken
    } cases[] = {
        {"America/New_York", "9911010130", "that time occurs twice on this day: 9911010130"},
        {"America/New_York", "9903080230", "that time does not exist on this day: 9903080230"},
        {"America/New_York", "9911010230", nullptr},
        {"Europe/Berlin", "9910250230", "that time occurs twice on this day: 9910250230"},
        {"Europe/Berlin", "9903290230", "that time does not exist on this day: 9903290230"},
        {"Europe/Berlin", "9910250330", nullptr},
    };
    for (const auto& entry : cases) {
        const RunResult result =
            zarn::test::runProgram(dry.path(), {"-h", entry.stamp},
                                   {"TZ=" + std::string(entry.zone), "PATH=" + emptyPath(),
                                    "ZARN_DRY_RUN_LOG=" + log(), "ZARN_DRY_WARN_SECONDS="});
        if (entry.refusal == nullptr) {
            const pid_t pid = started(result);
            ::kill(pid, SIGTERM);
            ASSERT_TRUE(zarn::test::waitForChild(pid, 5s));
            guard.forget(pid);
        } else {
            EXPECT_EQ(result.status, 1) << entry.stamp;
            EXPECT_EQ(result.err, "zarn-shutdown: " + std::string(entry.refusal) + "\n");
        }
    }
    EXPECT_TRUE(zarn::test::processesNamed(dry.name()).empty());
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(HelperProgram, CancelsOnlyItsOwnLockHoldingWaitingProcess) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dc"));
    const HelperCopy otherName("dry-shutdown", zarn::test::uniqueName("dd"));
    const TempDir elsewhere;
    const fs::path impostor = elsewhere.path() / dry.name(); // same name, another program
    fs::copy_file("/bin/sleep", impostor);
    const pid_t task = started(run(dry, {"-h", stampIn(30min)}));
    const pid_t otherTask = started(run(otherName, {"-h", stampIn(30min)}));
    const pid_t lookalike = zarn::test::spawnProgram(impostor.string(), {"30"});
    const pid_t unrelated = zarn::test::spawnProgram("/bin/sleep", {"30"});
    const pid_t ended = zarn::test::spawnProgram("/bin/true", {});
    ASSERT_TRUE(task > 0 && otherTask > 0 && lookalike > 0 && unrelated > 0 && ended > 0);
    for (const pid_t pid : {lookalike, unrelated}) {
        guard.add(pid);
    }
    ASSERT_TRUE(zarn::test::waitForChild(ended, 5s));

    const struct {
        pid_t pid;
        std::string refusal;
    } refused[] = {
        {lookalike, "pid " + std::to_string(lookalike) + " is not the waiting task"},
        {unrelated, "pid " + std::to_string(unrelated) + " is not the waiting task"},
        {otherTask, "pid " + std::to_string(otherTask) + " is not the waiting task"},
        {::getpid(), "pid " + std::to_string(::getpid()) + " is not the waiting task"},
        {ended, "no such process: " + std::to_string(ended)},
    };
    for (const auto& entry : refused) {
        const RunResult result = run(dry, {"-c", std::to_string(entry.pid)});
        EXPECT_EQ(result.status, 1) << entry.refusal;
        EXPECT_EQ(result.err, "zarn-shutdown: " + entry.refusal + "\n");
    }
    for (const pid_t pid : {task, otherTask, lookalike, unrelated}) {
        EXPECT_FALSE(zarn::test::waitForChild(pid, 0ms)) << pid << " was signalled";
    }

    const RunResult cancelled = run(dry, {"-c", std::to_string(task)});
    EXPECT_EQ(cancelled.status, 0) << cancelled.err;
    const auto status = zarn::test::waitForChild(task, 5s);
    ASSERT_TRUE(status);
    guard.forget(task);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(zarn::test::processesNamed(dry.name()), std::vector<pid_t>{lookalike});
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(HelperProgram, TheWaitingProcessKeepsNothingOfWhatItsCallerIgnoredOrBlocked) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("di"));
    // The shell passes its ignored signals on through exec.
    const RunResult result = zarn::test::runProgram(
        "/bin/sh",
        {"-c", "trap '' CHLD INT QUIT USR1 TERM; exec \"$0\" -h \"$1\"", dry.path(),
         stampIn(30min)},
        {"PATH=" + emptyPath(), "ZARN_DRY_RUN_LOG=" + log(), "ZARN_DRY_WARN_SECONDS="});
    const pid_t pid = started(result);
    ASSERT_GT(pid, 0);
    const std::string status = zarn::test::readFile("/proc/" + std::to_string(pid) + "/status");
    const auto mask = [&status](const std::string& name) {
        const auto at = status.find(name + ":\t");
        return at == std::string::npos ? ~0ul : std::stoul(status.substr(at + 8, 16), nullptr, 16);
    };
    // Only its own choices: SIGHUP (1) and SIGPIPE (13) ignored, SIGTERM (15) blocked for its
    // signal descriptor.
    // Signals 32 and up belong to the C library, which keeps them to itself.
    constexpr unsigned long standardSignals = (1ul << 31) - 1;
    EXPECT_EQ(mask("SigIgn") & standardSignals, 1ul << (SIGHUP - 1) | 1ul << (SIGPIPE - 1))
        << status;
    EXPECT_EQ(mask("SigBlk") & standardSignals, 1ul << (SIGTERM - 1)) << status;
}

TEST_F(HelperProgram, RefusesToRunForAnyoneButRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the helper as another user";
    }
    const std::vector<std::string> prefix = zarn::test::asNobody();
    if (prefix.empty()) {
        GTEST_SKIP() << "neither setpriv nor runuser is installed";
    }
    const HelperCopy real("zarn-shutdown", zarn::test::uniqueName("zn"));
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dn"));
    // A real but past time: should the root check ever let it through, the program still stops.
    const auto asNobodyRun = [&](const HelperCopy& copy) {
        std::vector<std::string> args(prefix.begin() + 1, prefix.end());
        args.insert(args.end(), {copy.path(), "-h", "0001010000"});
        return zarn::test::runProgram(prefix.front(), args,
                                      {"PATH=" + emptyPath(), "ZARN_DRY_RUN_LOG=" + log()});
    };
    const RunResult refused = asNobodyRun(real);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "zarn-shutdown: must be run as root\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(zarn::test::processesNamed(real.name()).empty());

    // The test twin skips that check and nothing else.
    const RunResult twin = asNobodyRun(dry);
    EXPECT_EQ(twin.status, 1);
    EXPECT_EQ(twin.err, "zarn-shutdown: that time is already past\n");
}

} // namespace

namespace {

using zarn::test::HelperCopy;
using zarn::test::RunResult;

std::string runAs(const std::vector<std::string>& prefix, const std::string& script,
                  const std::string& arg) {
    std::vector<std::string> args(prefix.begin() + 1, prefix.end());
    args.insert(args.end(), {"/bin/sh", "-c", script, arg});
    return std::to_string(zarn::test::runProgram(prefix.front(), args).status);
}

TEST_F(HelperProgram, OnlyTheOwnerWritesTheTaskFolderAndOnlyALiveRecordedTaskIsShownOrCancelled) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("dk"));
    const pid_t task = started(run(dry, {"-r", stampIn(30min)}));
    ASSERT_GT(task, 0);
    const fs::path folder = dry.taskFolder();
    for (const auto& [file, mode] :
         {std::pair{fs::path(), 0755u}, {fs::path("lock"), 0600u}, {fs::path("task"), 0644u}}) {
        struct stat status {};
        ASSERT_EQ(::lstat((folder / file).c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 07777, mode) << file;
        EXPECT_EQ(status.st_uid, ::geteuid()) << file;
    }
    const std::vector<std::string> nobody = zarn::test::asNobody();
    if (::geteuid() == 0 && !nobody.empty()) {
        // Another user can neither add a file, nor open the lock to hold it, nor start a task.
        EXPECT_NE(runAs(nobody, ": > \"$0/planted\"", folder.string()), "0");
        EXPECT_NE(runAs(nobody, "exec 9<\"$0/lock\"", folder.string()), "0");
        EXPECT_NE(runAs(nobody, "exec 9>>\"$0/task\"", folder.string()), "0");
        EXPECT_FALSE(fs::exists(folder / "planted"));
    }

    const std::string record = zarn::test::readFile(folder / "task");
    const RunResult shown = run(dry, {"--show"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, record);
    EXPECT_EQ(shown.out.rfind(std::to_string(task) + " version=1 start=", 0), 0u) << shown.out;

    // A record that does not name this very process is no task: --show is silent, -c refuses.
    const pid_t other = zarn::test::spawnProgram("/bin/sleep", {"30"});
    guard.add(other);
    const auto start = record.find("start=") + 6;
    const std::string ticks = record.substr(start, record.find(' ', start) - start);
    const std::string later = std::to_string(std::stoull(ticks) + 1);
    const auto otherStat = zarn::task::readProcessStat(other);
    ASSERT_TRUE(otherStat);
    const std::string head = std::to_string(task) + " version=1 start=" + ticks;
    const struct {
        std::string from, to;
        fs::perms mode;
    } forged[] = {
        {"start=" + ticks, "start=" + later, fs::perms(0644)}, // pid reused
        {head, std::to_string(other) + " version=1 start=" + std::to_string(otherStat->startTime),
         fs::perms(0644)}, // a live process of another name
        {"version=1", "version=2", fs::perms(0644)},
        {"", "", fs::perms(0666)}, // others may write to it
    };
    for (const auto& entry : forged) {
        std::string text = record;
        text.replace(text.find(entry.from), entry.from.size(), entry.to);
        std::ofstream(folder / "task", std::ios::trunc) << text;
        fs::permissions(folder / "task", entry.mode);
        const RunResult silent = run(dry, {"--show"});
        EXPECT_EQ(silent.out, "") << text;
        EXPECT_EQ(silent.status, 1) << text;
        EXPECT_EQ(run(dry, {"-c", std::to_string(task)}).err,
                  "zarn-shutdown: pid " + std::to_string(task) + " is not the waiting task\n")
            << text;
    }
    EXPECT_FALSE(zarn::test::waitForChild(task, 0ms)) << "signalled on a forged record";
    std::ofstream(folder / "task", std::ios::trunc) << record;
    fs::permissions(folder / "task", fs::perms(0644));
    EXPECT_EQ(run(dry, {"-c", std::to_string(task)}).status, 0);
    ASSERT_TRUE(zarn::test::waitForChild(task, 5s));
    guard.forget(task);
    EXPECT_FALSE(fs::exists(folder / "task")) << "the record outlives its task";
    EXPECT_EQ(run(dry, {"--show"}).out, "");
}

TEST_F(HelperProgram, RefusesAndLeavesNothingRunningWhenItsFolderLockOrRecordCannotBeUsed) {
    const HelperCopy dry("dry-shutdown", zarn::test::uniqueName("du"));
    const fs::path parent = scratch.path() / "run";
    const fs::path folder = parent / dry.name();
    const struct {
        std::function<void()> spoil;
        std::string refusal;
    } cases[] = {
        {[&] { fs::create_directory_symlink(scratch.path(), folder); },
         "cannot use the task folder " + folder.string() + ": it is a link"},
        {[&] { std::ofstream(folder.string()); },
         "cannot use the task folder " + folder.string() + ": it is not a folder"},
        {[&] {
             fs::create_directory(folder);
             fs::permissions(folder, fs::perms(0777));
         },
         "cannot use the task folder " + folder.string() + ": others may write to it"},
        {[&] { fs::create_directories(folder / "lock"); },
         "cannot take the task lock " + folder.string() + "/lock"},
        {[&] { fs::create_directories(folder / "task"); },
         "cannot write the task record " + folder.string() + "/task"},
    };
    for (const auto& entry : cases) {
        fs::remove_all(parent);
        fs::create_directories(parent);
        entry.spoil();
        const RunResult result =
            zarn::test::runProgram(dry.path(), {"-h", stampIn(30min)},
                                   {"PATH=" + emptyPath(), "ZARN_DRY_RUN_LOG=" + log(),
                                    "ZARN_DRY_RUN_DIR=" + parent.string()});
        EXPECT_EQ(result.status, 1) << entry.refusal;
        EXPECT_EQ(result.err, "zarn-shutdown: " + entry.refusal + "\n");
        EXPECT_EQ(result.out, "");
        if (const auto pid = zarn::test::printedPid(result.out)) {
            guard.add(*pid);
        }
        EXPECT_TRUE(zarn::test::processesNamed(dry.name()).empty()) << entry.refusal;
    }
    fs::remove_all(parent);
}

} // namespace
