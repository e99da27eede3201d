#include "analysis/MapComparison.h"

#include <algorithm>
#include <cmath>

#include "analysis/ShownDifference.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

std::string ItemText(std::int16_t code) {
    const std::string name(SensorName(code));
    return "item " + std::to_string(code) + (name.empty() ? "" : " (" + name + ")");
}

// Why the reference has no slot paired with the log's `slot` for `axis`.
std::string UnpairedProblem(const char* axis, int slot, const LogOutline& log) {
    const std::int16_t code = log.CodeOf(slot);
    int occurrence = 0;
    for (int k = 1; k <= slot; ++k) occurrence += log.CodeOf(k) == code ? 1 : 0;
    if (occurrence <= 1) return "the reference has no " + ItemText(code) + " for " + axis;
    return "the reference records " + ItemText(code) + " fewer than " + std::to_string(occurrence) +
           " times, for " + axis;
}

}  // namespace

std::optional<MapRequest> MapComparison::ReferenceRequest(const MapRequest& request,
                                                          const LogOutline& log,
                                                          const LogOutline& reference,
                                                          SampleRange referenceRange,
                                                          std::string& error) {
    const SlotPairing pairing(log, reference);
    MapRequest mapped = request;
    mapped.Range = referenceRange;
    const struct {
        const char* Axis;
        int MapRequest::*Slot;
        const std::string& Computed;
    } items[] = {{"the horizontal axis", &MapRequest::XSlot, request.XComputed},
                 {"the vertical axis", &MapRequest::YSlot, request.YComputed},
                 {"the cell value", &MapRequest::ZSlot, request.ZComputed}};
    for (const auto& item : items) {
        // A computed item goes by its name; a slot without an item is the log map's
        // problem, told by LogMap::Compute.
        const int slot = request.*item.Slot;
        if (!item.Computed.empty() || log.CodeOf(slot) < 0) continue;
        mapped.*item.Slot = pairing.ReferenceSlotOf(slot);
        if (mapped.*item.Slot == 0) {
            error = UnpairedProblem(item.Axis, slot, log);
            return std::nullopt;
        }
    }
    return mapped;
}

std::optional<MapComparison> MapComparison::Compute(const LogFile& log, const LogFile& reference,
                                                    const MapRequest& request,
                                                    SampleRange referenceRange,
                                                    std::stop_token stop, std::string& error) {
    const auto logOutline = LogOutline::Of(log, error);
    if (!logOutline) return std::nullopt;
    const auto referenceOutline = LogOutline::Of(reference, error);
    if (!referenceOutline) {
        error = "the reference: " + error;
        return std::nullopt;
    }
    const auto referenceRequest =
        ReferenceRequest(request, *logOutline, *referenceOutline, referenceRange, error);
    if (!referenceRequest) return std::nullopt;
    auto logMap = LogMap::Compute(log, request, stop, error);
    if (!logMap) return std::nullopt;
    auto referenceMap = LogMap::Compute(reference, *referenceRequest, stop, error);
    if (!referenceMap) {
        error = "the reference: " + error;
        return std::nullopt;
    }
    return Of(std::move(*logMap), std::move(*referenceMap));
}

std::optional<MapComparison> MapComparison::Of(LogMap log, LogMap reference) {
    if (log.Request().X != reference.Request().X || log.Request().Y != reference.Request().Y ||
        log.Columns() != reference.Columns() || log.Rows() != reference.Rows()) {
        return std::nullopt;
    }
    return MapComparison(std::move(log), std::move(reference));
}

std::optional<double> MapComparison::Difference(int column, int row, MapStatistic statistic,
                                                std::int64_t greyBelow) const {
    const std::int64_t least = std::max<std::int64_t>(greyBelow, 1);
    const MapCell& mine = log_.Cell(column, row);
    const MapCell& theirs = reference_.Cell(column, row);
    if (mine.Count < least || theirs.Count < least) return std::nullopt;
    return mine.Value(statistic) - theirs.Value(statistic);
}

double MapComparison::LargestDifference(MapStatistic statistic, std::int64_t greyBelow) const {
    double largest = 0;
    for (int r = 0; r < Rows(); ++r) {
        for (int c = 0; c < Columns(); ++c) {
            if (const auto difference = Difference(c, r, statistic, greyBelow)) {
                largest = std::max(largest, std::fabs(*difference));
            }
        }
    }
    return largest;
}

std::string MapComparison::DifferenceText(MapStatistic statistic, std::int64_t greyBelow,
                                          char separator) const {
    const MapRequest& request = log_.Request();
    std::string text;
    for (int c = 0; c < Columns(); ++c) {
        text += separator;
        text += FormatValue(request.X.Edge(c));
    }
    text += '\n';
    for (int r = 0; r < Rows(); ++r) {
        text += FormatValue(request.Y.Edge(r));
        for (int c = 0; c < Columns(); ++c) {
            text += separator;
            if (!Difference(c, r, statistic, greyBelow)) continue;
            const MapCell& mine = log_.Cell(c, r);
            const MapCell& theirs = reference_.Cell(c, r);
            text += statistic == MapStatistic::Count
                        ? std::to_string(mine.Count - theirs.Count)
                        : ShownDifference(mine.Value(statistic), theirs.Value(statistic),
                                          !request.ZComputed.empty());
        }
        text += '\n';
    }
    return text;
}

std::string MapComparison::Text(MapStatistic statistic, std::int64_t greyBelow, char separator,
                                std::string_view logName, std::string_view referenceName) const {
    const std::int64_t least = std::max<std::int64_t>(greyBelow, 1);
    const std::string thin =
        least == 1 ? std::string("no sample") : "fewer than " + std::to_string(least) + " samples";
    std::string text(logName);
    text += '\n';
    text += log_.Text(statistic, separator);
    text += '\n';
    text += referenceName;
    text += " (reference)\n";
    text += reference_.Text(statistic, separator);
    text += "\ndifference: ";
    text += logName;
    text += " - ";
    text += referenceName;
    text += " (empty where a log has " + thin + ")\n";
    text += DifferenceText(statistic, greyBelow, separator);
    return text;
}

}  // namespace orvane
