#include "analysis/ChartSpanComparison.h"

#include <cstdlib>

#include "analysis/ReferenceAlignment.h"
#include "analysis/ShownDifference.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

// The lines before the table of a span's copy: A, B and the time between them.
std::string SpanLines(const ChartSpan& span) {
    const std::string text = span.TabSeparatedText();
    const std::size_t end = text.find("\n\n");
    return end == std::string::npos ? text : text.substr(0, end + 1);
}

}  // namespace

ChartSpanComparison::ChartSpanComparison(ChartSpan log, std::optional<ChartSpan> reference,
                                         std::vector<int> partner, std::int64_t offsetMillis)
    : log_(std::move(log)),
      reference_(std::move(reference)),
      partner_(std::move(partner)),
      offsetMillis_(offsetMillis) {
    partner_.resize(log_.Rows().size(), -1);
}

std::vector<std::string> ChartSpanComparison::HeaderCells() {
    return {"Item",        "Unit",     "At A",      "Ref at A", "At A diff",
            "At B",        "Ref at B", "At B diff", "Change",   "Ref change",
            "Change diff", "Min",      "Ref min",   "Min diff", "Max",
            "Ref max",     "Max diff", "Mean",      "Ref mean", "Mean diff"};
}

const ChartSpan::Row* ChartSpanComparison::ReferenceRow(std::size_t row) const noexcept {
    if (!reference_ || row >= partner_.size()) return nullptr;
    const int r = partner_[row];
    if (r < 0 || static_cast<std::size_t>(r) >= reference_->Rows().size()) return nullptr;
    return &reference_->Rows()[static_cast<std::size_t>(r)];
}

std::vector<std::string> ChartSpanComparison::Cells(std::size_t row) const {
    const ChartSpan::Row& mine = log_.Rows()[row];
    const ChartSpan::Row* theirs = ReferenceRow(row);
    std::vector<std::string> cells = {mine.Series.Name(), mine.Series.Unit()};
    const auto figure = [&](double own, double other) {
        cells.push_back(FormatValue(own));
        cells.push_back(theirs ? FormatValue(other) : std::string());
        cells.push_back(theirs ? ShownDifference(own, other) : std::string());
    };
    const ChartSpan::Row none{mine.Series};
    const ChartSpan::Row& other = theirs ? *theirs : none;
    figure(mine.AtA, other.AtA);
    figure(mine.AtB, other.AtB);
    figure(mine.Change(), other.Change());
    figure(mine.Min, other.Min);
    figure(mine.Max, other.Max);
    figure(mine.Mean, other.Mean);
    return cells;
}

std::string ChartSpanComparison::TabSeparatedText() const {
    std::string text = SpanLines(log_);
    if (reference_) {
        std::string lines = SpanLines(*reference_);
        // Its lines under names of their own: "Ref A", "Ref B", "Ref A to B".
        std::string named;
        std::size_t at = lines.find('\n') + 1;  // past its heading line
        while (at < lines.size()) {
            const std::size_t end = lines.find('\n', at);
            named += "Ref " + lines.substr(at, end - at + 1);
            at = end + 1;
        }
        text += named;
    } else {
        text += "Ref\tno sample under the span\n";
    }
    text += "Offset\t" + ReferenceAlignment{offsetMillis_}.OffsetText() + " s\n\n";
    const auto append = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) text += '\t';
            text += cells[i];
        }
        text += '\n';
    };
    append(HeaderCells());
    for (std::size_t r = 0; r < RowCount(); ++r) append(Cells(r));
    return text;
}

}  // namespace orvane
