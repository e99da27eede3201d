#include "analysis/LogOutline.h"

#include <cerrno>
#include <cstring>
#include <span>

#include "log/LogHeader.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {

std::optional<LogOutline> LogOutline::Of(const LogFile& log, std::string& error) {
    std::uint8_t bytes[HeaderSize];
    const std::int64_t got = log.ReadAt(0, bytes, HeaderSize);
    if (got < 0) {
        error = log.IsOpen() ? std::string("cannot read the log: ") + std::strerror(errno)
                             : "the log is not open";
        return std::nullopt;
    }
    if (got < HeaderSize) {
        error = "not a log file: shorter than its 44-byte header";
        return std::nullopt;
    }
    const LogHeader header =
        LogHeader::Decode(std::span<const std::uint8_t, HeaderSize>(bytes, HeaderSize));
    const auto start = DateTime::FromOleDate(header.StartDate);
    if (!start) {
        error = "the log's start date is not a valid date";
        return std::nullopt;
    }
    LogOutline outline;
    outline.Codes = header.SlotItemCodes;
    outline.Start = *start;
    outline.Records = CompleteRecords(log.Length());
    return outline;
}

int LogOutline::SlotOf(std::int16_t code) const noexcept {
    for (int k = 0; k < SlotCount; ++k) {
        if (Codes[static_cast<std::size_t>(k)] == code) return k + 1;
    }
    return 0;
}

std::array<double, 256> ValueTable(std::int16_t code) noexcept {
    std::array<double, 256> values{};
    if (!IsByteCode(code)) return values;
    for (int raw = 0; raw < 256; ++raw) {
        values[static_cast<std::size_t>(raw)] =
            ConvertValue(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(raw));
    }
    return values;
}

}  // namespace orvane
