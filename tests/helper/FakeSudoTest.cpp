#include "shell/Shell.h"
#include "tests/helper/HelperTestSupport.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using zarn::shellQuote;
using zarn::test::readFile;
using zarn::test::RunResult;
using zarn::test::TempDir;
namespace fs = std::filesystem;

// One call as fake-sudo logged it.
struct Call {
    std::vector<std::string> args;
    std::optional<std::string> line;
};

// Reads "<tag> <count> <bytes>\n" fields; nothing when the log is malformed.
std::optional<std::vector<Call>> parseLog(const std::string& text) {
    std::vector<Call> calls;
    std::size_t at = 0;
    const auto takeLine = [&](std::string& out) {
        const auto end = text.find('\n', at);
        if (end == std::string::npos) {
            return false;
        }
        out = text.substr(at, end - at);
        at = end + 1;
        return true;
    };
    // After the tag: the count, a blank, that many bytes and a newline.
    const auto takeValue = [&](std::string& out) {
        const auto blank = text.find(' ', at);
        if (blank == std::string::npos) {
            return false;
        }
        const std::size_t count = std::stoul(text.substr(at, blank - at));
        if (blank + 1 + count >= text.size() || text[blank + 1 + count] != '\n') {
            return false;
        }
        out = text.substr(blank + 1, count);
        at = blank + 2 + count;
        return true;
    };
    std::string tag;
    while (at < text.size()) {
        if (!takeLine(tag) || tag != "call") {
            return std::nullopt;
        }
        Call call;
        for (;;) {
            const auto blank = text.find_first_of(" \n", at);
            if (blank == std::string::npos) {
                return std::nullopt;
            }
            tag = text.substr(at, blank - at);
            at = blank + 1;
            std::string value;
            if (tag == "end") {
                break;
            }
            if (tag == "noline") {
                continue;
            }
            if ((tag != "arg" && tag != "line") || !takeValue(value)) {
                return std::nullopt;
            }
            if (tag == "arg") {
                call.args.push_back(value);
            } else {
                call.line = value;
            }
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

class FakeSudo : public ::testing::Test {
protected:
    std::string script() const { return zarn::test::supportDir() + "/fake-sudo"; }
    fs::path file(const char* name) const { return dir.path() / name; }

    void setPassword(const std::string& password) const {
        std::ofstream(file("password"), std::ios::binary | std::ios::trunc) << password;
    }

    // A command line as the application builds one: the prefix, then the command, with the
    // test's log and password file in front.
    std::string commandLine(const std::string& command) const {
        return "FAKE_SUDO_LOG=" + shellQuote(file("log").string()) +
               " FAKE_SUDO_PASSWORD_FILE=" + shellQuote(file("password").string()) + " " +
               shellQuote(script()) + " -S -k -p '' " + command + " 2>>" +
               shellQuote(file("stderr").string());
    }

    std::string touchMarker() const { return "touch " + shellQuote(file("ran").string()); }

    std::vector<Call> calls() const {
        const auto parsed = parseLog(readFile(file("log")));
        EXPECT_TRUE(parsed) << readFile(file("log"));
        return parsed.value_or(std::vector<Call>{});
    }

    RunResult runDirectly(const std::vector<std::string>& args, const std::string& input) const {
        return zarn::test::runProgram(script(), args,
                                      {"FAKE_SUDO_LOG=" + file("log").string(),
                                       "FAKE_SUDO_PASSWORD_FILE=" + file("password").string()},
                                      input);
    }

    TempDir dir;
};

TEST_F(FakeSudo, RunsTheCommandOnlyWithTheRightPassword) {
    setPassword("correct horse");
    ASSERT_TRUE(zarn::runShellCommandWithInput(commandLine(touchMarker()), "wrong horse\n"));
    EXPECT_FALSE(fs::exists(file("ran")));
    ASSERT_TRUE(zarn::runShellCommandWithInput(commandLine(touchMarker()), "correct horse \n"));
    EXPECT_FALSE(fs::exists(file("ran")));
    ASSERT_TRUE(zarn::runShellCommandWithInput(commandLine(touchMarker()), "correct horse\n"));
    EXPECT_TRUE(fs::exists(file("ran")));

    EXPECT_EQ(readFile(file("stderr")), "Sorry, try again.\nSorry, try again.\n");

    const std::vector<Call> logged = calls();
    ASSERT_EQ(logged.size(), 3u);
    const std::vector<std::string> args = {"-S", "-k", "-p", "", "touch", file("ran").string()};
    for (const Call& call : logged) {
        EXPECT_EQ(call.args, args);
    }
    EXPECT_EQ(logged[0].line, "wrong horse");
    EXPECT_EQ(logged[1].line, "correct horse ");
    EXPECT_EQ(logged[2].line, "correct horse");
}

TEST_F(FakeSudo, ExitsWithTheCommandsStatusOrRefusesWithOne) {
    setPassword("pw");
    const RunResult ran =
        runDirectly({"-S", "-k", "-p", "", "sh", "-c", "echo out; exit 7"}, "pw\n");
    EXPECT_EQ(ran.status, 7);
    EXPECT_EQ(ran.out, "out\n");
    EXPECT_EQ(ran.err, "");

    const RunResult refused = runDirectly({"-S", "-k", "-p", "", "sh", "-c", "echo out"}, "pW\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Sorry, try again.\n");

    // Standard input ends before any line: refused, and logged as no line.
    const RunResult noInput = runDirectly({"-S", "-k", "-p", "", "true"}, "");
    EXPECT_EQ(noInput.status, 1);
    EXPECT_EQ(noInput.err, "Sorry, try again.\n");
    const std::vector<Call> logged = calls();
    ASSERT_EQ(logged.size(), 3u);
    EXPECT_FALSE(logged[2].line);
}

TEST_F(FakeSudo, TakesItsOptionsInAnyOrder) {
    setPassword("pw");
    for (const std::vector<std::string>& options : {std::vector<std::string>{"-p", "", "-k", "-S"},
                                                    {"-k", "-S", "-p", "Password:"},
                                                    {"-S", "-k", "-p", "", "--"}}) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"sh", "-c", "exit 5"});
        EXPECT_EQ(runDirectly(args, "pw\n").status, 5) << ::testing::PrintToString(options);
    }
    // Only the command after the options runs; an unknown option runs nothing.
    EXPECT_EQ(runDirectly({"-S", "-x", "sh", "-c", "exit 5"}, "pw\n").status, 1);
    EXPECT_EQ(runDirectly({"-S", "-k", "-p"}, "pw\n").status, 1);
    EXPECT_EQ(runDirectly({"-S", "-k", "-p", ""}, "pw\n").status, 1);
}

