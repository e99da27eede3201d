#include "analysis/ComputedSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/TwoHalves.h"

namespace orvane {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// The smaller and larger of two extremes where either may be none (NaN).
double Lower(double a, double b) noexcept {
    return std::isnan(a) ? b : (std::isnan(b) ? a : std::min(a, b));
}
double Higher(double a, double b) noexcept {
    return std::isnan(a) ? b : (std::isnan(b) ? a : std::max(a, b));
}

}  // namespace

std::optional<ComputedSummary> ComputedSummary::Build(const LogFile& log,
                                                      const MinMaxSummary& blocks,
                                                      FormulaSet formulas, std::stop_token stop,
                                                      std::string& error) {
    ComputedSummary summary;
    summary.records_ = blocks.Records();
    summary.perBlock_ = blocks.BlockSamples();
    summary.blocks_ = blocks.Blocks();
    const auto count = static_cast<std::size_t>(summary.blocks_);
    const std::size_t items = formulas.ItemCount();
    formulas.Expect(summary.records_);
    summary.formulas_ = std::move(formulas);
    summary.items_.assign(items, std::vector<Level>(1));
    for (auto& levels : summary.items_) {
        levels[0].Low.assign(count, kNone);
        levels[0].High.assign(count, kNone);
    }
    std::vector<std::int64_t> passedIn(count, 0);
    if (summary.records_ > 0) {
        ScanResult results[2];
        const std::int64_t perBlock = summary.perBlock_;
        const auto scanPart = [&](const LogFile& file, SampleRange part, int index) {
            results[index] =
                ScanFormulas(file, summary.formulas_, part, stop, [&](const FormulaValues& chunk) {
                    // Block by block: the samples of the chunk that fall into each.
                    std::int64_t sample = chunk.FirstSample;
                    for (std::size_t n = 0; n < chunk.Count;) {
                        const auto b = static_cast<std::size_t>((sample - 1) / perBlock);
                        const auto inBlock =
                            static_cast<std::size_t>(perBlock - (sample - 1) % perBlock);
                        const std::size_t end = std::min(chunk.Count, n + inBlock);
                        std::int64_t passed = 0;
                        for (std::size_t k = n; k < end; ++k) passed += chunk.Pass[k];
                        passedIn[b] += passed;
                        for (std::size_t item = 0; item < items; ++item) {
                            const double* values = chunk.Items[item].data();
                            double low = kNone, high = kNone;
                            for (std::size_t k = n; k < end; ++k) {
                                const double v = values[k];
                                if (std::isnan(v)) continue;
                                if (!(v >= low)) low = v;  // also while low is none (NaN)
                                if (!(v <= high)) high = v;
                            }
                            Level& level = summary.items_[item][0];
                            level.Low[b] = Lower(level.Low[b], low);
                            level.High[b] = Higher(level.High[b], high);
                        }
                        sample += static_cast<std::int64_t>(end - n);
                        n = end;
                    }
                    return true;
                });
        };
        // Parts start on a block's first sample, so each fills blocks of its own.
        const int parts = InTwoHalves(log, SampleRange::Whole(summary.records_), TwoHalvesMinimum(),
                                      perBlock, scanPart);
        for (int index = 0; index < parts; ++index) {
            error = ScanProblem(results[index]);
            if (!error.empty()) return std::nullopt;
        }
    }
    summary.passedBefore_.assign(count + 1, 0);
    for (std::size_t b = 0; b < count; ++b) {
        summary.passedBefore_[b + 1] = summary.passedBefore_[b] + passedIn[b];
    }
    // The levels above the blocks.
    for (auto& levels : summary.items_) {
        while (levels.back().Low.size() > 1) {
            const Level& below = levels.back();
            Level above;
            const std::size_t size =
                (below.Low.size() + MinMaxSummary::LevelFactor - 1) / MinMaxSummary::LevelFactor;
            above.Low.assign(size, kNone);
            above.High.assign(size, kNone);
            for (std::size_t j = 0; j < below.Low.size(); ++j) {
                const std::size_t i = j / MinMaxSummary::LevelFactor;
                above.Low[i] = Lower(above.Low[i], below.Low[j]);
                above.High[i] = Higher(above.High[i], below.High[j]);
            }
            levels.push_back(std::move(above));
        }
    }
    return summary;
}

std::optional<ValueRange> ComputedSummary::Extremes(std::size_t item, std::int64_t first,
                                                    std::int64_t end) const noexcept {
    if (item >= items_.size()) return std::nullopt;
    const std::vector<Level>& levels = items_[item];
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, blocks_);
    double low = kNone, high = kNone;
    const auto take = [&](const Level& level, std::int64_t i) {
        const auto at = static_cast<std::size_t>(i);
        low = Lower(low, level.Low[at]);
        high = Higher(high, level.High[at]);
    };
    // Both ends at the level below until they line up with the level above, then up.
    constexpr std::int64_t factor = MinMaxSummary::LevelFactor;
    std::size_t l = 0;
    while (first < end) {
        const Level& level = levels[l];
        if (l + 1 == levels.size()) {
            for (; first < end; ++first) take(level, first);
            break;
        }
        for (; first < end && first % factor != 0; ++first) take(level, first);
        for (; first < end && end % factor != 0;) take(level, --end);
        first /= factor;
        end /= factor;
        ++l;
    }
    if (std::isnan(low)) return std::nullopt;
    return ValueRange{low, high};
}

std::int64_t ComputedSummary::Passed(std::int64_t first, std::int64_t end) const noexcept {
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, blocks_);
    if (first >= end) return 0;
    return passedBefore_[static_cast<std::size_t>(end)] -
           passedBefore_[static_cast<std::size_t>(first)];
}

std::size_t ComputedSummary::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + passedBefore_.capacity() * sizeof(std::int64_t);
    for (const auto& levels : items_) {
        for (const Level& level : levels) {
            bytes += (level.Low.capacity() + level.High.capacity()) * sizeof(double);
        }
    }
    return bytes;
}

}  // namespace orvane
