#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/ChartSeries.h"
#include "analysis/LogOutline.h"
#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// A sample's time of day to the millisecond, "HH:MM:SS.mmm" (the milliseconds counted
// on from the whole second SampleTime gives).
std::string TimeOfDayWithMillis(const DateTime& start, std::int32_t millis);

// The figures of a measured span of a chart, from sample A to sample B: their times and
// the time between them, and for each series its value at A and at B, the change, and
// the minimum, maximum and mean over the span. The extremes and means are the statistics
// window's (LogStatistics over the span); a switch's mean is the share of the span's
// samples it is on.
class ChartSpan {
public:
    struct Row {
        ChartSeries Series;
        double AtA = 0;
        double AtB = 0;
        double Min = 0;
        double Max = 0;
        double Mean = 0;
        double Change() const noexcept { return AtB - AtA; }
    };

    // Reads the span (positional reads; the read position does not move). nullopt with the
    // reason in `error` when it is not inside the log, the log cannot be read, or `stop`
    // was triggered ("cancelled").
    static std::optional<ChartSpan> Compute(const LogFile& log, SampleRange span,
                                            const std::vector<ChartSeries>& series,
                                            std::stop_token stop, std::string& error);

    SampleRange Samples() const noexcept { return span_; }
    std::int32_t MillisA() const noexcept { return millisA_; }
    std::int32_t MillisB() const noexcept { return millisB_; }
    // The time from A to B by their counters (negative when the counter went backwards).
    std::int64_t DurationMillis() const noexcept { return std::int64_t{millisB_} - millisA_; }
    const DateTime& Start() const noexcept { return start_; }
    const std::vector<Row>& Rows() const noexcept { return rows_; }

    // The table, as shown and copied: a line each for A and B (sample, time of day), the
    // time between them in seconds to the millisecond, then one line per series under
    // HeaderCells(); values in the value boxes' text form.
    static std::vector<std::string> HeaderCells();
    std::vector<std::string> Cells(const Row& row) const;
    std::string TabSeparatedText() const;

private:
    SampleRange span_;
    std::int32_t millisA_ = 0;
    std::int32_t millisB_ = 0;
    DateTime start_;
    std::vector<Row> rows_;
};

}  // namespace orvane
