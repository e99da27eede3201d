#include "log/LogHeader.h"

#include <bit>

#include "log/ByteOrder.h"

namespace orvane {

using namespace byteorder;

LogHeader LogHeader::Decode(std::span<const std::uint8_t, HeaderSize> bytes) noexcept {
    LogHeader header;
    for (int k = 0; k < SlotCount; ++k) {
        header.SlotItemCodes[k] = static_cast<std::int16_t>(LoadU16(bytes.data() + 2 * k));
    }
    header.StartDate = std::bit_cast<double>(LoadU64(bytes.data() + 36));
    return header;
}

std::array<std::uint8_t, HeaderSize> LogHeader::Encode() const noexcept {
    std::array<std::uint8_t, HeaderSize> bytes{};
    for (int k = 0; k < SlotCount; ++k) {
        StoreU16(bytes.data() + 2 * k, static_cast<std::uint16_t>(SlotItemCodes[k]));
    }
    StoreU64(bytes.data() + 36, std::bit_cast<std::uint64_t>(StartDate));
    return bytes;
}

}  // namespace orvane
