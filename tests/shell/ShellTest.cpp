#include "shell/Shell.h"
#include "shell/SystemCommands.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using zarn::findScheduledTaskPid;

// A folder of the test's own, removed with everything in it.
struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zarn-shell-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A child process that the test started; killed and reaped whatever happens.
struct Child {
    pid_t pid = 0;
    explicit Child(const std::string& program, std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            pid = 0;
        }
    }
    void end() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            pid = 0;
        }
    }
    ~Child() { end(); }
};

TEST(Probe, ReadsThePidOfTheFirstListedTask) {
    struct Case {
        const char* listing;
        std::int64_t pid;
    };
    const Case cases[] = {
        {"", 0},
        {"   987 shutdown\n", 987},
        {"  812 shutdown\n  913 shutdown\n", 812},
        {"  44 shutdownd\n", 44},
        {"1234 zarn-shutdown\n", 1234},
        {"shutdown\n", 0},
        {"  -7 shutdown\n", -7},
        {"  99999999999999999999 shutdown\n", std::numeric_limits<std::int64_t>::max()},
    };
    for (const Case& c : cases) {
        const std::string command = "printf '%s' " + zarn::shellQuote(c.listing);
        EXPECT_EQ(findScheduledTaskPid(command), c.pid) << "listing: " << c.listing;
    }
}

TEST(Probe, LooksOnlyAtTheFirst4096Bytes) {
    // 4096 bytes in all: the id, then filler up to the limit, then more that is never read.
    const std::string head = "  321 shutdown\n";
    const std::string tail(4096 - head.size(), 'x');
    EXPECT_EQ(findScheduledTaskPid("printf '%s' '" + head + tail + "'; yes | head -c 100000"), 321);

    // A two-byte character (é) whose second byte would be byte 4097: the text is not UTF-8.
    const std::string filler(4096 - head.size() - 1, 'x');
    EXPECT_EQ(findScheduledTaskPid("printf '%s' '" + head + filler + "é'"), 0);
    // One byte less of filler and the character fits whole.
    EXPECT_EQ(findScheduledTaskPid("printf '%s' '" + head + filler.substr(1) + "é'"), 321);
}

TEST(Probe, GivesZeroWhenTheCommandCannotRun) {
    EXPECT_EQ(findScheduledTaskPid("printf '12 shutdown' \xff"), 0); // not UTF-8
    EXPECT_EQ(findScheduledTaskPid(std::string("printf '12 shutdown'\0x", 22)), 0);
    EXPECT_EQ(findScheduledTaskPid("/nonexistent/program-zarn"), 0);
}

