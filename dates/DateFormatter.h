#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

/// An absolute instant; keeps whatever precision it was given.
using Date = std::chrono::system_clock::time_point;

namespace dates {

/// The calendars a formatter can be asked for by name, whatever the locale's own calendar is.
enum class Calendar { Gregorian, Persian, IslamicCivil };

/// Turns dates into text and back, in the locale, calendar and time zone that were the user's
/// when it was made. Patterns are Unicode (UTS #35) date patterns; all text is UTF-8.
class DateFormatter {
public:
    enum class Style { None = 0, Short = 1, Medium = 2, Long = 3, Full = 4 };

    /// The user's current default locale (with the calendar it names) and time zone, read now;
    /// with neither pattern nor styles set it formats every date as "".
    DateFormatter();
    /// The user's current default locale (its language, digits and patterns) and time zone, read
    /// now, but dates in `calendar` instead of the locale's own.
    explicit DateFormatter(Calendar calendar);
    /// en_US_POSIX, Gregorian, the user's time zone: for stamps that programs read.
    static DateFormatter posix();

    DateFormatter(const DateFormatter& other);
    DateFormatter& operator=(const DateFormatter& other);
    DateFormatter(DateFormatter&&) noexcept;
    DateFormatter& operator=(DateFormatter&&) noexcept;
    ~DateFormatter();

    /// Replaces any styles.
    void setDateFormat(std::string_view pattern);
    /// Replace any pattern; the two styles combine.
    void setDateStyle(Style style);
    void setTimeStyle(Style style);

    /// Where the formatter's time zone gives `date` another UTC offset than the C library's local
    /// time does (ICU reads no TZ given as a POSIX rule, such as "EST5EDT,M3.2.0,M11.1.0", and
    /// falls back to UTC), formats from now on in a fixed zone of the C library's offset at
    /// `date`, so that the text of `date` names the local time that the rest of the system shows.
    void matchLocalTimeAt(Date date);

    std::string stringFromDate(Date date) const;
    /// Nothing unless the whole text parses.
    std::optional<Date> dateFromString(std::string_view text) const;
    /// Full month names in the formatter's calendar, the first month first.
    std::vector<std::string> monthSymbols() const;
    /// Full weekday names, Sunday first.
    std::vector<std::string> weekdaySymbols() const;

private:
    struct Impl;
    explicit DateFormatter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace dates
} // namespace zarn
