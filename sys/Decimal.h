#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace zarn::sys {

/// `text` as a number of type Number when it is nothing but decimal digits (no sign, no blank,
/// no leading zero unless it is "0", so each number has one spelling) and fits the type.
template <typename Number> std::optional<Number> parseDecimal(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos ||
        (text.size() > 1 && text[0] == '0')) {
        return std::nullopt;
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace zarn::sys
