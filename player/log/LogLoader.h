#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/LogHeader.h"

namespace orvane {

// The two messages a user sees when a log cannot be loaded.
inline constexpr std::string_view CannotOpenLogMessage = "ログファイルがオープンできません。";
inline constexpr std::string_view InvalidLogMessage = "ログファイルが不正です。";

enum class LogLoadStatus {
    Ok,
    CannotOpen,        // the file cannot be opened (missing, locked, no permission...)
    NoHeader,          // fewer than 44 bytes could be read
    InvalidStartDate,  // the header's start date is not a valid date
};

struct LogLoadResult {
    LogLoadStatus Status = LogLoadStatus::CannotOpen;
    std::string Reason;            // the system's reason when the open failed
    std::int64_t Length = 0;       // file length measured before opening
    std::int32_t RecordCount = 0;  // by the rounding rule of the file length
    LogHeader Header;
    DateTime Start;
};

// Loads a log for reading in the order the player uses: measure the file by name, open
// it, read the header and check its start date. On success the file's read position
// stands at record 1. On any failure the file is left closed.
LogLoadResult LoadLogFile(const std::string& path, LogFile& file);

}  // namespace orvane
