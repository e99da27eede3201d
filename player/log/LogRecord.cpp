#include "log/LogRecord.h"

#include <cstring>

#include "log/ByteOrder.h"

namespace orvane {

using namespace byteorder;

LogRecord LogRecord::Decode(std::span<const std::uint8_t, RecordSize> bytes) noexcept {
    LogRecord record;
    record.Millis = static_cast<std::int32_t>(LoadU32(bytes.data()));
    std::memcpy(record.SlotBytes.data(), bytes.data() + 4, SlotCount);
    return record;
}

std::array<std::uint8_t, RecordSize> LogRecord::Encode() const noexcept {
    std::array<std::uint8_t, RecordSize> bytes{};
    StoreU32(bytes.data(), static_cast<std::uint32_t>(Millis));
    std::memcpy(bytes.data() + 4, SlotBytes.data(), SlotCount);
    return bytes;
}

}  // namespace orvane
