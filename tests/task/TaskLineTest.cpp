#include "task/TaskLine.h"
#include "task/TaskRecord.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
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

TEST(TaskRecord, ReadsBackOnlyTheExactLineItWrites) {
    const zarn::test::ScopedTimeZone zone("Asia/Tokyo");
    zarn::task::TaskRecord record;
    record.pid = 4242;
    record.startTime = 987654321;
    record.action = zarn::task::Action::Reboot;
    record.stamp = "2612110802";
    record.deadline = zarn::task::deadlineFromStamp(record.stamp).value();
    record.uid = 1000;
    const std::string line = zarn::task::formatTaskRecord(record);
    // The deadline is absolute: 08:02 in Tokyo is 23:02 UTC the day before.
    EXPECT_EQ(line, "4242 version=1 start=987654321 action=reboot stamp=2612110802 "
                    "deadline=2026-12-10T23:02:00Z uid=1000\n");
    {
        const zarn::test::ScopedTimeZone elsewhere("America/New_York");
        EXPECT_EQ(zarn::task::parseTaskRecord(line), record);
        const auto task = zarn::task::scheduledTaskFromProbe(4242, line + "trailing output\n");
        ASSERT_TRUE(task);
        EXPECT_EQ(task->deadline, record.deadline);
    }
    EXPECT_FALSE(zarn::task::scheduledTaskFromProbe(4243, line)) << "another pid";
    const std::pair<std::string, std::string> spoilt[] = {
        {"version=1", "version=2"},
        {"4242 ", "04242 "},
        {"4242 ", "-4242 "},
        {"action=reboot", "action=halt"},
        {"stamp=2612110802", "stamp=2613110802"},
        {"T23:02:00Z", "T24:02:00Z"},
        {"uid=1000", "uid=1000 extra=1"},
        {"start=987654321", "start="},
        {" uid", "  uid"},
    };
    for (const auto& [from, to] : spoilt) {
        std::string changed = line;
        changed.replace(changed.find(from), from.size(), to);
        EXPECT_FALSE(zarn::task::parseTaskRecord(changed)) << changed;
    }
    // This very process, as the stat that -c and --show compare with the record.
    const auto self = zarn::task::readProcessStat(::getpid());
    ASSERT_TRUE(self);
    EXPECT_GT(self->startTime, 0u);
    EXPECT_FALSE(zarn::task::readProcessStat(999999999));
}

} // namespace

namespace {

using zarn::test::ScopedTimeZone;

TEST(TaskLine, KnowsTheLocalTimesThatTheClocksRepeatOrSkip) {
    using zarn::task::LocalTime;
    const struct {
        const char* zone;
        const char* stamp;
        LocalTime kind;
    } cases[] = {
        // New York: back from 02:00 EDT to 01:00 EST on 1 November 2026, forward on 8 March.
        {"America/New_York", "2611010059", LocalTime::Unique},
        {"America/New_York", "2611010100", LocalTime::Repeated},
        {"America/New_York", "2611010159", LocalTime::Repeated},
        {"America/New_York", "2611010200", LocalTime::Unique},
        {"America/New_York", "2603080200", LocalTime::Skipped},
        {"America/New_York", "2603080259", LocalTime::Skipped},
        {"America/New_York", "2603080300", LocalTime::Unique},
        // The same rules given as a POSIX TZ rule rather than a zone name.
        {"EST5EDT,M3.2.0,M11.1.0", "2611010130", LocalTime::Repeated},
        {"EST5EDT,M3.2.0,M11.1.0", "2603080230", LocalTime::Skipped},
        // Berlin: back from 03:00 to 02:00 on 25 October 2026, forward on 29 March.
        {"Europe/Berlin", "2610250230", LocalTime::Repeated},
        {"Europe/Berlin", "2610250330", LocalTime::Unique},
        {"Europe/Berlin", "2603290230", LocalTime::Skipped},
        {"Europe/Berlin", "2603290330", LocalTime::Unique},
        {"UTC", "2611010130", LocalTime::Unique},
        {"UTC", "2602290000", LocalTime::Invalid},
        {"UTC", "2613010000", LocalTime::Invalid},
        {"UTC", "26110101x0", LocalTime::Invalid},
    };
    for (const auto& entry : cases) {
        const ScopedTimeZone zone(entry.zone);
        EXPECT_EQ(zarn::task::classifyStamp(entry.stamp), entry.kind)
            << entry.zone << " " << entry.stamp;
        // A stamp that names one instant reads back to itself.
        if (entry.kind == LocalTime::Unique) {
            const auto deadline = zarn::task::deadlineFromStamp(entry.stamp);
            ASSERT_TRUE(deadline) << entry.stamp;
            EXPECT_EQ(zarn::task::stampFromInstant(*deadline + std::chrono::seconds(59)),
                      entry.stamp);
        }
    }
    const ScopedTimeZone zone("UTC");
    EXPECT_EQ(zarn::task::stampFromInstant(std::chrono::system_clock::from_time_t(0)), "");
}

TEST(TaskLine, ReadsTimesAnHourAheadAndAnHourAgoAtAnyOffset) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    // Beyond ±14 h, and no whole quarter hour: offsets the C library reads from a POSIX TZ.
    for (const char* name : {"<+15>-15", "<+0540>-5:40", "<-1430>14:30"}) {
        const ScopedTimeZone zone(name);
        for (const auto when : {floor<minutes>(now + 1h), floor<minutes>(now - 1h)}) {
            const std::string stamp = zarn::task::stampFromInstant(when);
            EXPECT_EQ(zarn::task::classifyStamp(stamp), zarn::task::LocalTime::Unique) << name;
            // The helper refuses a deadline that is not after now, and waits for one that is.
            EXPECT_EQ(zarn::task::deadlineFromStamp(stamp), when) << name << " " << stamp;
        }
    }
}

} // namespace
