#include "task/TaskLine.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using zarn::task::Action;

std::time_t localSeconds(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

TEST(TaskLine, ReadsTheHelpersCommandLineAndNothingElse) {
    const struct {
        std::vector<std::string_view> argv;
        std::optional<Action> action; // nothing: no task
    } cases[] = {
        {{"/usr/libexec/zarn/zarn-shutdown", "-h", "2612092302"}, Action::PowerOff},
        {{"zarn-shutdown", "-r", "2612092302"}, Action::Reboot},
        {{"/sbin/shutdown", "-s", "2612092302"}, Action::Suspend},
        // A stamp in the past is still a task: the process waits until it acts.
        {{"zarn-shutdown", "-h", "0001010000"}, Action::PowerOff},
        {{}, std::nullopt},
        {{"zarn-shutdown"}, std::nullopt},
        {{"zarn-shutdown", "-r"}, std::nullopt},
        {{"zarn-shutdown", "-r", "2612092302", "extra"}, std::nullopt},
        {{"zarn-shutdown", "-x", "2612092302"}, std::nullopt},
        {{"zarn-shutdown", "-c", "812"}, std::nullopt},
        {{"zarn-shutdown", "-r2612092302"}, std::nullopt},
        {{"zarn-shutdown", "-r", "26120923020"}, std::nullopt},
        {{"zarn-shutdown", "-r", "261209230"}, std::nullopt},
        {{"zarn-shutdown", "-r", "2613092302"}, std::nullopt},
        {{"zarn-shutdown", "-r", "26120923 2"}, std::nullopt},
    };
    for (const auto& entry : cases) {
        const auto task = zarn::task::taskFromCommandLine(entry.argv);
        const std::string shown = ::testing::PrintToString(entry.argv);
        ASSERT_EQ(task.has_value(), entry.action.has_value()) << shown;
        if (task) {
            EXPECT_EQ(task->action, *entry.action) << shown;
            EXPECT_EQ(task->stamp, entry.argv[2]) << shown;
            const auto& s = entry.argv[2];
            const auto field = [&s](std::size_t at) {
                return (s[at] - '0') * 10 + s[at + 1] - '0';
            };
            EXPECT_EQ(std::chrono::system_clock::to_time_t(task->deadline),
                      localSeconds(2000 + field(0), field(2), field(4), field(6), field(8)))
                << shown;
        }
    }
}

TEST(TaskLine, AProcessWithoutATaskLineHasNoTask) {
    // This test program's own command line is no task line; pid 0 and a negative one name none.
    for (const std::int64_t pid : {static_cast<std::int64_t>(::getpid()), std::int64_t{0},
                                   std::int64_t{-1}, std::int64_t{999999999}}) {
        EXPECT_FALSE(zarn::task::readScheduledTask(pid)) << pid;
    }
}

} // namespace
