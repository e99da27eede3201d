#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ChartSpan.h"

namespace orvane {

// A measured span of the chart beside the same stretch of a reference log: the figures
// of the log's span (ChartSpan), those of the reference samples placed under it, and
// their differences (log minus reference, as ShownDifference writes them), one line per
// series of the chart. A series the reference does not record has its reference cells
// empty; with no reference sample under the span, all of them are.
class ChartSpanComparison {
public:
    // `partner[i]`: the row of `reference` for row i of `log`, or -1 for none.
    ChartSpanComparison(ChartSpan log, std::optional<ChartSpan> reference, std::vector<int> partner,
                        std::int64_t offsetMillis);

    const ChartSpan& Log() const noexcept { return log_; }
    const std::optional<ChartSpan>& Reference() const noexcept { return reference_; }

    // The table as shown and copied: per figure the log's, the reference's and the
    // difference side by side.
    static std::vector<std::string> HeaderCells();
    std::vector<std::string> Cells(std::size_t row) const;
    std::size_t RowCount() const noexcept { return log_.Rows().size(); }
    // The span's lines (A, B, the time between them) for each log, the offset, then the
    // table; tab-separated.
    std::string TabSeparatedText() const;

private:
    const ChartSpan::Row* ReferenceRow(std::size_t row) const noexcept;

    ChartSpan log_;
    std::optional<ChartSpan> reference_;
    std::vector<int> partner_;
    std::int64_t offsetMillis_ = 0;
};

}  // namespace orvane
