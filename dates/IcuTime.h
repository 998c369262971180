#pragma once

#include "dates/DateFormatter.h"

#include <unicode/utypes.h>

namespace zarn::dates::detail {

/// A Date split for ICU: whole milliseconds, and the nanoseconds below them (0 to 999999), so
/// that the precision ICU cannot hold comes back unchanged.
struct IcuTime {
    UDate millis;
    std::chrono::nanoseconds below;
};

IcuTime toIcu(Date date);
Date fromIcu(UDate millis, std::chrono::nanoseconds below = {});

} // namespace zarn::dates::detail
