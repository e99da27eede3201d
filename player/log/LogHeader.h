#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "log/LogFormat.h"

namespace orvane {

// The 44-byte header of a log: the item code (RequestId) of each of the 18 slots, and
// the recording start as an OLE Automation date. Slot k (1-based) is SlotItemCodes[k - 1].
struct LogHeader {
    std::array<std::int16_t, SlotCount> SlotItemCodes{};
    double StartDate = 0;

    static LogHeader Decode(std::span<const std::uint8_t, HeaderSize> bytes) noexcept;
    std::array<std::uint8_t, HeaderSize> Encode() const noexcept;
};

}  // namespace orvane
