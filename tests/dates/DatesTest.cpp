#include "dates/DateUtilities.h"

#include <gtest/gtest.h>

#include <memory>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

using namespace zarn::dates;
using zarn::Date;
using namespace std::chrono_literals;
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

// Pins ICU's default locale and time zone for one test and puts the old ones back afterwards.
class PinnedSettings {
public:
    PinnedSettings(const char* locale, const char* zone)
        : oldLocale_(icu::Locale::getDefault()), oldZone_(icu::TimeZone::createDefault()) {
        set(locale, zone);
    }
    ~PinnedSettings() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(oldLocale_, status);
        icu::TimeZone::adoptDefault(oldZone_.release());
    }
    PinnedSettings(const PinnedSettings&) = delete;
    PinnedSettings& operator=(const PinnedSettings&) = delete;

    static void set(const char* locale, const char* zone) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
    }

private:
    icu::Locale oldLocale_;
    std::unique_ptr<icu::TimeZone> oldZone_;
};

// A Gregorian wall-clock time in the pinned time zone, made by ICU without the code under test.
Date local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(status);
    calendar.clear();
    calendar.set(year, month - 1, day, hour, minute, second);
    const UDate millis = calendar.getTime(status);
    EXPECT_TRUE(U_SUCCESS(status));
    return Date(std::chrono::milliseconds(static_cast<std::int64_t>(millis)));
}

std::string withPattern(Date date, const char* pattern) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    return formatter.stringFromDate(date);
}

TEST(DateArithmetic, CountsCarryMoveBackAndKeepPrecision) {
    PinnedSettings pinned("en_US", "Europe/Berlin");
    const auto ns = 123456789ns;
    const Date base = local(2026, 3, 1, 22, 30, 15) + ns;
    struct Case {
        std::int64_t days, months, years, hours, mins;
        Date expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, base},
        {0, 0, 0, 0, 90, local(2026, 3, 2, 0, 0, 15) + ns},
        {0, 0, 0, 2, 30, local(2026, 3, 2, 1, 0, 15) + ns},
        {0, 0, 0, 23, 59, local(2026, 3, 2, 22, 29, 15) + ns},
        {0, 0, 0, 0, -1440, local(2026, 2, 28, 22, 30, 15) + ns},
        {-1, -1, -1, -1, -1, local(2025, 1, 31, 21, 29, 15) + ns},
        // Across the change to summer time the wall-clock time stays.
        {0, 1, 0, 0, 0, local(2026, 4, 1, 22, 30, 15) + ns},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dateByAddingDays(base, c.days, c.months, c.years, c.hours, c.mins), c.expected)
            << c.days << " d " << c.months << " mo " << c.years << " y " << c.hours << " h "
            << c.mins << " min";
    }
    EXPECT_EQ(dayFromDate(dateByAddingDays(base, 0, 0, 0, 23, 59)), "02");
    // The month comes before the day: 28 February, then 1 March.
    EXPECT_EQ(dateByAddingDays(local(2026, 1, 30, 12), 1, 1, 0, 0, 0), local(2026, 3, 1, 12));

    const Date moonWalk = local(1969, 7, 21, 3, 56, 15) + 987654321ns;
    EXPECT_EQ(dateByAddingDays(moonWalk, 0, 0, 0, 0, 0), moonWalk);
    EXPECT_EQ(dateByAddingDays(moonWalk, -1, 0, 0, 0, 0),
              local(1969, 7, 20, 3, 56, 15) + 987654321ns);
}

