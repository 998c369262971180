#include "dates/DateUtilities.h"

#include "dates/IcuTime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <unicode/calendar.h>

namespace zarn::dates {

namespace {

// A calendar of the user's current locale and time zone, set to `date`; null if ICU fails.
std::unique_ptr<icu::Calendar> calendarAt(Date date) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    calendar->setTime(detail::toIcu(date).millis, status);
    return U_SUCCESS(status) ? std::move(calendar) : nullptr;
}

// ICU adds 32-bit amounts, and its year and month sums are 32-bit too; a count is therefore
// capped at a million years' worth of its unit, which lies far beyond any Date (about 292 years
// either side of 1970) yet keeps even all five counts together inside ICU's range, and is added
// in 32-bit steps (at most some 250, for minutes).
void addCount(icu::Calendar& calendar, UCalendarDateFields field, std::int64_t count,
              std::int64_t cap, UErrorCode& status) {
    count = std::clamp(count, -cap, cap);
    while (count != 0 && U_SUCCESS(status)) {
        const std::int64_t step = std::clamp<std::int64_t>(
            count, -std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
        calendar.add(field, static_cast<int32_t>(step), status);
        count -= step;
    }
}

std::string withPattern(Date date, const char* pattern) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    return componentOfDate(date, formatter);
}

template <typename List> std::int64_t positionOf(const List& list, std::string_view name) {
    const auto found = std::find(list.begin(), list.end(), name);
    return found == list.end() ? NotFound : found - list.begin();
}

} // namespace

std::optional<Date> cleanseDate(Date date) {
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd");
    return formatter.dateFromString(formatter.stringFromDate(date));
}

Date dateByAddingDays(Date base, std::int64_t days, std::int64_t months, std::int64_t years,
                      std::int64_t hours, std::int64_t mins) {
    if (days == 0 && months == 0 && years == 0 && hours == 0 && mins == 0) {
        return base;
    }
    auto calendar = calendarAt(base);
    if (!calendar) {
        return base;
    }
    // Larger units first, so that 30 January plus one month and one day is 1 March (28 February,
    // then a day). Days keep the wall-clock time across a daylight-saving change; hours and
    // minutes are real time.
    const std::array<std::tuple<UCalendarDateFields, std::int64_t, std::int64_t>, 5> amounts{{
        {UCAL_YEAR, years, 1'000'000},
        {UCAL_MONTH, months, 12'000'000},
        {UCAL_DATE, days, 366'000'000},
        {UCAL_HOUR_OF_DAY, hours, 8'784'000'000},
        {UCAL_MINUTE, mins, 527'040'000'000},
    }};
    UErrorCode status = U_ZERO_ERROR;
    for (const auto& [field, count, cap] : amounts) {
        addCount(*calendar, field, count, cap, status);
    }
    const detail::IcuTime start = detail::toIcu(base);
    const UDate end = calendar->getTime(status);
    if (U_FAILURE(status)) {
        return base;
    }
    if (const auto result = detail::fromIcu(end, start.below)) {
        return *result;
    }
    return end > start.millis ? Date::max() : Date::min();
}

DateComponents diffDate(Date first, Date second, std::uint64_t units) {
    DateComponents components;
    auto calendar = calendarAt(first);
    if (!calendar) {
        return components;
    }
    const UDate end = detail::toIcu(second).millis;
    const std::array<std::tuple<CalendarUnit, UCalendarDateFields, std::optional<std::int64_t>*>, 7>
        fields{{
            {Era, UCAL_ERA, &components.era},
            {Year, UCAL_YEAR, &components.year},
            {Month, UCAL_MONTH, &components.month},
            {Day, UCAL_DATE, &components.day},
            {Hour, UCAL_HOUR_OF_DAY, &components.hour},
            {Minute, UCAL_MINUTE, &components.minute},
            {Second, UCAL_SECOND, &components.second},
        }};
    // fieldDifference moves the calendar on by what it counted, so each smaller unit gets the
    // rest. Seconds are counted directly: ICU's count is 32-bit (68 years of seconds), and a
    // second is always 1000 milliseconds to it.
    for (const auto& [unit, field, slot] : fields) {
        if ((units & unit) == 0) {
            continue;
        }
        UErrorCode status = U_ZERO_ERROR;
        if (field == UCAL_SECOND) {
            const UDate now = calendar->getTime(status);
            *slot =
                U_SUCCESS(status) ? static_cast<std::int64_t>(std::trunc((end - now) / 1000)) : 0;
        } else {
            const int32_t amount = calendar->fieldDifference(end, field, status);
            *slot = U_SUCCESS(status) ? amount : 0;
        }
    }
    return components;
}

std::string componentOfDate(Date date, const DateFormatter& formatter) {
    return formatter.stringFromDate(date);
}

std::string shortStyleFromDate(Date date) {
    DateFormatter formatter;
    formatter.setDateStyle(DateFormatter::Style::Short);
    formatter.setTimeStyle(DateFormatter::Style::None);
    return componentOfDate(date, formatter);
}

std::string yearFromDate(Date date) {
    return withPattern(date, "yyyy");
}
std::string monthFromDate(Date date) {
    return withPattern(date, "MM");
}
std::string dayFromDate(Date date) {
    return withPattern(date, "dd");
}
std::string currentYear() {
    return yearFromDate(std::chrono::system_clock::now());
}
std::string currentMonth() {
    return monthFromDate(std::chrono::system_clock::now());
}
std::string currentDay() {
    return dayFromDate(std::chrono::system_clock::now());
}
std::string dayNameFromDate(Date date) {
    return withPattern(date, "EEEE");
}
std::string monthNameFromDate(Date date) {
    return withPattern(date, "MMMM");
}

std::int64_t monthNumberFromName(std::string_view name) {
    const std::int64_t position = positionOf(DateFormatter().monthSymbols(), name);
    // Not found stays outside 1 to 12 without the overflow of NotFound + 1.
    return position == NotFound ? 0 : position + 1;
}

std::optional<std::string> monthNameFromNumber(std::int64_t number) {
    if (number < 1 || number > 12) {
        return std::nullopt;
    }
    const auto names = DateFormatter().monthSymbols();
    if (static_cast<std::size_t>(number) > names.size()) {
        return std::nullopt;
    }
    return names[static_cast<std::size_t>(number - 1)];
}

std::int64_t dayNumberFromName(std::string_view name) {
    return positionOf(DateFormatter().weekdaySymbols(), name);
}

std::int64_t daysInMonth(Date date) {
    auto calendar = calendarAt(date);
    if (!calendar) {
        return 0;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t days = calendar->getActualMaximum(UCAL_DAY_OF_MONTH, status);
    return U_SUCCESS(status) ? days : 0;
}

} // namespace zarn::dates
