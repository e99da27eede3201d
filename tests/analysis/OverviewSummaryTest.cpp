#include <gtest/gtest.h>

#include <algorithm>
#include <stop_token>

#include "PlantedLog.h"
#include "analysis/ElapsedTime.h"
#include "analysis/OverviewSummary.h"

namespace orvane {
namespace {

using testing::PlantedLog;

// Engine speed in slot 1 (rising formula), coolant in slot 2 (falling), battery in slot 3.
const std::vector<std::int16_t> kSlowCodes = {33, 7, 20};
void PlantSlowValuesWithSpikes(PlantedLog& log, int count) {
    for (int i = 0; i < count; ++i) {
        LogRecord record;
        record.Millis = 500 + i * 100;
        record.SlotBytes[0] = static_cast<std::uint8_t>(100 + (i / 50) % 20);
        record.SlotBytes[1] = static_cast<std::uint8_t>(120 + (i / 70) % 10);
        record.SlotBytes[2] = 180;
        log.records.push_back(record);
    }
    // Single-sample spikes: up and down in both traces, in the middle and at both ends.
    for (const std::size_t at : {0ul, 4321ul, 4322ul, 77777ul, 123456ul, std::size_t(count) - 1}) {
        if (at >= log.records.size()) continue;
        log.records[at].SlotBytes[0] = at % 2 ? 255 : 3;
        log.records[at].SlotBytes[1] = at % 2 ? 0 : 250;
    }
}

OverviewSummary Build(const LogFile& file, OverviewRequest request) {
    std::string error;
    auto summary = OverviewSummary::Build(file, std::move(request), {}, error);
    EXPECT_TRUE(summary) << error;
    return std::move(*summary);
}

TEST(OverviewSummary, ColumnEnvelopesAreExactForTheSamplesTheyCover) {
    for (const int count : {130'001, 5000}) {
        PlantedLog log(kSlowCodes);
        PlantSlowValuesWithSpikes(log, count);
        const auto summary = Build(log.Open(), {{1, 2}, {}});
        EXPECT_LE(summary.Buckets(), OverviewSummary::MaxBuckets);
        // The summary is shared with the chart: a few hundred kilobytes at most for a
        // short log, at most a fifth of the file for a long one.
        EXPECT_LT(
            summary.MemoryBytes(),
            std::max<std::size_t>(static_cast<std::size_t>(count) * RecordSize / 5, 256 * 1024));
        for (const int width : {1, 3, 640, 1500, 4096, 9000}) {
            const auto columns = summary.Columns(width);
            ASSERT_EQ(columns.size(), static_cast<std::size_t>(width));
            std::int64_t expectedFirst = 1;
            for (int c = 0; c < width; ++c) {
                const OverviewColumn& column = columns[c];
                if (summary.Buckets() >= width) {
                    // The columns split the log: each starts where the one before ended.
                    ASSERT_EQ(column.Samples.First, expectedFirst) << width << " " << c;
                    expectedFirst = column.Samples.Last + 1;
                }
                double min[2] = {1e9, 1e9}, max[2] = {-1e9, -1e9};
                for (std::int64_t s = column.Samples.First; s <= column.Samples.Last; ++s) {
                    for (int t = 0; t < 2; ++t) {
                        min[t] = std::min(min[t], log.Value(s, t + 1));
                        max[t] = std::max(max[t], log.Value(s, t + 1));
                    }
                }
                for (int t = 0; t < 2; ++t) {
                    ASSERT_TRUE(column.Traces[t].Present);
                    ASSERT_EQ(column.Traces[t].Min, min[t]) << width << " " << c << " " << t;
                    ASSERT_EQ(column.Traces[t].Max, max[t]) << width << " " << c << " " << t;
                }
                ASSERT_EQ(column.FirstMillis, 500 + (column.Samples.First - 1) * 100);
            }
            if (summary.Buckets() >= width) {
                EXPECT_EQ(expectedFirst, count + 1);
            }
            // Every sample's column covers it.
            for (std::int64_t s = 1; s <= count; s += 997) {
                const int c = summary.ColumnOfSample(s, width);
                EXPECT_TRUE(summary.SamplesOfColumn(c, width).Contains(s)) << s << " " << width;
            }
            EXPECT_TRUE(summary.SamplesOfColumn(summary.ColumnOfSample(count, width), width)
                            .Contains(count));
        }
        // The coolant formula falls: the largest raw byte gives the smallest value.
        const auto whole = summary.Column(0, 1);
        EXPECT_EQ(whole.Traces[1].RawMax, 250);
        EXPECT_EQ(whole.Traces[1].Min, ConvertValue(7, 250));
        EXPECT_EQ(whole.Traces[0].Max, 7968);
        EXPECT_EQ(summary.FirstMillis(), 500);
        EXPECT_EQ(summary.LengthMillis(), (count - 1) * 100);
    }
}

TEST(OverviewSummary, ShortLogsSpreadEachSampleOverSeveralColumns) {
    PlantedLog log(kSlowCodes);
    PlantSlowValuesWithSpikes(log, 10);
    const auto summary = Build(log.Open(), {{1, 0}, {}});
    EXPECT_EQ(summary.Buckets(), 10);
    EXPECT_EQ(summary.ColumnOfSample(1, 100), 0);
    EXPECT_EQ(summary.ColumnOfSample(2, 100), 10);
    EXPECT_EQ(summary.ColumnOfSample(10, 100), 90);
    EXPECT_EQ(summary.SamplesOfColumn(99, 100), (SampleRange{10, 10}));
    EXPECT_EQ(summary.SamplesOfColumn(15, 100), (SampleRange{2, 2}));
    EXPECT_FALSE(summary.Column(3, 100).Traces[1].Present);
    EXPECT_TRUE(summary.SamplesOfColumn(100, 100).Empty());
}

TEST(OverviewSummary, AlarmBandsHoldTheHighestLevelAndTheBoxThatReachedItFirst) {
    PlantedLog log({33, 38, 20});
    log.Random(20'000, 7);
    // Box 0: engine speed >= 6000 / 7000; box 1: knock sum >= 200 only (threshold 1 off);
    // box 2: battery, both off (never alarms); box 3: a second box on engine speed.
    const std::vector<AlarmBox> boxes = {
        {1, 33, 6000, 7000}, {2, 38, 0, 200}, {3, 20, 0, 0}, {1, 33, 7500, 0}};
    const auto summary = Build(log.Open(), {{1, 2}, boxes});
    for (const int width : {1, 333, 2000}) {
        for (int c = 0; c < width; ++c) {
            const auto column = summary.Column(c, width);
            int level = 0, box = -1;
            for (std::int64_t s = column.Samples.First; s <= column.Samples.Last; ++s) {
                for (std::size_t b = 0; b < boxes.size(); ++b) {
                    const int l = AlarmLevelOf(boxes[b], log.Value(s, boxes[b].Slot));
                    if (l > level) {
                        level = l;
                        box = static_cast<int>(b);
                    }
                }
            }
            ASSERT_EQ(column.AlarmLevel, level) << width << " " << c;
            ASSERT_EQ(column.AlarmBox, box) << width << " " << c;
        }
    }
}

TEST(OverviewSummary, ReadsWithoutMovingThePlayersPositionAndCanBeCancelled) {
    PlantedLog log(kSlowCodes);
    PlantSlowValuesWithSpikes(log, 30'000);
    LogFile& player = log.Open();
    player.SeekRecord(5);
    LogFile worker;
    ASSERT_TRUE(worker.OpenDuplicateOf(player));
    player.Close();  // the worker's descriptor stays valid
    const auto summary = Build(worker, {{1, 2}, {}});
    EXPECT_EQ(summary.Records(), 30'000);
    worker.Close();  // the duplicate holds the lock as long as it is open

    LogFile again;
    ASSERT_TRUE(again.Open(log.path));
    again.SeekRecord(5);
    std::stop_source stop;
    stop.request_stop();
    std::string error;
    EXPECT_FALSE(OverviewSummary::Build(again, {{1, 2}, {}}, stop.get_token(), error));
    EXPECT_EQ(error, "cancelled");
    EXPECT_EQ(again.Position(), RecordOffset(5));
    EXPECT_EQ(again.ReadRecord()->Millis, 500 + 4 * 100);
}

TEST(OverviewSummary, AnEmptyLogHasNoColumns) {
    PlantedLog log({33});
    const auto summary = Build(log.Open("orvn0002.bin", 12), {{1, 0}, {}});
    EXPECT_EQ(summary.Records(), 0);
    EXPECT_TRUE(summary.Columns(500).empty());
    EXPECT_EQ(summary.ColumnOfSample(1, 500), -1);
    EXPECT_EQ(summary.LengthMillis(), 0);
}

TEST(ElapsedText, MinutesBelowAnHourHoursFromThenOn) {
    EXPECT_EQ(ElapsedText(0), "00:00");
    EXPECT_EQ(ElapsedText(425'999), "07:05");
    EXPECT_EQ(ElapsedText(3'599'999), "59:59");
    EXPECT_EQ(ElapsedText(3'600'000), "1:00:00");
    EXPECT_EQ(ElapsedText(45'296'000), "12:34:56");
}

TEST(ElapsedText, ALogWhoseMillisGoBackwardsNeverShowsANegativeOrWrappedTime) {
    // A counter that starts high and resets, and one that jumps across its whole range.
    const std::vector<std::vector<std::int32_t>> logs = {
        {299'999, 0, 1000}, {INT32_MAX, INT32_MIN}, {INT32_MIN, 5, INT32_MAX}};
    std::vector<std::string> texts;
    for (const auto& millis : logs) {
        PlantedLog log({33});
        for (const std::int32_t m : millis) {
            LogRecord record;
            record.Millis = m;
            log.records.push_back(record);
        }
        const auto summary = Build(log.Open(), {{1, 0}, {}});
        // The texts at the right end of the strip: each sample's elapsed time, the length.
        for (const std::int32_t m : millis) {
            texts.push_back(ElapsedText(std::int64_t{m} - summary.FirstMillis()));
        }
        texts.push_back(ElapsedText(summary.LengthMillis()));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"00:00", "00:00", "00:00", "00:00",  //
                                               "00:00", "00:00", "00:00",           //
                                               "00:00", "596:31:23", "596:31:23", "596:31:23"}));
    EXPECT_EQ(ElapsedText(-61'000), "00:00");
    EXPECT_EQ(ElapsedText(INT64_MIN), "00:00");
    EXPECT_EQ(ElapsedText(INT64_MAX), "596:31:23");
    EXPECT_EQ(ElapsedText(LongestElapsedMillis), "596:31:23");
}

TEST(DurationText, TenthsOfASecondRoundedDownMinutesUnpaddedHoursFromAnHourOn) {
    EXPECT_EQ(DurationText(0), "0:00.0");
    EXPECT_EQ(DurationText(31'299), "0:31.2");
    EXPECT_EQ(DurationText(653'000), "10:53.0");
    EXPECT_EQ(DurationText(3'599'999), "59:59.9");
    EXPECT_EQ(DurationText(3'723'400), "1:02:03.4");
    EXPECT_EQ(DurationText(-1'500), "-0:01.5");
    EXPECT_EQ(DurationText(-99), "0:00.0");
    EXPECT_EQ(DurationText(INT64_MIN).front(), '-');
}

}  // namespace
}  // namespace orvane
