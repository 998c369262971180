#include "task/TaskLine.h"

#include <ctime>

namespace zarn::task {

namespace {

int twoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
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
