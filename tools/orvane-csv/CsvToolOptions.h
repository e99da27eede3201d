#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/LogMap.h"

namespace orvane {

// One end of a range on the command line: a sample number or a time of day.
struct RangeEnd {
    bool IsTime = false;
    std::int64_t Sample = 0;  // when !IsTime
    int SecondOfDay = 0;      // when IsTime
};

// A --threshold: the thresholds of the value box that would show item `Code`.
struct ToolThreshold {
    std::int16_t Code = 0;
    double Threshold1 = 0;
    double Threshold2 = 0;
};

struct CsvToolOptions {
    enum class Mode { Export, Info, Stats, Map, Help, Version };

    Mode Action = Mode::Export;
    bool ToStdout = false;
    std::optional<RangeEnd> From;
    std::optional<RangeEnd> To;
    std::vector<ToolThreshold> Thresholds;
    // --map X,Y,Z[,statistic]: item codes, and the statistic (default max).
    std::int16_t MapX = 0, MapY = 0, MapZ = 0;
    MapStatistic Statistic = MapStatistic::Max;
    std::optional<MapAxis> XRange, YRange;
    std::vector<std::string> Logs;
};

// The usage text of --help.
extern const char* const CsvToolUsage;

// Parses the arguments (without the program name). nullopt with the reason in `error`
// for a usage error.
std::optional<CsvToolOptions> ParseCsvToolOptions(const std::vector<std::string>& args,
                                                  std::string& error);

}  // namespace orvane
