#include "log/LogFormat.h"

#include <limits>

namespace orvane {

std::int32_t RecordCountForLength(std::int64_t length) noexcept {
    // Exact integer form of rounding (length - 44) / 22 half to even.
    const std::int64_t m = length - HeaderSize;
    std::int64_t q = m / RecordSize;
    std::int64_t r = m % RecordSize;
    if (r < 0) {
        r += RecordSize;
        --q;
    }
    if (r * 2 > RecordSize || (r * 2 == RecordSize && (q & 1) != 0)) ++q;
    if (q > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(q);
}

}  // namespace orvane