TEST(DateArithmetic, HugeCountsSaturateOrCancelWithoutOverflow) {
    PinnedSettings pinned("en_US", "UTC");
    const Date base = local(2026, 3, 1, 12) + 5ns;
    EXPECT_EQ(dateByAddingDays(base, int64Max, 0, 0, 0, 0), Date::max());
    EXPECT_EQ(dateByAddingDays(base, 0, 0, 0, 0, int64Min), Date::min());
    EXPECT_EQ(dateByAddingDays(base, 0, 0, 1000, 0, 0), Date::max());
    EXPECT_EQ(dateByAddingDays(base, int64Min, int64Min, int64Min, int64Min, int64Min),
              Date::min());
    // Three billion minutes (beyond 32 bits) minus 2083333 days leave 8 hours.
    EXPECT_EQ(dateByAddingDays(base, -2083333, 0, 0, 0, 3'000'000'000), base + 8h);
}

TEST(DateArithmetic, DaylightSavingDays) {
    struct Case {
        const char* zone;
        int month, day;
        std::chrono::hours dayLength;
        int hourAfter24h;
        std::int64_t monthLength;
    };
    for (const Case& c :
         {Case{"Europe/Berlin", 3, 29, 23h, 13, 31}, Case{"America/New_York", 3, 8, 23h, 13, 31},
          Case{"America/New_York", 11, 1, 25h, 11, 30}}) {
        PinnedSettings pinned("en_US", c.zone);
        SCOPED_TRACE(c.zone);
        const Date before = local(2026, c.month, c.day - 1, 12);
        const Date dayLater = dateByAddingDays(before, 1, 0, 0, 0, 0);
        EXPECT_EQ(dayLater, local(2026, c.month, c.day, 12));
        EXPECT_EQ(dayLater - before, c.dayLength);
        const Date hoursLater = dateByAddingDays(before, 0, 0, 0, 24, 0);
        EXPECT_EQ(hoursLater - before, 24h);
        EXPECT_EQ(withPattern(hoursLater, "H"), std::to_string(c.hourAfter24h));

        const Date evening = local(2026, c.month, c.day, 18);
        EXPECT_EQ(cleanseDate(evening), local(2026, c.month, c.day));
        EXPECT_EQ(daysInMonth(evening), c.monthLength);
    }
    // Chile skips from 24:00 to 01:00: the day begins at 01:00 local time, 04:00 UTC.
    PinnedSettings pinned("en_US", "America/Santiago");
    EXPECT_EQ(cleanseDate(local(2026, 9, 6, 12)),
              Date(std::chrono::sys_days(std::chrono::year(2026) / 9 / 6) + 4h));
}

TEST(DateArithmetic, DifferencesDayStartsAndMonthLengths) {
    PinnedSettings pinned("en_US", "America/New_York");
    const Date day = local(2026, 6, 15, 10);
    const DateComponents back = diffDate(day, day - 24h, Day);
    EXPECT_EQ(back.day, -1);
    EXPECT_FALSE(back.year || back.month || back.hour || back.minute || back.second);

    const auto parts =
        diffDate(day, local(2027, 8, 16, 12, 30, 5), Year | Month | Day | Hour | Minute | Second);
    EXPECT_EQ(parts.year, 1);
    EXPECT_EQ(parts.month, 2);
    EXPECT_EQ(parts.day, 1);
    EXPECT_EQ(parts.hour, 2);
    EXPECT_EQ(parts.minute, 30);
    EXPECT_EQ(parts.second, 5);
    EXPECT_FALSE(parts.era);
    // More seconds than 32 bits hold.
    const Date from = local(1950, 1, 1), to = local(2050, 1, 1);
    EXPECT_EQ(diffDate(from, to, Second).second,
              std::chrono::duration_cast<std::chrono::seconds>(to - from).count());
    EXPECT_EQ(diffDate(to, from, Era | Year).year, -100);

    for (const auto& [date, length] : {std::pair{local(2028, 2, 10), 29},
                                       {local(2026, 2, 10), 28},
                                       {local(2026, 1, 31, 23, 59, 59), 31}}) {
        EXPECT_EQ(daysInMonth(date), length);
    }
    EXPECT_EQ(cleanseDate(local(2026, 1, 31, 23, 59, 59) + 999ms), local(2026, 1, 31));
    EXPECT_EQ(cleanseDate(local(2026, 1, 31)), local(2026, 1, 31));
}

TEST(DateText, PartsAndNamesInTheUsersLanguage) {
    PinnedSettings pinned("en_US", "UTC");
    const Date sunday = local(2026, 3, 1, 9);
    EXPECT_EQ(yearFromDate(sunday), "2026");
    EXPECT_EQ(monthFromDate(sunday), "03");
    EXPECT_EQ(dayFromDate(sunday), "01");
    EXPECT_EQ(dayFromDate(local(2026, 3, 5, 9)), "05");
    EXPECT_EQ(monthFromDate(local(2026, 5, 5, 9)), "05");
    EXPECT_EQ(dayNameFromDate(sunday), "Sunday");
    EXPECT_EQ(monthNameFromDate(sunday), "March");
    EXPECT_EQ(shortStyleFromDate(local(2026, 12, 6, 9)), "12/6/26");
    EXPECT_EQ(currentYear(), yearFromDate(std::chrono::system_clock::now()));
    EXPECT_EQ(currentMonth().size(), 2u);
    EXPECT_EQ(currentDay().size(), 2u);
}

TEST(DateText, MonthAndWeekdayNumbers) {
    PinnedSettings pinned("en_US", "UTC");
    EXPECT_EQ(monthNameFromNumber(1), "January");
    EXPECT_EQ(monthNameFromNumber(12), "December");
    for (const std::int64_t outside :
         {std::int64_t{0}, std::int64_t{13}, std::int64_t{-1}, int64Min, int64Max}) {
        EXPECT_EQ(monthNameFromNumber(outside), std::nullopt) << outside;
    }
    EXPECT_EQ(monthNumberFromName("January"), 1);
    EXPECT_EQ(monthNumberFromName("December"), 12);
    for (const char* other : {"january", "JANUARY", "Jan", ""}) {
        const std::int64_t number = monthNumberFromName(other);
        EXPECT_TRUE(number < 1 || number > 12) << other;
    }
    EXPECT_EQ(dayNumberFromName("Sunday"), 0);
    EXPECT_EQ(dayNumberFromName("Saturday"), 6);
    EXPECT_EQ(dayNumberFromName("sunday"), NotFound);
    EXPECT_EQ(dayNumberFromName("Sundae"), NotFound);
}

TEST(DateText, FollowsTheSettingsOfEachCallButStampsStayPosix) {
    PinnedSettings pinned("en_US", "UTC");
    const Date instant = local(2026, 3, 1, 9);
    EXPECT_EQ(monthNameFromDate(instant), "March");
    DateFormatter madeInUtc;
    madeInUtc.setDateFormat("HH");

    PinnedSettings::set("de_DE", "Asia/Tokyo");
    EXPECT_EQ(monthNameFromDate(instant), "März");
    EXPECT_EQ(monthNumberFromName("März"), 3);
    EXPECT_EQ(dayNumberFromName("Sonntag"), 0);
    EXPECT_EQ(withPattern(instant, "HH"), "18");
    EXPECT_EQ(madeInUtc.stringFromDate(instant), "09"); // a formatter keeps its own settings
    PinnedSettings::set("th_TH@calendar=buddhist", "UTC");
    EXPECT_EQ(yearFromDate(instant), "2569");

    for (const char* locale : {"th_TH@calendar=buddhist", "ar_EG", "en_US"}) {
        PinnedSettings::set(locale, "Europe/Berlin");
        const Date stampTime = local(2025, 1, 5, 15, 30, 40);
        DateFormatter stamp = DateFormatter::posix();
        stamp.setDateFormat("yyMMddHHmm");
        EXPECT_EQ(stamp.stringFromDate(stampTime), "2501051530") << locale;
        if (std::string_view(locale) == "ar_EG") { // the user's own formatter has other digits
            EXPECT_NE(withPattern(stampTime, "yyMMddHHmm"), "2501051530");
        }
    }
}

TEST(DateText, FormatterSettingsAndParsing) {
    PinnedSettings pinned("en_US", "UTC");
    const Date date = local(2026, 12, 6, 9);
    DateFormatter formatter;
    EXPECT_EQ(formatter.stringFromDate(date), "");
    EXPECT_EQ(formatter.dateFromString(""), std::nullopt);
    formatter.setDateFormat("yyyy");
    formatter.setDateStyle(DateFormatter::Style::Short); // a style replaces the pattern
    EXPECT_EQ(formatter.stringFromDate(date), "12/6/26");
    formatter.setDateFormat("yyyy-MM-dd"); // and a pattern the styles
    EXPECT_EQ(formatter.stringFromDate(date), "2026-12-06");
    EXPECT_EQ(formatter.dateFromString("2026-12-06"), local(2026, 12, 6));
    EXPECT_EQ(formatter.dateFromString("2026-12-06x"), std::nullopt);
    EXPECT_EQ(formatter.dateFromString("not a date"), std::nullopt);
    const DateFormatter copy = formatter;
    EXPECT_EQ(copy.stringFromDate(date), "2026-12-06");
    EXPECT_EQ(formatter.monthSymbols().size(), 12u);
    EXPECT_EQ(formatter.weekdaySymbols().front(), "Sunday");
}

} // namespace
