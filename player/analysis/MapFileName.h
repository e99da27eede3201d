#pragma once

#include <string>
#include <string_view>

#include "analysis/LogMap.h"
#include "analysis/LogOutline.h"

namespace orvane {

// The name proposed for saving a map, beside the log, so that maps of other items or
// another statistic do not overwrite each other: the log's CSV path without ".csv",
// "_map_", the short names of the X, Y and cell items joined by "-", "-" and the
// statistic, then `suffix` (".csv", ".png"). orvn0001.bin, engine speed by air volume,
// the maximum of knock: orvn0001_map_rpm-air_volume-knock-max.csv.
//
// A count needs no cell item and names none (orvn0001_map_rpm-tps-count.csv). An item
// the log records in two slots is told apart by its slot ("knock_slot14"); a computed
// item goes by its name, with "_" for anything but letters, digits, "_" and "-"
// ("Inj_duty"). A map of part
// of the log ends in its range, as a range export does ("..._max_000120-000480.csv").
std::string MapFilePathFor(const std::string& logFileName, const LogOutline& outline,
                           const MapRequest& request, MapStatistic statistic,
                           std::string_view suffix);

}  // namespace orvane
