#pragma once

#include "dates/DateFormatter.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

/// Date arithmetic and text forms of dates, each call in the user's current calendar, locale and
/// time zone (nothing is cached).
namespace zarn::dates {

enum CalendarUnit : std::uint64_t {
    Era = 2,
    Year = 4,
    Month = 8,
    Day = 16,
    Hour = 32,
    Minute = 64,
    Second = 128
};

/// The units that diffDate was asked for are set; the others stay empty.
struct DateComponents {
    std::optional<std::int64_t> era, year, month, day, hour, minute, second;
};

/// Position that the name look-ups give for a name not in their list.
inline constexpr std::int64_t NotFound = std::numeric_limits<std::int64_t>::max();

/// 00:00 of the date's day, through the text "yyyy-MM-dd" and back; nothing if that fails.
std::optional<Date> cleanseDate(Date date);
/// `base` plus the counts, larger units first (negative ones move back); an amount larger than its
/// unit carries (90 minutes are 1 h 30 min). Days keep the wall-clock time, hours and minutes are
/// real time. Precision below the millisecond is kept: all counts 0 give `base` itself. A result
/// beyond the range of Date gives Date::max() or Date::min(); a count is taken as at most a
/// million years' worth of its unit.
Date dateByAddingDays(Date base, std::int64_t days, std::int64_t months, std::int64_t years,
                      std::int64_t hours, std::int64_t mins);
/// From `first` to `second` in the units of the mask (CalendarUnit bits), largest unit first, each
/// smaller unit counting what the larger ones left; negative when `second` is earlier. Counted to
/// the millisecond; other bits of the mask are ignored.
DateComponents diffDate(Date first, Date second, std::uint64_t units);
/// `formatter`'s text for `date`.
std::string componentOfDate(Date date, const DateFormatter& formatter);
/// The locale's short date without a time ("12/6/26" in en_US).
std::string shortStyleFromDate(Date date);
/// "yyyy", "MM", "dd" of a date, and of now.
std::string yearFromDate(Date date);
std::string monthFromDate(Date date);
std::string dayFromDate(Date date);
std::string currentYear();
std::string currentMonth();
std::string currentDay();
/// Full weekday ("EEEE") and month ("MMMM") names in the user's language.
std::string dayNameFromDate(Date date);
std::string monthNameFromDate(Date date);
/// 1 to 12 for a month name (exact, case-sensitive match); 0 for a name not in the list.
std::int64_t monthNumberFromName(std::string_view name);
/// The name of month 1 to 12; nothing for any other number.
std::optional<std::string> monthNameFromNumber(std::int64_t number);
/// 0 (Sunday) to 6 for a weekday name; NotFound for a name not in the list.
std::int64_t dayNumberFromName(std::string_view name);
/// Days in the date's month (28 to 31 in the Gregorian calendar).
std::int64_t daysInMonth(Date date);

} // namespace zarn::dates
