#include "dates/DateUtilities.h"

#include <gtest/gtest.h>

#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

using namespace zarn::dates;
using zarn::Date;
using namespace std::chrono_literals;

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
        icu::TimeZone::adoptDefault(oldZone_);
    }
    static void set(const char* locale, const char* zone) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
    }

private:
    icu::Locale oldLocale_;
    icu::TimeZone* oldZone_;
};

// A local wall-clock time in the pinned time zone.
Date local(const char* text) {
    DateFormatter formatter = DateFormatter::posix();
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    return formatter.dateFromString(text).value();
}

std::string localText(Date date) {
    DateFormatter formatter = DateFormatter::posix();
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    return formatter.stringFromDate(date);
}

TEST(DateArithmetic, AddsWithCarryAndKeepsPrecision) {
    PinnedSettings pinned("en_US", "Europe/Berlin");
    const Date base = local("2026-03-01 22:30:15") + 123456789ns;

    EXPECT_EQ(dateByAddingDays(base, 0, 0, 0, 0, 0), base);
    EXPECT_EQ(dateByAddingDays(base, 0, 0, 0, 0, 90), base + 90min);
    EXPECT_EQ(dateByAddingDays(base, 0, 0, 0, 2, 30), base + 150min);
    EXPECT_EQ(localText(dateByAddingDays(base, 0, 0, 0, 23, 59)), "2026-03-02 22:29:15");
    EXPECT_EQ(localText(dateByAddingDays(base, -1, -1, -1, -1, -1)), "2025-01-31 21:29:15");
    EXPECT_EQ(localText(dateByAddingDays(base, 0, 1, 0, 0, 0)), "2026-04-01 22:30:15");
    // The nanoseconds below the millisecond come along.
    EXPECT_EQ((dateByAddingDays(base, 1, 0, 0, 0, 0) - base) % 1ms, 0ns);
    // Counts beyond what any calendar holds leave the date alone instead of wrapping around.
    EXPECT_EQ(dateByAddingDays(base, 0, 0, 0, 0, std::numeric_limits<std::int64_t>::max()), base);
    EXPECT_EQ(dateByAddingDays(base, std::numeric_limits<std::int64_t>::min(), 0, 0, 0, 0), base);
}

TEST(DateArithmetic, DaylightSavingDayKeepsWallClockForDaysOnly) {
    PinnedSettings pinned("en_US", "Europe/Berlin");
    // Clocks go from 02:00 to 03:00 on 29 March 2026.
    const Date before = local("2026-03-28 12:00:00");
    EXPECT_EQ(localText(dateByAddingDays(before, 1, 0, 0, 0, 0)), "2026-03-29 12:00:00");
    EXPECT_EQ(dateByAddingDays(before, 1, 0, 0, 0, 0) - before, 23h);
    EXPECT_EQ(dateByAddingDays(before, 0, 0, 0, 24, 0) - before, 24h);
    EXPECT_EQ(localText(dateByAddingDays(before, 0, 0, 0, 24, 0)), "2026-03-29 13:00:00");
    const Date onThatDay = local("2026-03-29 18:00:00");
    EXPECT_EQ(localText(cleanseDate(onThatDay).value()), "2026-03-29 00:00:00");
    EXPECT_EQ(daysInMonth(onThatDay), 31);
}

TEST(DateArithmetic, DifferencesAndMonthLengths) {
    PinnedSettings pinned("en_US", "America/New_York");
    const Date day = local("2026-06-15 10:00:00");
    EXPECT_EQ(diffDate(day, day - 24h, Day).day, -1);
    EXPECT_FALSE(diffDate(day, day - 24h, Day).hour.has_value());
    const auto parts =
        diffDate(day, local("2027-08-16 12:30:05"), Year | Month | Day | Hour | Minute | Second);
    EXPECT_EQ(parts.year, 1);
    EXPECT_EQ(parts.month, 2);
    EXPECT_EQ(parts.day, 1);
    EXPECT_EQ(parts.hour, 2);
    EXPECT_EQ(parts.minute, 30);
    EXPECT_EQ(parts.second, 5);

    EXPECT_EQ(daysInMonth(local("2028-02-10 00:00:00")), 29);
    EXPECT_EQ(daysInMonth(local("2026-02-10 00:00:00")), 28);
    EXPECT_EQ(daysInMonth(local("2026-01-31 23:59:59")), 31);
    EXPECT_EQ(localText(cleanseDate(local("2026-01-31 23:59:59")).value()), "2026-01-31 00:00:00");
    EXPECT_EQ(localText(cleanseDate(local("2026-01-31 00:00:00")).value()), "2026-01-31 00:00:00");
}

