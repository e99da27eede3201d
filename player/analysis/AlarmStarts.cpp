#include "analysis/AlarmStarts.h"

#include <algorithm>

#include "log/RecordScan.h"

namespace orvane {

bool AlarmStarts::Usable(const OverviewSummary* summary) const noexcept {
    return summary != nullptr && summary->Request().Boxes == table_.Boxes();
}

std::optional<std::int64_t> AlarmStarts::Find(const LogFile& log, SampleRange range, Pick pick,
                                              const std::stop_token& stop) const {
    if (range.Empty() || table_.Silent()) return std::nullopt;
    // The state of the sample before the range; before sample 1 no box is in alarm.
    AlarmTable::State previous = 0;
    const RecordScan scan(log, stop);
    if (range.First > 1) {
        std::uint8_t bytes[RecordSize];
        if (!scan.ReadOne(range.First - 1, bytes)) return std::nullopt;
        previous = table_.StateOf(bytes);
    }
    std::optional<std::int64_t> found;
    scan.Run(range.First, range.Last,
             [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                 for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                     const AlarmTable::State state = table_.StateOf(bytes.data() + at);
                     if (AlarmTable::IsStart(previous, state)) {
                         found = sample;
                         if (pick == Pick::First) return false;
                     }
                     previous = state;
                 }
                 return true;
             });
    if (stop.stop_requested()) return std::nullopt;
    return found;
}

std::optional<std::int64_t> AlarmStarts::Next(const LogFile& log, std::int64_t after,
                                              const OverviewSummary* summary,
                                              std::stop_token stop) const {
    const std::int64_t records = CompleteRecords(log.Length());
    const std::int64_t from = std::max<std::int64_t>(after + 1, 1);
    if (from > records) return std::nullopt;
    if (!Usable(summary) || summary->Records() != records) {
        return Find(log, {from, records}, Pick::First, stop);
    }
    for (std::int64_t b = summary->BucketOfSample(from); b < summary->Buckets(); ++b) {
        if (stop.stop_requested()) return std::nullopt;
        if (!summary->BucketHasAlarmStart(b)) continue;
        const SampleRange bucket = summary->SamplesOfBucket(b);
        const SampleRange part{std::max(bucket.First, from), bucket.Last};
        if (const auto found = Find(log, part, Pick::First, stop)) return found;
    }
    return std::nullopt;
}

std::optional<std::int64_t> AlarmStarts::Previous(const LogFile& log, std::int64_t before,
                                                  const OverviewSummary* summary,
                                                  std::stop_token stop) const {
    const std::int64_t records = CompleteRecords(log.Length());
    const std::int64_t to = std::min(before - 1, records);
    if (to < 1) return std::nullopt;
    if (Usable(summary) && summary->Records() == records) {
        for (std::int64_t b = summary->BucketOfSample(to); b >= 0; --b) {
            if (stop.stop_requested()) return std::nullopt;
            if (!summary->BucketHasAlarmStart(b)) continue;
            const SampleRange bucket = summary->SamplesOfBucket(b);
            const SampleRange part{bucket.First, std::min(bucket.Last, to)};
            if (const auto found = Find(log, part, Pick::Last, stop)) return found;
        }
        return std::nullopt;
    }
    // Backwards a chunk at a time: the nearest start is usually close.
    for (std::int64_t last = to; last >= 1; last -= RecordScan::ChunkRecords) {
        const std::int64_t first = std::max<std::int64_t>(1, last - RecordScan::ChunkRecords + 1);
        if (const auto found = Find(log, {first, last}, Pick::Last, stop)) return found;
        if (stop.stop_requested()) return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::int64_t> AlarmStarts::All(const LogFile& log, SampleRange range,
                                           std::stop_token stop) const {
    std::vector<std::int64_t> starts;
    range.First = std::max<std::int64_t>(range.First, 1);
    range.Last = std::min(range.Last, CompleteRecords(log.Length()));
    while (const auto next = Find(log, range, Pick::First, stop)) {
        starts.push_back(*next);
        range.First = *next + 1;
    }
    return starts;
}

}  // namespace orvane
