#pragma once

#include "AppTestSupport.h"
#include "shell/Shell.h"
#include "tests/support/TestPaths.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zarn::test {

/// One call that the fake sudo received.
struct SudoCall {
    std::vector<std::string> args;
    std::optional<std::string> line;
};

/// A form wired to the fake sudo and to a copy of dry-shutdown under a name of this test's own,
/// so that the probe sees only this test's waiting processes; the teardown ends all of them.
class SchedulingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarn-app-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        helperName = "zt-app-" + std::to_string(::getpid());
        helper = dir / helperName;
        std::filesystem::copy_file(binDir() + "/dry-shutdown", helper);
        sudoLog = dir / "sudo.log";
        actionLog = dir / "actions.log";
        passwordFile = dir / "password";
        setPassword("secret");

        environment.commands = SystemCommands::forLinux(helper.string());
        // The form reads dry-shutdown's folder in process; probe() asks the copy's --show.
        environment.commands.taskFolder = dryTaskFolder(helperName);
        environment.commands.sudo = sudoPrefix(supportDir() + "/fake-sudo");
        environment.osVersion = [] { return OsVersion{14, 2}; };
    }

    void TearDown() override {
        for (std::int64_t pid = probe(), rounds = 0; pid > 0 && rounds < 50;
             pid = probe(), ++rounds) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            waitGone(pid);
        }
        std::filesystem::remove_all(dir);
        // dry-shutdown's task folder, in the temporary folder.
        std::filesystem::remove_all(std::filesystem::temp_directory_path() / helperName);
    }

    /// `program` as the sudo of the commands, with the fixtures' files in its environment.
    std::string sudoPrefix(const std::string& program,
                           const std::string& moreEnvironment = {}) const {
        return "FAKE_SUDO_LOG=" + shellQuote(sudoLog.string()) +
               " FAKE_SUDO_PASSWORD_FILE=" + shellQuote(passwordFile.string()) +
               " ZARN_DRY_RUN_LOG=" + shellQuote(actionLog.string()) + " " + moreEnvironment + " " +
               shellQuote(program) + " -S -k -p ''";
    }

    void setPassword(const std::string& password) {
        std::ofstream(passwordFile, std::ios::binary) << password;
    }

    std::int64_t probe() const { return findScheduledTaskPid(environment.commands.probe); }

    /// Waits up to two seconds for `pid` to end; a zombie has ended.
    static void waitGone(std::int64_t pid) {
        for (int i = 0; i < 200 && isRunning(pid); ++i) {
            ::usleep(10000);
        }
    }
    static bool isRunning(std::int64_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
    }

    /// Runs the helper by other means than the form for a task at `when`; what it printed, its
    /// errors included.
    std::string startTask(Date when, const std::string& option = "-h") {
        dates::DateFormatter formatter = dates::DateFormatter::posix();
        formatter.setDateFormat("yyMMddHHmm");
        const std::string command = "ZARN_DRY_RUN_LOG=" + shellQuote(actionLog.string()) + " " +
                                    shellQuote(helper.string()) + " " + option + " " +
                                    formatter.stringFromDate(when) + " 2>&1";
        return readCommandOutput(runShellCommand(command)).value_or("");
    }

    /// Starts a waiting process by other means than the form, `minutes` ahead; its pid.
    std::int64_t startTaskDirectly(int minutes = 30, const std::string& option = "-h") {
        const std::string printed =
            startTask(std::chrono::system_clock::now() + std::chrono::minutes(minutes), option);
        // The helper prints "zarn-shutdown: [pid N]" once N waits.
        const auto open = printed.find("[pid ");
        EXPECT_NE(open, std::string::npos) << printed;
        return open == std::string::npos ? 0 : std::stoll(printed.substr(open + 5));
    }

    /// Every call that reached the fake sudo, in order.
    std::vector<SudoCall> sudoCalls() const {
        std::ifstream in(sudoLog, std::ios::binary);
        std::vector<SudoCall> calls;
        std::string tag;
        while (in >> tag) {
            if (tag == "call") {
                calls.emplace_back();
            } else if (tag == "arg" || tag == "line") {
                std::size_t length = 0;
                in >> length;
                in.get();
                std::string value(length, '\0');
                in.read(value.data(), static_cast<std::streamsize>(length));
                if (tag == "arg") {
                    calls.back().args.push_back(value);
                } else {
                    calls.back().line = value;
                }
            }
        }
        return calls;
    }

    std::string actions() const {
        std::ifstream in(actionLog);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path dir;
    std::string helperName;
    std::filesystem::path helper;
    std::filesystem::path sudoLog;
    std::filesystem::path actionLog;
    std::filesystem::path passwordFile;
    Environment environment;
};

} // namespace zarn::test
