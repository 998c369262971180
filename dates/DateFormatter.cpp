#include "dates/DateFormatter.h"

#include "dates/IcuTime.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace zarn::dates {

namespace detail {

namespace {
constexpr Date::rep ticksPerMilli =
    std::chrono::duration_cast<Date::duration>(std::chrono::milliseconds(1)).count();
static_assert(ticksPerMilli > 0, "Date must be at least as fine as a millisecond");
} // namespace

IcuTime toIcu(Date date) {
    // Integer division instead of chrono::floor: subtracting the floored milliseconds would
    // overflow near the lower end of Date.
    const Date::rep ticks = date.time_since_epoch().count();
    Date::rep millis = ticks / ticksPerMilli;
    Date::rep below = ticks % ticksPerMilli;
    if (below < 0) {
        --millis;
        below += ticksPerMilli;
    }
    return {static_cast<UDate>(millis), Date::duration(below)};
}

std::optional<Date> fromIcu(UDate millis, Date::duration below) {
    constexpr Date::rep limit = std::numeric_limits<Date::rep>::max() / ticksPerMilli;
    const double whole = std::floor(millis);
    // Also false for NaN; the bounds are exact doubles, so the cast below is defined.
    if (!(whole >= -static_cast<double>(limit) && whole <= static_cast<double>(limit))) {
        return std::nullopt;
    }
    Date::rep ticks = 0;
    if (__builtin_mul_overflow(static_cast<Date::rep>(whole), ticksPerMilli, &ticks) ||
        __builtin_add_overflow(ticks, below.count(), &ticks)) {
        return std::nullopt;
    }
    return Date(Date::duration(ticks));
}

} // namespace detail

namespace {

icu::DateFormat::EStyle icuStyle(DateFormatter::Style style) {
    switch (style) {
    case DateFormatter::Style::Short:
        return icu::DateFormat::kShort;
    case DateFormatter::Style::Medium:
        return icu::DateFormat::kMedium;
    case DateFormatter::Style::Long:
        return icu::DateFormat::kLong;
    case DateFormatter::Style::Full:
        return icu::DateFormat::kFull;
    case DateFormatter::Style::None:
        break;
    }
    return icu::DateFormat::kNone;
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

} // namespace

struct DateFormatter::Impl {
    icu::Locale locale;
    std::unique_ptr<icu::Calendar> calendar;
    std::unique_ptr<icu::DateFormat> format; // null: nothing set, or ICU refused the pattern
    Style dateStyle = Style::None;
    Style timeStyle = Style::None;

    Impl(const icu::Locale& l, std::unique_ptr<icu::Calendar> c)
        : locale(l), calendar(std::move(c)) {}
    Impl(const Impl& other)
        : locale(other.locale), calendar(other.calendar ? other.calendar->clone() : nullptr),
          format(other.format ? other.format->clone() : nullptr), dateStyle(other.dateStyle),
          timeStyle(other.timeStyle) {}

    void adoptFormat(icu::DateFormat* made, UErrorCode status) {
        format.reset(U_SUCCESS(status) ? made : nullptr);
        if (!U_SUCCESS(status)) {
            delete made;
        }
        if (format && calendar) {
            format->setCalendar(*calendar);
        }
    }

    /// `locale` with the calendar it names (or its region's), in the user's time zone.
    static std::unique_ptr<Impl> in(const icu::Locale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        // The locale may name its calendar (th_TH@calendar=buddhist).
        std::unique_ptr<icu::Calendar> calendar(
            icu::Calendar::createInstance(icu::TimeZone::createDefault(), locale, status));
        if (U_FAILURE(status)) {
            calendar.reset();
        }
        return std::make_unique<Impl>(locale, std::move(calendar));
    }

    void applyStyles() {
        if (dateStyle == Style::None && timeStyle == Style::None) {
            format.reset();
            return;
        }
        icu::DateFormat* made = icu::DateFormat::createDateTimeInstance(
            icuStyle(dateStyle), icuStyle(timeStyle), locale);
        adoptFormat(made, made != nullptr ? U_ZERO_ERROR : U_MEMORY_ALLOCATION_ERROR);
    }
};

namespace {

const char* calendarKeyword(Calendar calendar) {
    switch (calendar) {
    case Calendar::Gregorian:
        break;
    case Calendar::Persian:
        return "persian";
    case Calendar::IslamicCivil:
        return "islamic-civil";
    }
    return "gregorian";
}

} // namespace

DateFormatter::DateFormatter() : impl_(Impl::in(icu::Locale::getDefault())) {}

DateFormatter::DateFormatter(Calendar calendar) {
    // As a keyword of the locale, the calendar also chooses the month and era names that the
    // patterns show, not only the arithmetic.
    icu::Locale locale = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    locale.setKeywordValue("calendar", calendarKeyword(calendar), status);
    impl_ = Impl::in(locale);
}

DateFormatter::DateFormatter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DateFormatter DateFormatter::posix() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("en_US_POSIX");
    std::unique_ptr<icu::Calendar> calendar(
        new icu::GregorianCalendar(icu::TimeZone::createDefault(), locale, status));
    if (U_FAILURE(status)) {
        calendar.reset();
    }
    return DateFormatter(std::make_unique<Impl>(locale, std::move(calendar)));
}