TEST(Probe, LinuxProbeFindsTheHelpersTaskAndNoProcessThatMerelyHasItsName) {
    TempDir dir;
    TempDir folders; // dry-shutdown's task folder
    ::setenv("ZARN_DRY_RUN_DIR", folders.path.c_str(), 1);
    const std::string name = "zt-pr-" + std::to_string(::getpid());
    const fs::path helper = dir.path / name;
    fs::copy_file(zarn::test::binDir() + "/dry-shutdown", helper);
    // The form reads the dry twin's folder in process; the terminal's probe runs its --show.
    zarn::SystemCommands commands = zarn::SystemCommands::forLinux(helper.string());
    ASSERT_TRUE(commands.taskFolder);
    commands.taskFolder->path = (folders.path / name).string();
    commands.taskFolder->owners.push_back(::geteuid());
    const auto bothFind = [&](std::int64_t pid) {
        const zarn::ProbeResult inProcess = zarn::probeScheduledTask(commands);
        const zarn::ProbeResult shown = zarn::probeScheduledTask(commands.probe);
        EXPECT_EQ(inProcess.pid, pid);
        EXPECT_EQ(shown.pid, pid);
        EXPECT_EQ(inProcess.output, shown.output);
    };

    TempDir elsewhere;
    const fs::path impostor = elsewhere.path / name;
    fs::copy_file("/bin/sleep", impostor);
    Child stranger(impostor.string(), {name, "30"});
    ASSERT_GT(stranger.pid, 0);
    bothFind(0);

    const std::time_t later = std::time(nullptr) + 30 * 60;
    std::tm local{};
    char stamp[16] = {};
    std::strftime(stamp, sizeof stamp, "%y%m%d%H%M", ::localtime_r(&later, &local));
    const std::string printed =
        zarn::readCommandOutput(
            zarn::runShellCommand(zarn::shellQuote(helper.string()) + " -h " + stamp + " 2>&1"))
            .value_or("");
    const auto open = printed.find("[pid ");
    ASSERT_NE(open, std::string::npos) << printed;
    const pid_t task = std::stoi(printed.substr(open + 5));
    bothFind(task);
    ::kill(task, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (findScheduledTaskPid(commands.probe) != 0 && std::chrono::steady_clock::now() < until) {
        ::usleep(10000);
    }
    bothFind(0);
    ::unsetenv("ZARN_DRY_RUN_DIR");
}

TEST(Probe, AProbeThatHangsGivesZeroWithinItsBoundAndLeavesNothingRunning) {
    TempDir dir;
    const fs::path pidFile = dir.path / "pid";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(findScheduledTaskPid("echo $$ > " + zarn::shellQuote(pidFile.string()) +
                                       "; echo '  77 shutdown'; exec sleep 1000",
                                   std::chrono::milliseconds(300)),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    const pid_t hung = std::stoi(readFile(pidFile));
    EXPECT_NE(::kill(hung, 0), 0) << "the probe's command still runs";
}

TEST(CommandOutput, ReadsTextAndClosesTheStream) {
    EXPECT_EQ(zarn::readCommandOutput(zarn::runShellCommand("printf 'a b\\n'")), "a b\n");
    EXPECT_EQ(zarn::readCommandOutput(zarn::runShellCommand("true")), "");
    EXPECT_EQ(zarn::readCommandOutput(zarn::CommandStream()), std::nullopt);
    EXPECT_EQ(zarn::readCommandOutput(zarn::runShellCommand("printf '\\377'")), std::nullopt);

    // Output that never ends: the close stops the writer instead of waiting for it.
    const auto start = std::chrono::steady_clock::now();
    const auto endless = zarn::readCommandOutput(zarn::runShellCommand("yes"));
    ASSERT_TRUE(endless.has_value());
    EXPECT_EQ(endless->size(), 4096u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(CommandWithInput, DeliversTheInputByteForByteAndRunsNothingElse) {
    TempDir dir;
    const fs::path received = dir.path / "received";
    const fs::path marker = dir.path / "marker";
    const std::string m = marker.string();
    const std::string inputs[] = {
        "plain",
        "  two  blanks  in a row ",
        "quotes ' and \" both",
        "semi; touch " + m,
        "$(touch " + m + ") and `touch " + m + "`",
        "back\\slash \\n",
        "-n leading option",
        "| touch " + m + " & touch " + m,
        "Grüße, пароль, 密码",
        "",
    };
    for (const std::string& input : inputs) {
        const std::string line = input + "\n";
        ASSERT_TRUE(
            zarn::runShellCommandWithInput("cat > " + zarn::shellQuote(received.string()), line));
        EXPECT_EQ(readFile(received), line);
    }
    EXPECT_FALSE(fs::exists(marker));
}

TEST(CommandWithInput, SurvivesACommandThatReadsNothing) {
    // A megabyte that nobody reads: the write fails with EPIPE, which must not end this process.
    EXPECT_TRUE(zarn::runShellCommandWithInput("true", std::string(1 << 20, 'p')));
    EXPECT_TRUE(zarn::runShellCommandWithInput("exit 3", "x\n"));
    EXPECT_FALSE(zarn::runShellCommandWithInput("true \xff", "x\n"));
}

TEST(CommandWithInput, InputThatIsNeverReadCannotHoldUpTheBound) {
    TempDir dir;
    const fs::path pidFile = dir.path / "pid";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(zarn::runShellCommandWithInput(
        "echo $$ > " + zarn::shellQuote(pidFile.string()) + "; exec sleep 60",
        std::string(200 * 1024, 'p'), std::chrono::seconds(1)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_NE(::kill(std::stoi(readFile(pidFile)), 0), 0) << "the command still runs";
}

TEST(CommandWithInput, WaitsForTheCommandToEnd) {
    TempDir dir;
    const fs::path done = dir.path / "done";
    ASSERT_TRUE(
        zarn::runShellCommandWithInput("sleep 0.3; touch " + zarn::shellQuote(done.string()), ""));
    EXPECT_TRUE(fs::exists(done));
}

TEST(SystemCommands, BuildTheCommandLinesOfEachSystem) {
    const auto mac = zarn::SystemCommands::forMacOS();
    EXPECT_EQ(mac.probe, "ps ax -o pid,command -c | grep shutdown");
    EXPECT_EQ(mac.sudo, "sudo -S -k -p ''");
    EXPECT_EQ(mac.shutdownProgram, "/sbin/shutdown");
    EXPECT_EQ(mac.kill, "kill -sigterm");
    EXPECT_FALSE(mac.taskFolder);

    // A path with blanks and a quote stays one word; the probe is the helper's --show.
    const auto linux = zarn::SystemCommands::forLinux("/opt/my apps/it's/zarn-shutdown-longer");
    EXPECT_EQ(linux.shutdownProgram, "'/opt/my apps/it'\\''s/zarn-shutdown-longer'");
    EXPECT_EQ(linux.probe, "'/opt/my apps/it'\\''s/zarn-shutdown-longer' --show");
    EXPECT_EQ(linux.kill, "'/opt/my apps/it'\\''s/zarn-shutdown-longer' -c");
    EXPECT_EQ(linux.sudo, "sudo -S -k -p ''");
    ASSERT_TRUE(linux.taskFolder);
    EXPECT_EQ(linux.taskFolder->path, "/run/zarn-shutdown-longer");
    EXPECT_EQ(linux.taskFolder->processName, "zarn-shutdown-longer");
    EXPECT_EQ(linux.taskFolder->owners, std::vector<uid_t>{0});

    // Through a link, the helper runs under its file's own name, and keeps its folder under it.
    TempDir dir;
    fs::create_symlink(zarn::test::binDir() + "/dry-shutdown", dir.path / "zarn-shutdown");
    const auto linked = zarn::SystemCommands::forLinux((dir.path / "zarn-shutdown").string());
    EXPECT_EQ(linked.taskFolder->path, "/run/dry-shutdown");
}

TEST(SystemCommands, FindTheHelperBesideTheProgramThenInLibexec) {
    TempDir dir;
    const fs::path bin = dir.path / "bin";
    const fs::path libexec = dir.path / "libexec" / "zarn";
    fs::create_directories(bin);
    fs::create_directories(libexec);
    const auto makeProgram = [](const fs::path& path) {
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, fs::perms::owner_all);
    };

    EXPECT_EQ(zarn::findHelper(bin.string(), "/installed/zarn-shutdown"),
              "/installed/zarn-shutdown");
    makeProgram(libexec / "zarn-shutdown");
    EXPECT_EQ(zarn::findHelper(bin.string(), "/installed"), (libexec / "zarn-shutdown").string());
    std::ofstream(bin / "zarn-shutdown") << "not executable";
    EXPECT_EQ(zarn::findHelper(bin.string(), "/installed"), (libexec / "zarn-shutdown").string());
    makeProgram(bin / "zarn-shutdown");
    EXPECT_EQ(zarn::findHelper(bin.string(), "/installed"), (bin / "zarn-shutdown").string());
}

} // namespace
