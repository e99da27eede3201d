#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/FormulaSet.h"
#include "analysis/FormulaStream.h"
#include "analysis/MinMaxSummary.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// The computed items and the filter of a log summarised over the blocks of its
// MinMaxSummary, for the views that draw the whole log or a long part of it.
//
// A computed item's formula is not monotone (a difference, a quotient), so its extremes
// over a run of samples cannot be read off the raw extremes of its inputs: each block
// keeps the smallest and largest value of every computed item over its samples (values
// that are not numbers skipped; a block without any value has none), with levels of 8,
// 64, 512... blocks above, as MinMaxSummary does, so the extremes of any run of blocks
// take a few dozen reads. Each block also keeps how many of its samples pass the filter,
// as a running count, so that the passing samples of any run of blocks take two reads.
//
// Memory: 16 bytes per block and computed item (and a seventh more for the levels), 8
// per block for the filter's count.
class ComputedSummary {
public:
    // Evaluates `formulas` over the samples 1 to blocks.Records() of `log`, in the blocks
    // of `blocks`, in two halves at once for a long log. nullopt with the reason in
    // `error` when the log cannot be read or `stop` was triggered ("cancelled").
    static std::optional<ComputedSummary> Build(const LogFile& log, const MinMaxSummary& blocks,
                                                FormulaSet formulas, std::stop_token stop,
                                                std::string& error);

    // The set the summary was made with (its tables made, so copies evaluate quickly).
    const FormulaSet& Formulas() const noexcept { return formulas_; }
    std::int64_t Records() const noexcept { return records_; }
    std::int64_t BlockSamples() const noexcept { return perBlock_; }
    std::int64_t Blocks() const noexcept { return blocks_; }
    // True when this summary has the blocks of `blocks` (made from the same summary).
    bool Matches(const MinMaxSummary& blocks) const noexcept {
        return blocks.Records() == records_ && blocks.BlockSamples() == perBlock_ &&
               blocks.Blocks() == blocks_;
    }

    // Smallest and largest value of computed item `item` over the blocks `first` up to
    // (not including) `end`; nullopt when none of their samples has a value.
    std::optional<ValueRange> Extremes(std::size_t item, std::int64_t first,
                                       std::int64_t end) const noexcept;
    // The same over the whole log: the item's default scale.
    std::optional<ValueRange> Range(std::size_t item) const noexcept {
        return Extremes(item, 0, blocks_);
    }

    // The samples of the blocks `first` up to `end` that pass the filter (all of them
    // without a filter), and of the whole log.
    std::int64_t Passed(std::int64_t first, std::int64_t end) const noexcept;
    std::int64_t Passed() const noexcept { return Passed(0, blocks_); }

    // Memory the summary holds.
    std::size_t MemoryBytes() const noexcept;

private:
    ComputedSummary() = default;

    struct Level {
        std::vector<double> Low;  // NaN where the blocks have no value
        std::vector<double> High;
    };

    FormulaSet formulas_;
    std::int64_t records_ = 0;
    std::int64_t perBlock_ = 1;
    std::int64_t blocks_ = 0;
    // Per item, its levels from the blocks up.
    std::vector<std::vector<Level>> items_;
    // passedBefore_[b]: the passing samples of the blocks before block b (Blocks() + 1).
    std::vector<std::int64_t> passedBefore_;
};

}  // namespace orvane
