#include "task/TaskLine.h"

#include <algorithm>
#include <ctime>
#include <set>
#include <vector>

namespace zarn::task {

namespace {

int twoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

struct Fields {
    int year, month, day, hour, minute;
    bool operator==(const Fields&) const = default;
};

std::optional<Fields> fieldsOf(std::string_view stamp) {
    if (stamp.size() != 10) {
        return std::nullopt;
    }
    for (const char c : stamp) {
        // Not isdigit: it would follow the locale.
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    return Fields{2000 + twoDigits(stamp, 0), twoDigits(stamp, 2), twoDigits(stamp, 4),
                  twoDigits(stamp, 6), twoDigits(stamp, 8)};
}

std::tm tmOf(const Fields& fields) {
    std::tm tm{};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    return tm;
}

std::optional<Fields> localFields(std::time_t seconds) {
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return Fields{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min};
}

// The C library's UTC offset at `seconds`, in seconds east of UTC.
std::optional<long> offsetAt(std::time_t seconds) {
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return local.tm_gmtoff;
}

// Every instant whose local time is `fields`, earliest first; nothing when the fields name no
// date and time of the calendar. An instant t has that local time exactly when t plus the offset
// at t is the fields read as UTC, so each offset the zone uses nearby gives one candidate, which
// holds when the zone has that very offset there: both instants of a repeated time hold, none of
// a skipped one. The offsets are read from the zone rather than assumed, since a POSIX TZ may give
// any offset below 25 h, to the second: every hour across 26 h either side of the fields read as
// UTC, so every offset in force for an hour or more around the candidates is found.
std::optional<std::vector<std::time_t>> localInstants(const Fields& fields) {
    std::tm asUtc = tmOf(fields);
    const std::time_t base = ::timegm(&asUtc);
    const std::tm check = tmOf(fields);
    if (asUtc.tm_year != check.tm_year || asUtc.tm_mon != check.tm_mon ||
        asUtc.tm_mday != check.tm_mday || asUtc.tm_hour != check.tm_hour ||
        asUtc.tm_min != check.tm_min) {
        return std::nullopt;
    }
    constexpr std::time_t hour = 60 * 60;
    constexpr std::time_t reach = 26 * hour;
    std::set<long> offsets;
    for (std::time_t probe = base - reach; probe <= base + reach; probe += hour) {
        if (const std::optional<long> offset = offsetAt(probe)) {
            offsets.insert(*offset);
        }
    }
    std::vector<std::time_t> found;
    for (const long offset : offsets) {
        const std::time_t candidate = base - offset;
        if (offsetAt(candidate) == offset) {
            found.push_back(candidate);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

std::optional<Request> parseArguments(std::span<const std::string_view> args) {
    if (args.size() != 2) {
        return std::nullopt;
    }
    for (const Action action : {Action::PowerOff, Action::Reboot, Action::Suspend}) {
        if (args[0] == actionOption(action)) {
            return Request{action, std::string(args[1])};
        }
    }
    return std::nullopt;
}

std::string_view actionOption(Action action) {
    switch (action) {
    case Action::PowerOff:
        return "-h";
    case Action::Reboot:
        return "-r";
    case Action::Suspend:
        return "-s";
    }
    return "-h";
}

std::optional<Instant> deadlineFromStamp(std::string_view stamp) {
    const std::optional<Fields> fields = fieldsOf(stamp);
    const auto instants = fields ? localInstants(*fields) : std::nullopt;
    if (!instants || instants->empty()) {
        return std::nullopt;
    }
    return std::chrono::system_clock::from_time_t(instants->front());
}

LocalTime classifyStamp(std::string_view stamp) {
    const std::optional<Fields> fields = fieldsOf(stamp);
    const auto instants = fields ? localInstants(*fields) : std::nullopt;
    if (!instants) {
        return LocalTime::Invalid;
    }
    switch (instants->size()) {
    case 0:
        return LocalTime::Skipped;
    case 1:
        return LocalTime::Unique;
    default:
        return LocalTime::Repeated;
    }
}

std::string stampFromInstant(Instant instant) {
    const std::optional<Fields> fields = localFields(
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(instant)));
    if (!fields || fields->year < 2000 || fields->year > 2099) {
        return {};
    }
    std::string text;
    for (const int field :
         {fields->year - 2000, fields->month, fields->day, fields->hour, fields->minute}) {
        text += static_cast<char>('0' + field / 10);
        text += static_cast<char>('0' + field % 10);
    }
    return text;
}

std::optional<ScheduledTask> taskFromCommandLine(std::span<const std::string_view> argv) {
    if (argv.empty()) {
        return std::nullopt;
    }
    const std::optional<Request> request = parseArguments(argv.subspan(1));
    if (!request) {
        return std::nullopt;
    }
    const std::optional<Instant> deadline = deadlineFromStamp(request->stamp);
    if (!deadline) {
        return std::nullopt;
    }
    return ScheduledTask{request->action, request->stamp, *deadline};
}

} // namespace zarn::task
