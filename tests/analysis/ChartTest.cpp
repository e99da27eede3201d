// The chart's computations: the shared summary, the time axis with its breaks, the
// columns at every zoom against a direct computation, the measured span against the
// statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "PlantedLog.h"
#include "analysis/ChartFrame.h"
#include "analysis/ChartSpan.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogStatistics.h"

namespace orvane {
namespace {

using testing::PlantedLog;

// Engine speed (rising), coolant (falling) and the switch byte, about 10 samples a second.
const std::vector<std::int16_t> kCodes = {33, 7, 2};
constexpr std::int64_t kSpike = 654'321;

// A million samples with gaps of 90 to 110 ms, three pauses (653 s, exactly 5 s, and a
// gap of 4999 ms that is none), a counter that goes back once, and a one-sample spike up
// in engine speed and down in coolant at kSpike.
void PlantDrive(PlantedLog& log, std::int64_t count) {
    std::int64_t millis = 1000;
    for (std::int64_t i = 1; i <= count; ++i) {
        LogRecord record;
        std::int64_t gap = 90 + (i * 7919) % 21;
        if (i == 200'001) gap += 653'000;
        if (i == 400'001) gap = 5000;
        if (i == 600'001) gap = 4999;
        if (i == 800'001) gap = -3000;
        if (i > 1) millis += gap;
        record.Millis = static_cast<std::int32_t>(millis);
        record.SlotBytes[0] = static_cast<std::uint8_t>(60 + (i / 300) % 40);
        record.SlotBytes[1] = static_cast<std::uint8_t>(110 + (i / 900) % 20);
        record.SlotBytes[2] = static_cast<std::uint8_t>((i / 50) % 3 == 0 ? 0x80 : 0x10);
        log.records.push_back(record);
    }
    log.records[kSpike - 1].SlotBytes[0] = 250;
    log.records[kSpike - 1].SlotBytes[1] = 250;
    log.records[kSpike - 1].SlotBytes[2] = 0x08;  // Power on, once
}

class ChartTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        log_ = new PlantedLog(kCodes);
        PlantDrive(*log_, 1'000'000);
        file_ = &log_->Open();
        std::string error;
        auto summary = MinMaxSummary::Build(*file_, {}, {}, error);
        ASSERT_TRUE(summary) << error;
        summary_ = std::make_shared<const MinMaxSummary>(std::move(*summary));
        auto pauses = FindPauses(*file_, SampleRange::Whole(1'000'000), {}, error);
        ASSERT_TRUE(pauses) << error;
        auto timeline = ChartTimeline::Build(*file_, summary_, *pauses, {}, error);
        ASSERT_TRUE(timeline) << error;
        timeline_ = new ChartTimeline(std::move(*timeline));
    }
    static void TearDownTestSuite() {
        delete timeline_;
        summary_.reset();
        delete log_;
    }

    static std::vector<ChartSeries> Series() {
        return {ChartSeries::Item(1, 33), ChartSeries::Item(2, 7),
                ChartSeries::Switch(3, SwitchKind::Power), ChartSeries::Switch(3, SwitchKind::Ac)};
    }
    static double Direct(const ChartSeries& series, std::int64_t sample) {
        return series.ValueOf(log_->Raw(sample, series.Slot()));
    }
    // Checks every column of `frame` against the samples it holds: they follow on from
    // one another, and each series' extremes are those of the samples.
    static void CheckColumns(const ChartFrame& frame, const std::vector<ChartSeries>& series) {
        std::int64_t next = frame.InView().First;
        for (int c = 0; c < frame.Width(); ++c) {
            const SampleRange samples = frame.Samples(c);
            if (samples.Empty()) continue;
            ASSERT_EQ(samples.First, next) << "column " << c;
            next = samples.Last + 1;
            for (std::size_t s = 0; s < series.size(); ++s) {
                double low = 1e300, high = -1e300;
                for (std::int64_t i = samples.First; i <= samples.Last; ++i) {
                    low = std::min(low, Direct(series[s], i));
                    high = std::max(high, Direct(series[s], i));
                }
                ASSERT_EQ(frame.Extremes(s, c), std::make_pair(low, high))
                    << "column " << c << " series " << s;
            }
        }
        EXPECT_EQ(next, frame.InView().Last + 1);
    }

    static PlantedLog* log_;
    static LogFile* file_;
    static std::shared_ptr<const MinMaxSummary> summary_;
    static ChartTimeline* timeline_;
};
PlantedLog* ChartTest::log_ = nullptr;
LogFile* ChartTest::file_ = nullptr;
std::shared_ptr<const MinMaxSummary> ChartTest::summary_;
ChartTimeline* ChartTest::timeline_ = nullptr;

TEST_F(ChartTest, TheSummaryIsSmallAndItsExtremesAreThoseOfItsBlocks) {
    EXPECT_EQ(summary_->BlockSamples(), MinMaxSummary::MaxBlockSamples);
    EXPECT_LT(summary_->MemoryBytes(), std::size_t{1'000'000} * RecordSize / 5);
    const ChartSeries power = ChartSeries::Switch(3, SwitchKind::Power);
    for (const auto& [first, end] : {std::pair<std::int64_t, std::int64_t>{0, 1},
                                     {3, 4100},
                                     {20447, 20448},
                                     {0, summary_->Blocks()},
                                     {777, 31250}}) {
        const SampleRange samples{summary_->FirstSampleOfBlock(first),
                                  summary_->SamplesOfBlock(end - 1).Last};
        std::uint8_t low = 255, high = 0;
        bool on = false;
        for (std::int64_t s = samples.First; s <= samples.Last; ++s) {
            low = std::min(low, log_->Raw(s, 1));
            high = std::max(high, log_->Raw(s, 1));
            on |= Direct(power, s) > 0;
        }
        const RawExtremes raw = summary_->Extremes(1, first, end);
        EXPECT_EQ(raw.Low, low) << first << " " << end;
        EXPECT_EQ(raw.High, high) << first << " " << end;
        EXPECT_EQ(power.ValuesOf(summary_->Extremes(3, first, end)).second, on ? 1 : 0);
    }
}

TEST_F(ChartTest, PausesOfFiveSecondsOrMoreBecomeBreaksAndNothingShorter) {
    const auto& breaks = timeline_->Breaks();
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_EQ(breaks[0].Pause.Before, 200'000);
    EXPECT_GE(breaks[0].Pause.Millis(), 653'000);
    EXPECT_EQ(breaks[1].Pause.Before, 400'000);
    EXPECT_EQ(breaks[1].Pause.Millis(), 5000);
    // A pause adds no axis time; the gap of 4999 ms, and a counter going back, do their own.
    EXPECT_EQ(timeline_->AxisOfSample(*file_, 200'001), timeline_->AxisOfSample(*file_, 200'000));
    EXPECT_EQ(*timeline_->AxisOfSample(*file_, 600'001) - *timeline_->AxisOfSample(*file_, 600'000),
              4999);
    EXPECT_EQ(timeline_->AxisOfSample(*file_, 800'001), timeline_->AxisOfSample(*file_, 800'000));
    // Elapsed time counts the pauses: the sample after the long one is 653 s on.
    const std::int64_t after = *timeline_->AxisOfSample(*file_, 200'001);
    EXPECT_EQ(timeline_->ElapsedOf(static_cast<double>(after), 1),
              log_->records[200'000].Millis - log_->records[0].Millis);

    // The whole log fits the width, breaks included, and each break is a narrow gap
    // between the samples on either side.
    const ChartView whole = timeline_->WholeLog(1600, 10);
    EXPECT_NEAR(*timeline_->PixelOfSample(*file_, 1'000'000, whole), 1599, 0.5);
    const double before = *timeline_->PixelOfSample(*file_, 200'000, whole);
    EXPECT_NEAR(*timeline_->PixelOfSample(*file_, 200'001, whole) - before, 10, 1e-9);
    EXPECT_NEAR(timeline_->BreakPixel(0, whole), before, 1e-9);
    // A place inside the break is the break's axis time, after the pause.
    const ChartTimeline::Place inside = timeline_->PlaceAt(before + 5, whole);
    EXPECT_EQ(inside.Axis, static_cast<double>(breaks[0].Axis));
    EXPECT_EQ(inside.Pauses, 1);
}

TEST_F(ChartTest, ColumnsAreExactAndTheSpikeShowsAtEveryZoom) {
    const std::vector<ChartSeries> series = Series();
    std::vector<std::uint8_t> scratch;
    std::string error;
    ChartView view = timeline_->WholeLog(1600, 10);
    const double spikeMax = Direct(series[0], kSpike);
    const double spikeMin = Direct(series[1], kSpike);
    int zooms = 0;
    bool sawPoints = false;
    while (true) {
        const auto frame = ChartFrame::Compute(*timeline_, *file_, series, view, scratch, error);
        ASSERT_TRUE(frame) << error;
        if (zooms == 0) {
            EXPECT_EQ(frame->InView(), SampleRange::Whole(1'000'000));
        }
        // The spike's column holds it and shows it; with points, its point does.
        const auto x = frame->PixelOf(kSpike);
        ASSERT_TRUE(x && *x >= 0 && *x < 1600) << "zoom " << zooms;
        const int column = static_cast<int>(*x);
        EXPECT_TRUE(frame->Samples(column).Contains(kSpike)) << "zoom " << zooms;
        EXPECT_EQ(frame->Extremes(0, column).second, spikeMax) << "zoom " << zooms;
        EXPECT_EQ(frame->Extremes(1, column).first, spikeMin) << "zoom " << zooms;
        EXPECT_EQ(frame->Extremes(2, column).second, 1) << "zoom " << zooms;
        CheckColumns(*frame, series);
        if (frame->ShowsPoints()) {
            sawPoints = true;
            for (std::size_t i = 0; i < frame->Points().size(); ++i) {
                for (std::size_t s = 0; s < series.size(); ++s) {
                    ASSERT_EQ(frame->PointValue(s, i),
                              Direct(series[s], frame->Points()[i].Sample));
                }
            }
            EXPECT_EQ(frame->SampleAt(*x), kSpike);
        }
        const ChartView closer = timeline_->Zoomed(view, *x, 4);
        if (closer.MillisPerPixel == view.MillisPerPixel) break;
        view = closer;
        ++zooms;
    }
    EXPECT_GE(zooms, 8);
    EXPECT_TRUE(sawPoints);
    // At the finest zoom about 20 samples are across.
    const auto finest = ChartFrame::Compute(*timeline_, *file_, series, view, scratch, error);
    EXPECT_NEAR(static_cast<double>(finest->InView().Count()), 20, 3);

    // Over a break, whole log and closer: the samples after the pause lie right of it.
    for (const double factor : {1.0, 30.0, 3000.0}) {
        const ChartView whole = timeline_->WholeLog(1600, 10);
        const ChartView around = timeline_->Zoomed(whole, timeline_->BreakPixel(0, whole), factor);
        const auto frame = ChartFrame::Compute(*timeline_, *file_, series, around, scratch, error);
        ASSERT_TRUE(frame);
        ASSERT_FALSE(frame->Breaks().empty());
        const double gap = frame->Breaks().front().second;
        for (int c = 0; c < frame->Width(); ++c) {
            const SampleRange samples = frame->Samples(c);
            if (samples.Empty()) continue;
            if (c + 1 <= gap) {
                EXPECT_LE(samples.Last, 200'000) << factor << " " << c;
            }
            if (c >= gap + 10) {
                EXPECT_GE(samples.First, 200'001) << factor << " " << c;
            }
        }
        CheckColumns(*frame, series);
    }
}

TEST_F(ChartTest, TheSpanHasTheStatisticsWindowsFigures) {
    const std::vector<ChartSeries> series = Series();
    const SampleRange span{199'990, 200'050};  // across the long pause
    std::string error;
    const auto figures = ChartSpan::Compute(*file_, span, series, {}, error);
    ASSERT_TRUE(figures) << error;
    const std::array<SlotThresholds, SlotCount> none{};
    const auto statistics = LogStatistics::Compute(*file_, span, none, {}, error);
    ASSERT_TRUE(statistics);
    EXPECT_EQ(figures->DurationMillis(),
              log_->records[span.Last - 1].Millis - log_->records[span.First - 1].Millis);
    const auto& rows = figures->Rows();
    ASSERT_EQ(rows.size(), series.size());
    for (int r = 0; r < 2; ++r) {
        const StatisticsRow& line = statistics->Rows()[static_cast<std::size_t>(r)];
        EXPECT_EQ(rows[r].Min, line.Min);
        EXPECT_EQ(rows[r].Max, line.Max);
        EXPECT_EQ(rows[r].Mean, line.Mean);
        EXPECT_EQ(rows[r].AtA, Direct(series[r], span.First));
        EXPECT_EQ(rows[r].Change(), Direct(series[r], span.Last) - Direct(series[r], span.First));
    }
    // The AC switch is on when its bit is clear: on in some samples of the span, not all.
    double on = 0;
    for (std::int64_t s = span.First; s <= span.Last; ++s) on += Direct(series[3], s);
    EXPECT_DOUBLE_EQ(rows[3].Mean, on / static_cast<double>(span.Count()));
    EXPECT_EQ(rows[3].Min, 0);
    EXPECT_EQ(rows[3].Max, 1);
    // The copied table: the times to the millisecond, the time between, a line per series.
    const std::string text = figures->TabSeparatedText();
    const std::int32_t a = log_->records[span.First - 1].Millis;
    EXPECT_NE(text.find("A\t199990\t" + TimeOfDayWithMillis(testing::kPlantedStart, a)),
              std::string::npos);
    EXPECT_NE(text.find("A to B\t61 samples\t"), std::string::npos);
    EXPECT_NE(text.find("\nEngine speed\trpm\t"), std::string::npos);
    EXPECT_EQ(TimeOfDayWithMillis(testing::kPlantedStart, 61'234), "10:01:01.234");
}

}  // namespace
}  // namespace orvane
