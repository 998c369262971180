#include "helper/Request.h"

#include <array>
#include <ctime>

namespace zarn::helper {

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
