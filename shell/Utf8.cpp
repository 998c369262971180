#include "shell/Utf8.h"

#include <limits>
#include <unicode/ustring.h>

namespace zarn {

bool isValidUtf8(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        return false;
    }
    // Preflighting converts nothing but still checks every sequence.
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING ||
           U_SUCCESS(status);
}

} // namespace zarn
