#include <gtest/gtest.h>

#include <cmath>

#include "PlantedLog.h"
#include "analysis/LogStatistics.h"

namespace orvane {
namespace {

using testing::PlantedLog;

std::int64_t Gap(const PlantedLog& log, std::int64_t s) {
    if (s >= log.Count()) return 0;
    const std::int64_t gap =
        static_cast<std::int64_t>(log.records[s].Millis) - log.records[s - 1].Millis;
    return gap >= 1 && gap <= 999 ? gap : 0;
}

// The statistics of one slot by the definitions, sample by sample.
StatisticsRow Direct(const PlantedLog& log, SampleRange range, int slot, SlotThresholds t) {
    StatisticsRow row;
    double sum = 0;
    const double limits[2] = {t.Threshold1, t.Threshold2};
    for (std::int64_t s = range.First; s <= range.Last; ++s) {
        const double v = log.Value(s, slot);
        sum += v;
        if (s == range.First || v < row.Min) {
            row.Min = v;
            row.MinSample = s;
            row.MinMillis = log.records[s - 1].Millis;
        }
        if (s == range.First || v > row.Max) {
            row.Max = v;
            row.MaxSample = s;
            row.MaxMillis = log.records[s - 1].Millis;
        }
        for (int n = 0; n < 2; ++n) {
            if (limits[n] > 0 && v >= limits[n]) {
                row.AtOrAbove[n].Samples += 1;
                row.AtOrAbove[n].Millis += Gap(log, s);
            }
        }
    }
    row.Mean = sum / static_cast<double>(range.Count());
    return row;
}

LogStatistics Compute(const LogFile& file, SampleRange range,
                      const std::array<SlotThresholds, SlotCount>& thresholds = {}) {
    std::string error;
    auto statistics = LogStatistics::Compute(file, range, thresholds, {}, error);
    EXPECT_TRUE(statistics) << error;
    return std::move(*statistics);
}

void ExpectRow(const StatisticsRow& row, const StatisticsRow& expected, SampleRange range) {
    SCOPED_TRACE(row.Name + " " + std::to_string(range.First) + "-" + std::to_string(range.Last));
    EXPECT_EQ(row.Min, expected.Min);
    EXPECT_EQ(row.Max, expected.Max);
    EXPECT_NEAR(row.Mean, expected.Mean, 1e-9 * (1 + std::fabs(expected.Mean)));
    EXPECT_EQ(row.MinSample, expected.MinSample);
    EXPECT_EQ(row.MaxSample, expected.MaxSample);
    EXPECT_EQ(row.MinMillis, expected.MinMillis);
    EXPECT_EQ(row.MaxMillis, expected.MaxMillis);
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(row.AtOrAbove[n].Samples, expected.AtOrAbove[n].Samples) << n;
        EXPECT_EQ(row.AtOrAbove[n].Millis, expected.AtOrAbove[n].Millis) << n;
    }
}

TEST(LogStatistics, EveryValueSlotMatchesTheDefinitionsOverManyRanges) {
    // Value items only, with rising and falling formulas, over chunk boundaries.
    PlantedLog log({33, 7, 58, 6, 18, 23, 20, 12, 26, 41, 19, 21, 22, 38, 44, 13, 14, 15});
    log.Random(20'000, 5);
    // Irregular gaps: repeats, jumps back and pauses.
    for (std::size_t i = 0; i < log.records.size(); ++i) {
        log.records[i].Millis =
            static_cast<std::int32_t>(i * 100 + (i % 7 == 0 ? 1500 : 0) - (i % 11 == 0 ? 300 : 0));
    }
    const LogFile& file = log.Open();
    std::array<SlotThresholds, SlotCount> thresholds{};
    thresholds[0] = {6000, 7000};
    thresholds[1] = {100, 0};   // coolant, threshold 2 off
    thresholds[13] = {0, 200};  // knock sum, threshold 1 off
    for (const SampleRange range :
         {SampleRange{1, 20'000}, SampleRange{8192, 8193}, SampleRange{8191, 16'385},
          SampleRange{1, 1}, SampleRange{20'000, 20'000}, SampleRange{4999, 5003}}) {
        const auto statistics = Compute(file, range, thresholds);
        ASSERT_EQ(statistics.Rows().size(), 18u);
        for (int slot = 1; slot <= 18; ++slot) {
            const StatisticsRow& row = statistics.Rows()[static_cast<std::size_t>(slot - 1)];
            ASSERT_EQ(row.Slot, slot);
            ExpectRow(row, Direct(log, range, slot, thresholds[static_cast<std::size_t>(slot - 1)]),
                      range);
        }
    }
}

TEST(LogStatistics, TiesTakeTheFirstSampleEvenAcrossRawBytesWithTheSameValue) {
    // Coolant raw 240 to 255 all read -59 c; engine speed raw 100 twice.
    PlantedLog log({7, 33});
    for (const auto& [coolant, rpm] : std::vector<std::pair<int, int>>{
             {100, 50}, {250, 100}, {240, 20}, {255, 100}, {100, 20}}) {
        LogRecord record;
        record.Millis = static_cast<std::int32_t>(log.records.size()) * 100;
        record.SlotBytes[0] = static_cast<std::uint8_t>(coolant);
        record.SlotBytes[1] = static_cast<std::uint8_t>(rpm);
        log.records.push_back(record);
    }
    const auto statistics = Compute(log.Open(), {1, 5});
    const StatisticsRow& coolant = statistics.Rows()[0];
    EXPECT_EQ(coolant.Min, -59);
    EXPECT_EQ(coolant.MinSample, 2);
    EXPECT_EQ(coolant.MaxSample, 1);
    const StatisticsRow& rpm = statistics.Rows()[1];
    EXPECT_EQ(rpm.Max, 3125);
    EXPECT_EQ(rpm.MaxSample, 2);
    EXPECT_EQ(rpm.Min, 625);
    EXPECT_EQ(rpm.MinSample, 3);
    EXPECT_EQ(statistics.Cells(rpm)[7], "2");
    EXPECT_EQ(statistics.Cells(rpm)[8], "10:00:00");
}

TEST(LogStatistics, SwitchesCountTheirOnSamplesAndTimeAndItemsWithoutFormulaGiveZeros) {
    PlantedLog log({2, 0, 62, 300, -1});
    // Millis: gaps 100, 0, -50, 1200, 999, then 100 to the sample after the range.
    const std::int32_t millis[] = {0, 100, 100, 50, 1250, 2249, 2349};
    const std::uint8_t status[] = {0x80, 0x80, 0x00, 0x88, 0x80, 0x10, 0x80};
    const std::uint8_t status2[] = {0x00, 0x20, 0x00, 0x00, 0x20, 0x00, 0x20};
    for (int i = 0; i < 7; ++i) {
        LogRecord record;
        record.Millis = millis[i];
        record.SlotBytes = {status[i], status2[i], 77, 99};
        log.records.push_back(record);
    }
    const auto statistics = Compute(log.Open(), {1, 6});
    const auto& rows = statistics.Rows();
    ASSERT_EQ(rows.size(), 7u);  // Idle, Power, AC, TDC, AC relay, item 62, item 300
    EXPECT_EQ(rows[0].Name, "Idle-SW");
    EXPECT_EQ(rows[0].OnSamples, 4);         // samples 1, 2, 4, 5
    EXPECT_EQ(rows[0].OnMillis, 100 + 999);  // 1 (100), 2 (0), 4 (1200: none), 5 (999)
    EXPECT_EQ(rows[1].Name, "Power-SW");
    EXPECT_EQ(rows[1].OnSamples, 1);
    EXPECT_EQ(rows[2].Name, "AC-SW");  // on while bit 0x10 is clear: all but sample 6
    EXPECT_EQ(rows[2].OnSamples, 5);
    EXPECT_EQ(rows[2].OnMillis, 100 + 999);
    EXPECT_EQ(rows[4].Name, "AC-Relay");  // on while bit 0x20 is clear
    EXPECT_EQ(rows[4].OnSamples, 4);
    EXPECT_EQ(rows[4].OnMillis, 100 + 100);  // samples 1 and 6 (6 ends at the 7th)
    EXPECT_EQ(rows[5].Name, "O2 sensor (rear)");
    EXPECT_EQ(rows[6].Name, "(code 300)");
    for (const std::size_t i : {5u, 6u}) {
        EXPECT_EQ(rows[i].Min, 0);
        EXPECT_EQ(rows[i].Max, 0);
        EXPECT_EQ(rows[i].Mean, 0);
        EXPECT_EQ(rows[i].MinSample, 1);
    }
    // The log's last sample has no next one: it covers no time.
    const auto last = Compute(log.file, {7, 7});
    EXPECT_EQ(last.Rows()[2].OnSamples, 1);
    EXPECT_EQ(last.Rows()[2].OnMillis, 0);
}

TEST(LogStatistics, RangesOutsideTheLogAreRefused) {
    PlantedLog log({33});
    log.Random(10, 1);
    const LogFile& file = log.Open();
    std::string error;
    const std::array<SlotThresholds, SlotCount> none{};
    EXPECT_FALSE(LogStatistics::Compute(file, {5, 4}, none, {}, error));
    EXPECT_EQ(error, "the range 5 to 4 is empty");
    EXPECT_FALSE(LogStatistics::Compute(file, {0, 4}, none, {}, error));
    EXPECT_EQ(error, "sample 0 is not in the log (samples 1 to 10)");
    EXPECT_FALSE(LogStatistics::Compute(file, {5, 11}, none, {}, error));
    EXPECT_EQ(error, "sample 11 is beyond the end of the log (samples 1 to 10)");
}

TEST(LogStatistics, TabSeparatedTextHasAValueSectionAndASwitchSectionEachWithItsColumns) {
    PlantedLog log({33, 2, 7});
    for (int i = 0; i < 3; ++i) {
        LogRecord record;
        record.Millis = 61'234 + i * 100;
        record.SlotBytes = {static_cast<std::uint8_t>(100 + i), 0x88, 100};
        log.records.push_back(record);
    }
    std::array<SlotThresholds, SlotCount> thresholds{};
    thresholds[0] = {3156, 0};
    const auto statistics = Compute(log.Open(), {1, 3}, thresholds);
    EXPECT_EQ(statistics.DurationMillis(), 200);
    EXPECT_EQ(statistics.TabSeparatedText(),
              "Item\tUnit\tMin\tMax\tMean\tMin sample\tMin time\tMax sample\tMax time\t"
              "Threshold 1\tSamples >= threshold 1\tTime >= threshold 1 (s)\tThreshold 2\t"
              "Samples >= threshold 2\tTime >= threshold 2 (s)\n"
              "Engine speed\trpm\t3125\t3187\t3156\t1\t10:01:01\t3\t10:01:01\t3156\t2\t0.10"
              "\t\t\t\n"
              "Coolant temp\tc\t33.25\t33.25\t33.25\t1\t10:01:01\t1\t10:01:01\t\t\t\t\t\t\n"
              "\n"
              "Switch\tON samples\tON time (s)\n"
              "Idle-SW\t3\t0.20\n"
              "Power-SW\t3\t0.20\n"
              "AC-SW\t3\t0.20\n"
              "TDC\t0\t0\n");
    // Each row's cells fit the headings of its section.
    for (const StatisticsRow& row : statistics.Rows()) {
        const bool isSwitch = row.RowKind == StatisticsRow::Kind::Switch;
        EXPECT_EQ(statistics.Cells(row).size(), isSwitch ? LogStatistics::SwitchHeaderCells().size()
                                                         : LogStatistics::HeaderCells().size());
    }
    // Without a switch byte there is no switch section.
    PlantedLog values({33});
    values.Random(5, 2);
    const std::string text = Compute(values.Open(), {2, 5}).TabSeparatedText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_EQ(text.find("Switch"), std::string::npos);
    EXPECT_EQ(Compute(values.file, {2, 5}).DurationMillis(), 300);
}

}  // namespace
}  // namespace orvane
