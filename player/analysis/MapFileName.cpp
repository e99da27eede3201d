#include "analysis/MapFileName.h"

#include <cstdio>

#include "log/CsvExport.h"
#include "log/ItemShortNames.h"

namespace orvane {
namespace {

// The short name of a slot's item, with the slot when the log records the item twice.
std::string SlotName(const LogOutline& outline, int slot) {
    const std::int16_t code = outline.CodeOf(slot);
    std::string name = ShortItemName(code);
    int slots = 0;
    for (const std::int16_t other : outline.Codes) slots += other == code ? 1 : 0;
    if (slots > 1) name += "_slot" + std::to_string(slot);
    return name;
}

// A computed item's name as a word of a file name: letters, digits, "_" and "-" kept,
// anything else "_" ("Inj duty" gives "Inj_duty").
std::string ComputedName(const std::string& name) {
    std::string word = name;
    for (char& c : word) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!kept) c = '_';
    }
    return word;
}

// The name of one of the map's items: a computed item's, else its slot's.
std::string ItemName(const LogOutline& outline, int slot, const std::string& computed) {
    return computed.empty() ? SlotName(outline, slot) : ComputedName(computed);
}

}  // namespace

std::string MapFilePathFor(const std::string& logFileName, const LogOutline& outline,
                           const MapRequest& request, MapStatistic statistic,
                           std::string_view suffix) {
    std::string path = CsvExport::StemFor(logFileName) + "_map_" +
                       ItemName(outline, request.XSlot, request.XComputed) + "-" +
                       ItemName(outline, request.YSlot, request.YComputed);
    if (statistic != MapStatistic::Count) {
        path += "-" + ItemName(outline, request.ZSlot, request.ZComputed);
    }
    path += "-";
    path += MapStatisticName(statistic);
    if (request.Range != SampleRange::Whole(outline.Records)) {
        char numbers[48];
        std::snprintf(numbers, sizeof numbers, "_%06lld-%06lld",
                      static_cast<long long>(request.Range.First),
                      static_cast<long long>(request.Range.Last));
        path += numbers;
    }
    path += suffix;
    return path;
}

}  // namespace orvane
