#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"

namespace orvane {

// What the whole-log computations need to know about an open log, read with positional
// reads (the log's read position does not move): the item code of each slot, the
// recording start and the number of complete records (the sample numbers 1 to Records).
struct LogOutline {
    std::array<std::int16_t, SlotCount> Codes{};  // slot k (1-based) is Codes[k - 1]
    DateTime Start;
    std::int64_t Records = 0;

    // Reads the header of `log`; nullopt with the reason in `error` when the log is not
    // open, is shorter than its header or its start date is not a valid date.
    static std::optional<LogOutline> Of(const LogFile& log, std::string& error);

    // The first slot (1 to 18) that holds item `code`; 0 when none does.
    int SlotOf(std::int16_t code) const noexcept;

    // The item code of `slot` (1 to 18); -1 for any other slot number.
    std::int16_t CodeOf(int slot) const noexcept {
        return slot >= 1 && slot <= SlotCount ? Codes[static_cast<std::size_t>(slot - 1)] : -1;
    }
};

// The 256 converted values of an item code's raw bytes (all 0 for codes without a
// formula, switch bytes and codes outside 0 to 255).
std::array<double, 256> ValueTable(std::int16_t code) noexcept;

}  // namespace orvane
