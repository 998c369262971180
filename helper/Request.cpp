#include "helper/Request.h"

#include <array>
#include <ctime>

namespace zarn::helper {

std::string shownText(std::string_view text, std::size_t limit) {
    constexpr char hex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : text.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            shown += c;
        } else {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0xf];
        }
    }
    if (text.size() > limit) {
        shown += "...";
    }
    return shown;
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