TEST_F(FakeSudo, PasswordsFullOfShellCharactersArriveByteForByte) {
    const std::string pwned = file("pwned").string();
    const std::vector<std::string> passwords = {
        "two  blanks   three",
        "  leading and trailing  ",
        "tab\there",
        R"(it's "quoted")",
        "x; touch " + pwned,
        "a|b&c && touch " + pwned + " || touch " + pwned,
        "$(touch " + pwned + ")",
        "`touch " + pwned + "`",
        R"(back\slash \n \\ \)",
        "-n",
        "-e -n \\c",
        "$HOME ${PATH} $0 $1",
        "* ? [a-z]",
        "pässwörd ✓ 日本語",
        "",
    };
    for (const std::string& password : passwords) {
        SCOPED_TRACE("[" + password + "]");
        fs::remove(file("log"));
        fs::remove(file("ran"));
        setPassword(password);
        // The same bytes as a shell would make of the password, and one extra blank: both wrong.
        ASSERT_TRUE(zarn::runShellCommandWithInput(commandLine(touchMarker()), password + " \n"));
        EXPECT_FALSE(fs::exists(file("ran")));
        ASSERT_TRUE(zarn::runShellCommandWithInput(commandLine(touchMarker()), password + "\n"));
        EXPECT_TRUE(fs::exists(file("ran")));

        const std::vector<Call> logged = calls();
        ASSERT_EQ(logged.size(), 2u);
        EXPECT_EQ(logged[0].line, password + " ");
        EXPECT_EQ(logged[1].line, password);
        EXPECT_FALSE(fs::exists(pwned));
    }
}

TEST_F(FakeSudo, ArgumentsAreLoggedExactlyAndNeverReinterpreted) {
    setPassword("pw");
    const std::string pwned = file("pwned").string();
    const std::vector<std::string> odd = {
        "a  b", "", "$(touch " + pwned + ")", "line\nbreak", "; touch " + pwned, "ünï"};
    std::vector<std::string> args = {"-S", "-k", "-p", "", "true"};
    args.insert(args.end(), odd.begin(), odd.end());
    EXPECT_EQ(runDirectly(args, "pw\n").status, 0);
    const std::vector<Call> logged = calls();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].args, args);
    EXPECT_FALSE(fs::exists(pwned));
}

} // namespace
