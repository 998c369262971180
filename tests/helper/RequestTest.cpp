#include "helper/Request.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zarn::helper;
using zarn::task::deadlineFromStamp;
using zarn::task::parseArguments;

using zarn::test::ScopedTimeZone;

std::optional<Request> parse(const std::vector<std::string_view>& args) {
    return parseArguments(args);
}

std::time_t secondsOf(Instant instant) {
    return std::chrono::system_clock::to_time_t(instant);
}

TEST(Arguments, TakesOneFlagAndOneStamp) {
    const struct {
        const char* flag;
        Action action;
    } flags[] = {{"-h", Action::PowerOff}, {"-r", Action::Reboot}, {"-s", Action::Suspend}};
    for (const auto& flag : flags) {
        const auto request = parse({flag.flag, "2501051530"});
        ASSERT_TRUE(request) << flag.flag;
        EXPECT_EQ(request->action, flag.action);
        EXPECT_EQ(request->stamp, "2501051530");
    }
    // The stamp is kept as given; whether it names a time is checked later.
    const auto unchecked = parse({"-r", "not a time"});
    ASSERT_TRUE(unchecked);
    EXPECT_EQ(unchecked->stamp, "not a time");
}

TEST(Arguments, AnythingElseIsUsage) {
    const std::vector<std::vector<std::string_view>> wrong = {
        {},
        {"-h"},
        {"2501051530"},
        {"-x", "2501051530"},
        {"-H", "2501051530"},
        {"h", "2501051530"},
        {"-h2501051530"},
        {"--h", "2501051530"},
        {"-hr", "2501051530"},
        {"-h", "2501051530", "extra"},
        {"-h", "-r", "2501051530"},
        {"2501051530", "-h"},
        {"", ""},
    };
    for (const auto& args : wrong) {
        std::string shown;
        for (const auto arg : args) {
            shown.append("[").append(arg).append("]");
        }
        EXPECT_FALSE(parse(args)) << shown;
    }
}

TEST(Stamp, NamesALocalMinuteOfThisCentury) {
    const ScopedTimeZone zone("UTC");
    const struct {
        const char* stamp;
        std::time_t seconds;
    } cases[] = {
        {"2501051530", 1736091000}, // 2025-01-05 15:30
        {"0001010000", 946684800},  // 2000-01-01 00:00: yy 00 is 2000, not 1900
        {"9912312359", 4102444740}, // 2099-12-31 23:59
        {"2402291200", 1709208000}, // a leap day
        {"2501052359", 1736121540},
    };
    for (const auto& c : cases) {
        const auto deadline = deadlineFromStamp(c.stamp);
        ASSERT_TRUE(deadline) << c.stamp;
        EXPECT_EQ(secondsOf(*deadline), c.seconds) << c.stamp;
    }
}

TEST(Stamp, FollowsTheLocalTimeZone) {
    const ScopedTimeZone zone("Asia/Kolkata"); // UTC+05:30, no daylight-saving time
    const auto deadline = deadlineFromStamp("2501051530");
    ASSERT_TRUE(deadline);
    EXPECT_EQ(secondsOf(*deadline), 1736091000 - (5 * 3600 + 30 * 60));
}

TEST(Stamp, RefusesTextThatIsNotTenDigits) {
    const ScopedTimeZone zone("UTC");
    for (const char* stamp :
         {"", "250105153", "25010515300", "250105153a", "25O1051530", " 501051530", "+501051530",
          "-501051530", "2501051530 ", "25-01-0515", "\xd9\xa2\xd9\xa5\x30\x31\x30\x35\x31\x35"}) {
        EXPECT_FALSE(deadlineFromStamp(stamp)) << "[" << stamp << "]";
    }
}

TEST(Stamp, RefusesDatesAndTimesThatDoNotExist) {
    const ScopedTimeZone zone("UTC");
    for (const char* stamp : {"2513011200", // month 13
                              "2500011200", // month 0
                              "2501001200", // day 0
                              "2501321200", // 32 January
                              "2502300000", // 30 February
                              "2502290000", // 29 February in a common year
                              "2504310000", // 31 April
                              "2501052400", // hour 24
                              "2501051560", // minute 60
                              "2501059999"}) {
        EXPECT_FALSE(deadlineFromStamp(stamp)) << stamp;
    }
}

TEST(Stamp, AcrossDaylightSavingChanges) {
    const ScopedTimeZone zone("Europe/Berlin");
    // On 30 March 2025 the clocks went from 02:00 straight to 03:00.
    EXPECT_FALSE(deadlineFromStamp("2503300200"));
    EXPECT_FALSE(deadlineFromStamp("2503300230"));
    const auto before = deadlineFromStamp("2503300159");
    const auto after = deadlineFromStamp("2503300300");
    ASSERT_TRUE(before && after);
    EXPECT_EQ(secondsOf(*after) - secondsOf(*before), 60);

    // On 26 October 2025 02:00 to 03:00 came twice (00:00 to 01:00 UTC); either instant will do.
    const auto repeated = deadlineFromStamp("2510260230");
    ASSERT_TRUE(repeated);
    const std::time_t seconds = secondsOf(*repeated);
    EXPECT_TRUE(seconds == 1761438600 || seconds == 1761442200) << seconds;
}

} // namespace
