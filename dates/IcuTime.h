#pragma once

#include "dates/DateFormatter.h"

#include <optional>
#include <unicode/utypes.h>

namespace zarn::dates::detail {

/// A Date split for ICU: whole milliseconds (rounded down, also before 1970), and the part below
/// them (0 up to one millisecond), so that the precision ICU cannot hold comes back unchanged.
struct IcuTime {
    UDate millis;
    Date::duration below;
};

IcuTime toIcu(Date date);
/// `millis` plus `below` as a Date; nothing when that lies outside the range of Date.
std::optional<Date> fromIcu(UDate millis, Date::duration below = {});

} // namespace zarn::dates::detail
