#include "helper/Request.h"

#include <array>
#include <charconv>
#include <ctime>

namespace zarn::helper {

std::optional<pid_t> parseCancelArguments(std::span<const std::string_view> args) {
    if (args.size() != 2 || args[0] != "-c" || args[1].empty() ||
        args[1].find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(args[1].data(), args[1].data() + args[1].size(), pid);
    if (error != std::errc() || end != args[1].data() + args[1].size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

std::string shownStamp(std::string_view stamp) {
    constexpr std::size_t shownBytes = 32;
    constexpr char hex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : stamp.substr(0, shownBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            shown += c;
        } else {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0xf];
        }
    }
    if (stamp.size() > shownBytes) {
        shown += "...";
    }
    return shown;
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
