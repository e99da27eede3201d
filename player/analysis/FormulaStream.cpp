#include "analysis/FormulaStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "log/ByteOrder.h"

namespace orvane {

std::optional<FormulaStream> FormulaStream::Start(const LogFile& log, const FormulaSet& formulas,
                                                  std::int64_t firstSample, std::string& error) {
    FormulaStream stream(formulas);
    const RecordScan scan(log);
    std::uint8_t record[RecordSize];
    if (!scan.ReadOne(1, record)) {
        error = "sample 1 cannot be read";
        return std::nullopt;
    }
    stream.firstMillis_ = static_cast<std::int32_t>(byteorder::LoadU32(record));
    if (firstSample > 1) {
        if (!scan.ReadOne(firstSample - 1, record)) {
            error = "sample " + std::to_string(firstSample - 1) + " cannot be read";
            return std::nullopt;
        }
        std::memcpy(stream.previous_.data(), record, RecordSize);
        stream.hasPrevious_ = true;
    }
    return stream;
}

const FormulaValues& FormulaStream::Next(std::int64_t firstSample,
                                         std::span<const std::uint8_t> records) {
    if (records.size() < RecordSize) {
        values_.FirstSample = firstSample;
        values_.Count = 0;
        return values_;
    }
    // Before the log's first sample there is none: it is its own previous sample.
    const std::uint8_t* previous = hasPrevious_ ? previous_.data() : records.data();
    formulas_.Evaluate(firstSample, previous, firstMillis_, records, values_);
    std::memcpy(previous_.data(), records.data() + records.size() - RecordSize, RecordSize);
    hasPrevious_ = true;
    return values_;
}

ScanResult ScanFormulas(const LogFile& log, const FormulaSet& formulas, SampleRange range,
                        std::stop_token stop,
                        const std::function<bool(const FormulaValues&)>& visit) {
    ScanResult result;
    std::string error;
    auto stream = FormulaStream::Start(log, formulas, range.First, error);
    if (!stream) {
        result.Status = ScanStatus::Failed;
        result.Error = error;
        return result;
    }
    const RecordScan scan(log, std::move(stop));
    return scan.Run(range.First, range.Last,
                    [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                        return visit(stream->Next(sample, bytes));
                    });
}

std::optional<FormulaValues> ReadFormulaValues(const LogFile& log, const FormulaSet& formulas,
                                               SampleRange range, std::stop_token stop,
                                               std::string& error) {
    error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!error.empty()) return std::nullopt;
    FormulaValues all;
    all.FirstSample = range.First;
    all.Items.resize(formulas.ItemCount());
    const ScanResult result =
        ScanFormulas(log, formulas, range, std::move(stop), [&](const FormulaValues& chunk) {
            for (std::size_t i = 0; i < chunk.Items.size(); ++i) {
                all.Items[i].insert(all.Items[i].end(), chunk.Items[i].begin(),
                                    chunk.Items[i].begin() + static_cast<long>(chunk.Count));
            }
            all.Pass.insert(all.Pass.end(), chunk.Pass.begin(),
                            chunk.Pass.begin() + static_cast<long>(chunk.Count));
            all.Count += chunk.Count;
            return true;
        });
    error = ScanProblem(result);
    if (!error.empty()) return std::nullopt;
    return all;
}

std::optional<std::vector<std::optional<ValueRange>>> ComputedValueRanges(
    const LogFile& log, const FormulaSet& formulas, SampleRange range, std::stop_token stop,
    std::string& error) {
    error = RangeProblem(range, CompleteRecords(log.Length()));
    if (!error.empty()) return std::nullopt;
    std::vector<std::optional<ValueRange>> ranges(formulas.ItemCount());
    const auto visit = [&](const FormulaValues& chunk) {
        for (std::size_t i = 0; i < chunk.Items.size(); ++i) {
            std::optional<ValueRange>& values = ranges[i];
            for (std::size_t n = 0; n < chunk.Count; ++n) {
                const double v = chunk.Items[i][n];
                if (std::isnan(v)) continue;
                if (!values) {
                    values = ValueRange{v, v};
                } else {
                    values->Min = std::min(values->Min, v);
                    values->Max = std::max(values->Max, v);
                }
            }
        }
        return true;
    };
    error = ScanProblem(ScanFormulas(log, formulas, range, std::move(stop), visit));
    if (!error.empty()) return std::nullopt;
    return ranges;
}

}  // namespace orvane
