#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "log/LogFormat.h"

namespace orvane {

// One 22-byte sample record: milliseconds since the recording start, and one raw byte
// per slot. Slot k (1-based) is SlotBytes[k - 1].
struct LogRecord {
    std::int32_t Millis = 0;
    std::array<std::uint8_t, SlotCount> SlotBytes{};

    static LogRecord Decode(std::span<const std::uint8_t, RecordSize> bytes) noexcept;
    std::array<std::uint8_t, RecordSize> Encode() const noexcept;
};

}  // namespace orvane
