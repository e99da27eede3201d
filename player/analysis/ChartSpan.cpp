#include "analysis/ChartSpan.h"

#include <array>
#include <cstdio>

#include "analysis/LogStatistics.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

// Seconds to the millisecond: "59.667".
std::string SecondsText(std::int64_t millis) {
    char text[40];
    const char* sign = millis < 0 ? "-" : "";
    const std::int64_t magnitude = millis < 0 ? -millis : millis;
    std::snprintf(text, sizeof text, "%s%lld.%03lld", sign,
                  static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    return text;
}

}  // namespace

std::string TimeOfDayWithMillis(const DateTime& start, std::int32_t millis) {
    const std::int32_t part = ((millis % 1000) + 1000) % 1000;
    char text[8];
    std::snprintf(text, sizeof text, ".%03d", part);
    return SampleTime(start, millis).TimeText() + text;
}

std::optional<ChartSpan> ChartSpan::Compute(const LogFile& log, SampleRange span,
                                            const std::vector<ChartSeries>& series,
                                            std::stop_token stop, std::string& error) {
    const std::array<SlotThresholds, SlotCount> none{};
    auto statistics = LogStatistics::Compute(log, span, none, std::move(stop), error);
    if (!statistics) return std::nullopt;
    std::uint8_t a[RecordSize], b[RecordSize];
    const RecordScan scan(log);
    if (!scan.ReadOne(span.First, a) || !scan.ReadOne(span.Last, b)) {
        error = "the log cannot be read";
        return std::nullopt;
    }
    ChartSpan result;
    result.span_ = span;
    result.start_ = statistics->Outline().Start;
    result.millisA_ = RecordView{a}.Millis();
    result.millisB_ = RecordView{b}.Millis();
    const double count = static_cast<double>(span.Count());
    for (const ChartSeries& s : series) {
        Row row{s};
        row.AtA = s.ValueAt(a);
        row.AtB = s.ValueAt(b);
        for (const StatisticsRow& line : statistics->Rows()) {
            if (line.Slot != s.Slot()) continue;
            if (s.SeriesKind() == ChartSeries::Kind::Item &&
                line.RowKind == StatisticsRow::Kind::Value) {
                row.Min = line.Min;
                row.Max = line.Max;
                row.Mean = line.Mean;
                break;
            }
            if (s.SeriesKind() == ChartSeries::Kind::Switch &&
                line.RowKind == StatisticsRow::Kind::Switch && line.Switch == s.Switched()) {
                row.Min = line.OnSamples == span.Count() ? 1 : 0;
                row.Max = line.OnSamples > 0 ? 1 : 0;
                row.Mean = static_cast<double>(line.OnSamples) / count;
                break;
            }
        }
        result.rows_.push_back(row);
    }
    return result;
}

std::vector<std::string> ChartSpan::HeaderCells() {
    return {"Item", "Unit", "At A", "At B", "Change", "Min", "Max", "Mean"};
}

std::vector<std::string> ChartSpan::Cells(const Row& row) const {
    return {row.Series.Name(),    row.Series.Unit(),         FormatValue(row.AtA),
            FormatValue(row.AtB), FormatValue(row.Change()), FormatValue(row.Min),
            FormatValue(row.Max), FormatValue(row.Mean)};
}

std::string ChartSpan::TabSeparatedText() const {
    std::string text;
    text += "\tSample\tTime\n";
    text +=
        "A\t" + std::to_string(span_.First) + "\t" + TimeOfDayWithMillis(start_, millisA_) + "\n";
    text +=
        "B\t" + std::to_string(span_.Last) + "\t" + TimeOfDayWithMillis(start_, millisB_) + "\n";
    text += "A to B\t" + std::to_string(span_.Count()) + " samples\t" +
            SecondsText(DurationMillis()) + " s\n";
    text += "\n";
    const auto append = [&text](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) text += '\t';
            text += cells[i];
        }
        text += '\n';
    };
    append(HeaderCells());
    for (const Row& row : rows_) append(Cells(row));
    return text;
}

}  // namespace orvane
