#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/LogMap.h"
#include "analysis/MapComparison.h"
#include "log/ComputedItemDefinition.h"

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

// An item of --map: an item code, or the name of a --computed item.
struct ToolMapItem {
    std::int16_t Code = -1;
    std::string Computed;  // when not empty: this computed item
};

struct CsvToolOptions {
    enum class Mode { Export, Info, Stats, Map, Help, Version };

    Mode Action = Mode::Export;
    bool ToStdout = false;
    std::optional<RangeEnd> From;
    std::optional<RangeEnd> To;
    std::vector<ToolThreshold> Thresholds;
    // --map X,Y,Z[,statistic]: items, and the statistic (default max).
    ToolMapItem MapX, MapY, MapZ;
    MapStatistic Statistic = MapStatistic::Max;
    std::optional<MapAxis> XRange, YRange;
    // --computed NAME=FORMULA (checked: the formulas compile) and --where CONDITION.
    std::vector<ComputedItemDefinition> Computed;
    std::string Where;
    // --compare REF: a reference log for --stats or --map, its range (--ref-from,
    // --ref-to), and the fewest samples a cell needs in both maps for a difference
    // (--grey-below).
    std::string Compare;
    std::optional<RangeEnd> RefFrom;
    std::optional<RangeEnd> RefTo;
    std::int64_t GreyBelow = MapComparison::DefaultGreyBelow;
    std::vector<std::string> Logs;
};

// The usage text of --help.
extern const char* const CsvToolUsage;

// Parses the arguments (without the program name). nullopt with the reason in `error`
// for a usage error.
std::optional<CsvToolOptions> ParseCsvToolOptions(const std::vector<std::string>& args,
                                                  std::string& error);

}  // namespace orvane
