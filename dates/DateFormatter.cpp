#include "dates/DateFormatter.h"

#include "dates/IcuTime.h"

#include <cmath>
#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace zarn::dates {

namespace detail {

IcuTime toIcu(Date date) {
    const auto nanos =
        std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch());
    const auto millis = std::chrono::floor<std::chrono::milliseconds>(nanos);
    return {static_cast<UDate>(millis.count()), nanos - millis};
}

Date fromIcu(UDate millis, std::chrono::nanoseconds below) {
    const auto whole = std::chrono::milliseconds(static_cast<std::int64_t>(std::floor(millis)));
    return Date(std::chrono::duration_cast<Date::duration>(whole + below));
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

DateFormatter::DateFormatter() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::getDefault();
    // The locale may name its calendar (th_TH@calendar=buddhist).
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::createDefault(), locale, status));
    if (U_FAILURE(status)) {
        calendar.reset();
    }
    impl_ = std::make_unique<Impl>(locale, std::move(calendar));
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
    : impl_(std::make_unique<Impl>(*other.impl_)) {}

DateFormatter& DateFormatter::operator=(const DateFormatter& other) {
    if (this != &other) {
        impl_ = std::make_unique<Impl>(*other.impl_);
    }
    return *this;
}

DateFormatter::DateFormatter(DateFormatter&&) noexcept = default;
DateFormatter& DateFormatter::operator=(DateFormatter&&) noexcept = default;
DateFormatter::~DateFormatter() = default;

void DateFormatter::setDateFormat(std::string_view pattern) {
    UErrorCode status = U_ZERO_ERROR;
    auto* made =
        new icu::SimpleDateFormat(icu::UnicodeString::fromUTF8(icu::StringPiece(
                                      pattern.data(), static_cast<int32_t>(pattern.size()))),
                                  impl_->locale, status);
    impl_->adoptFormat(made, status);
    impl_->dateStyle = impl_->timeStyle = Style::None;
}

void DateFormatter::setDateStyle(Style style) {
    impl_->dateStyle = style;
    impl_->applyStyles();
}

void DateFormatter::setTimeStyle(Style style) {
    impl_->timeStyle = style;
    impl_->applyStyles();
}

std::string DateFormatter::stringFromDate(Date date) const {
    if (!impl_->format) {
        return {};
    }
    icu::UnicodeString text;
    impl_->format->format(detail::toIcu(date).millis, text);
    return toUtf8(text);
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const {
    if (!impl_->format) {
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
    return symbols(impl_->locale, impl_->calendar.get(), true);
}

std::vector<std::string> DateFormatter::weekdaySymbols() const {
    return symbols(impl_->locale, impl_->calendar.get(), false);
}

} // namespace zarn::dates