TEST(DateText, PartsAndNamesInTheUsersLanguage) {
    PinnedSettings pinned("en_US", "UTC");
    const Date sunday = local("2026-03-01 09:00:00");
    EXPECT_EQ(yearFromDate(sunday), "2026");
    EXPECT_EQ(monthFromDate(sunday), "03");
    EXPECT_EQ(dayFromDate(sunday), "01");
    EXPECT_EQ(dayFromDate(local("2026-03-05 09:00:00")), "05");
    EXPECT_EQ(dayNameFromDate(sunday), "Sunday");
    EXPECT_EQ(monthNameFromDate(sunday), "March");
    EXPECT_EQ(shortStyleFromDate(local("2026-12-06 09:00:00")), "12/6/26");
    EXPECT_EQ(currentYear().size(), 4u);
    EXPECT_EQ(currentMonth().size(), 2u);
    EXPECT_EQ(currentDay().size(), 2u);
}

TEST(DateText, MonthAndWeekdayNumbers) {
    PinnedSettings pinned("en_US", "UTC");
    EXPECT_EQ(monthNameFromNumber(1), "January");
    EXPECT_EQ(monthNameFromNumber(12), "December");
    for (const std::int64_t outside :
         {std::int64_t{0}, std::int64_t{13}, std::int64_t{-1},
          std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
        EXPECT_EQ(monthNameFromNumber(outside), std::nullopt) << outside;
    }
    EXPECT_EQ(monthNumberFromName("January"), 1);
    EXPECT_EQ(monthNumberFromName("December"), 12);
    EXPECT_EQ(monthNumberFromName("january"), 0);
    EXPECT_EQ(dayNumberFromName("Sunday"), 0);
    EXPECT_EQ(dayNumberFromName("Saturday"), 6);
    EXPECT_EQ(dayNumberFromName("Sundae"), NotFound);
}

TEST(DateText, FollowsTheSettingsOfEachCallButStampsStayPosix) {
    PinnedSettings pinned("en_US", "UTC");
    const Date instant = local("2026-03-01 09:00:00");
    EXPECT_EQ(monthNameFromDate(instant), "March");

    PinnedSettings::set("de_DE", "UTC");
    EXPECT_EQ(monthNameFromDate(instant), "März");
    EXPECT_EQ(monthNumberFromName("März"), 3);
    PinnedSettings::set("de_DE", "Asia/Tokyo");
    DateFormatter hours;
    hours.setDateFormat("HH");
    EXPECT_EQ(hours.stringFromDate(instant), "18");
    PinnedSettings::set("th_TH@calendar=buddhist", "UTC");
    EXPECT_EQ(yearFromDate(instant), "2569");

    for (const char* locale : {"th_TH@calendar=buddhist", "ar_EG", "en_US"}) {
        PinnedSettings::set(locale, "Europe/Berlin");
        DateFormatter stamp = DateFormatter::posix();
        stamp.setDateFormat("yyMMddHHmm");
        EXPECT_EQ(stamp.stringFromDate(local("2025-01-05 15:30:40")), "2501051530") << locale;
    }
}

TEST(DateText, FormatterParsesOnlyWholeTexts) {
    PinnedSettings pinned("en_US", "UTC");
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd");
    EXPECT_TRUE(formatter.dateFromString("2026-03-01").has_value());
    EXPECT_FALSE(formatter.dateFromString("2026-03-01x").has_value());
    EXPECT_FALSE(formatter.dateFromString("not a date").has_value());
    EXPECT_EQ(DateFormatter().stringFromDate(local("2026-03-01 09:00:00")), "");
    const DateFormatter copy = formatter;
    EXPECT_EQ(copy.stringFromDate(local("2026-03-01 09:00:00")), "2026-03-01");
}

} // namespace
