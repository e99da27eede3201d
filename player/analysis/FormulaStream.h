#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/FormulaSet.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"
#include "log/RecordScan.h"
#include "log/SampleRange.h"

namespace orvane {

// Evaluates a FormulaSet over the records of a log from any sample on, chunk after
// chunk, as a scan reads them: what `_prev`, `t` and `dt` need from before the first
// chunk (the log's first sample and the one before the first chunk) is read with
// positional reads when the stream starts, so the log's read position does not move.
// Holds its own copy of the set: one stream per thread.
class FormulaStream {
public:
    // For the samples from `firstSample` on. nullopt with the reason in `error` when the
    // records it needs cannot be read.
    static std::optional<FormulaStream> Start(const LogFile& log, const FormulaSet& formulas,
                                              std::int64_t firstSample, std::string& error);

    // The values of the next whole records, the first of them sample `firstSample`: the
    // chunk that follows the one before (or that starts where the stream starts).
    const FormulaValues& Next(std::int64_t firstSample, std::span<const std::uint8_t> records);

    const FormulaSet& Formulas() const noexcept { return formulas_; }

private:
    explicit FormulaStream(const FormulaSet& formulas) : formulas_(formulas) {}

    FormulaSet formulas_;
    std::array<std::uint8_t, RecordSize> previous_{};
    bool hasPrevious_ = false;
    std::int32_t firstMillis_ = 0;
    FormulaValues values_;
};

// Visits the values of the samples of `range` chunk by chunk (reading the log with
// positional reads); `visit` returns false to stop early. A pass over a whole log holds
// one chunk at a time.
ScanResult ScanFormulas(const LogFile& log, const FormulaSet& formulas, SampleRange range,
                        std::stop_token stop,
                        const std::function<bool(const FormulaValues&)>& visit);

// The values of all samples of `range` at once: for a view that draws the computed
// items of its samples and shades those the filter rejects. nullopt with the reason in
// `error` for a range that is empty or not inside the log, a log that cannot be read,
// or a triggered `stop` ("cancelled").
std::optional<FormulaValues> ReadFormulaValues(const LogFile& log, const FormulaSet& formulas,
                                               SampleRange range, std::stop_token stop,
                                               std::string& error);

// The lowest and highest value of a computed item.
struct ValueRange {
    double Min = 0;
    double Max = 0;
};

// The range of each computed item's values over the samples of `range` (the filter is
// not applied): the default scale of an item whose definition gives no Min and Max.
// nullopt for an item without any value there. nullopt as a whole, with the reason in
// `error`, for a range that is empty or not inside the log, or a log that cannot be read.
std::optional<std::vector<std::optional<ValueRange>>> ComputedValueRanges(
    const LogFile& log, const FormulaSet& formulas, SampleRange range, std::stop_token stop,
    std::string& error);

}  // namespace orvane