DateFormatter::DateFormatter(const DateFormatter& other)
    : impl_(other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr) {}

DateFormatter& DateFormatter::operator=(const DateFormatter& other) {
    if (this != &other) {
        impl_ = other.impl_ ? std::make_unique<Impl>(*other.impl_) : nullptr;
    }
    return *this;
}

DateFormatter::DateFormatter(DateFormatter&&) noexcept = default;
DateFormatter& DateFormatter::operator=(DateFormatter&&) noexcept = default;
DateFormatter::~DateFormatter() = default;

// A moved-from formatter has no Impl: it ignores settings and formats, parses and names nothing.

void DateFormatter::setDateFormat(std::string_view pattern) {
    if (!impl_) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    auto* made =
        new icu::SimpleDateFormat(icu::UnicodeString::fromUTF8(icu::StringPiece(
                                      pattern.data(), static_cast<int32_t>(pattern.size()))),
                                  impl_->locale, status);
    impl_->adoptFormat(made, status);
    impl_->dateStyle = impl_->timeStyle = Style::None;
}

void DateFormatter::setDateStyle(Style style) {
    if (!impl_) {
        return;
    }
    impl_->dateStyle = style;
    impl_->applyStyles();
}

void DateFormatter::setTimeStyle(Style style) {
    if (!impl_) {
        return;
    }
    impl_->timeStyle = style;
    impl_->applyStyles();
}

void DateFormatter::matchLocalTimeAt(Date date) {
    if (!impl_ || !impl_->calendar) {
        return;
    }
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return;
    }
    const auto wanted = static_cast<int32_t>(local.tm_gmtoff * 1000);
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0;
    int32_t daylight = 0;
    impl_->calendar->getTimeZone().getOffset(detail::toIcu(date).millis, false, raw, daylight,
                                             status);
    if (U_SUCCESS(status) && raw + daylight == wanted) {
        return;
    }
    const long minutes = std::labs(local.tm_gmtoff) / 60;
    std::string id = local.tm_gmtoff < 0 ? "GMT-" : "GMT+";
    id += std::to_string(minutes / 60 / 10) + std::to_string(minutes / 60 % 10) + ':' +
          std::to_string(minutes % 60 / 10) + std::to_string(minutes % 60 % 10);
    impl_->calendar->adoptTimeZone(
        new icu::SimpleTimeZone(wanted, icu::UnicodeString::fromUTF8(id)));
    if (impl_->format) {
        impl_->format->setCalendar(*impl_->calendar);
    }
}

std::string DateFormatter::stringFromDate(Date date) const {
    if (!impl_ || !impl_->format) {
        return {};
    }
    icu::UnicodeString text;
    impl_->format->format(detail::toIcu(date).millis, text);
    return toUtf8(text);
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const {
    if (!impl_ || !impl_->format) {
        return std::nullopt;
    }
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::ParsePosition position(0);
    const UDate parsed = impl_->format->parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) {
        return std::nullopt;
    }
    return detail::fromIcu(parsed);
}

namespace {

std::vector<std::string> symbols(const icu::Locale& locale, const icu::Calendar* calendar,
                                 bool months) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols names(locale, calendar != nullptr ? calendar->getType() : nullptr,
                                       status);
    if (U_FAILURE(status)) {
        return {};
    }
    int32_t count = 0;
    const icu::UnicodeString* list =
        months
            ? names.getMonths(count, icu::DateFormatSymbols::FORMAT, icu::DateFormatSymbols::WIDE)
            : names.getWeekdays(count, icu::DateFormatSymbols::FORMAT,
                                icu::DateFormatSymbols::WIDE);
    std::vector<std::string> out;
    // ICU numbers weekdays from 1 (UCAL_SUNDAY) and leaves entry 0 empty.
    for (int32_t i = months ? 0 : 1; i < count; ++i) {
        out.push_back(toUtf8(list[i]));
    }
    return out;
}

} // namespace

std::vector<std::string> DateFormatter::monthSymbols() const {
    return impl_ ? symbols(impl_->locale, impl_->calendar.get(), true) : std::vector<std::string>{};
}

std::vector<std::string> DateFormatter::weekdaySymbols() const {
    return impl_ ? symbols(impl_->locale, impl_->calendar.get(), false)
                 : std::vector<std::string>{};
}

} // namespace zarn::dates
