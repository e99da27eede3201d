#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "log/LogFile.h"

namespace orvane {

enum class TimeMatch {
    FirstAtOrAfter,  // the first sample whose time is at or after the time
    LastAtOrBefore,  // the last sample whose time is at or before the time
};

// Finds a sample by a time of day (`secondOfDay`, 0 to 86399), comparing whole seconds
// as the sample texts show them. The time of day is taken at its first occurrence at or
// after the log's start: in a log that runs past midnight, 00:10:00 is the 00:10 after
// midnight (in a log longer than a day, the first one). "First" and "last" go by sample
// number, so a counter that jumps back is handled too. nullopt, with a sentence for the
// user in `error`, when the time lies after the log's last sample or no sample matches.
std::optional<std::int64_t> FindSampleAtTime(const LogFile& log, int secondOfDay, TimeMatch match,
                                             std::string& error);

}  // namespace orvane
