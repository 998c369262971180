#include "helper/Request.h"

#include <array>
#include <ctime>

namespace zarn::helper {

namespace {

int twoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

} // namespace

std::optional<Request> parseArguments(std::span<const std::string_view> args) {
    if (args.size() != 2) {
        return std::nullopt;
    }
    const std::string_view flag = args[0];
    Request request{Action::PowerOff, std::string(args[1])};
    if (flag == "-h") {
        request.action = Action::PowerOff;
    } else if (flag == "-r") {
        request.action = Action::Reboot;
    } else if (flag == "-s") {
        request.action = Action::Suspend;
    } else {
        return std::nullopt;
    }
    return request;
}

std::string_view actionVerb(Action action) {
    switch (action) {
    case Action::PowerOff:
        return "poweroff";
    case Action::Reboot:
        return "reboot";
    case Action::Suspend:
        return "suspend";
    }
    return "poweroff";
}

std::optional<Instant> deadlineFromStamp(std::string_view stamp) {
    if (stamp.size() != 10) {
        return std::nullopt;
    }
    for (const char c : stamp) {
        // Not isdigit: it would follow the locale.
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    std::tm fields{};
    fields.tm_year = 100 + twoDigits(stamp, 0);
    fields.tm_mon = twoDigits(stamp, 2) - 1;
    fields.tm_mday = twoDigits(stamp, 4);
    fields.tm_hour = twoDigits(stamp, 6);
    fields.tm_min = twoDigits(stamp, 8);
    fields.tm_sec = 0;
    fields.tm_isdst = -1;
    std::tm normalized = fields;
    const std::time_t seconds = std::mktime(&normalized);
    if (seconds == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    // mktime carries an out-of-range field into the next one (month 13 becomes January, a time in
    // a daylight-saving gap moves by an hour), so a date that does not exist comes back changed.
    if (normalized.tm_year != fields.tm_year || normalized.tm_mon != fields.tm_mon ||
        normalized.tm_mday != fields.tm_mday || normalized.tm_hour != fields.tm_hour ||
        normalized.tm_min != fields.tm_min) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(seconds);
}

std::string formatLocal(Instant instant, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(instant);
    std::tm local{};
    std::array<char, 64> text{};
    if (::localtime_r(&seconds, &local) == nullptr ||
        std::strftime(text.data(), text.size(), format, &local) == 0) {
        return std::to_string(seconds) + " s since 1970";
    }
    return text.data();
}

std::string describeInstant(Instant instant) {
    return formatLocal(instant, "%Y-%m-%d %H:%M:%S %Z");
}

} // namespace zarn::helper
