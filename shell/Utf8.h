#pragma once

#include <string_view>

namespace zarn {

/// True when `bytes` is well-formed UTF-8 (no surrogates, no overlong forms); "" is.
bool isValidUtf8(std::string_view bytes);

} // namespace zarn
