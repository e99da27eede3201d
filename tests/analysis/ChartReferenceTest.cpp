// A reference log laid over the chart: elapsed time against pixels across breaks, the
// reference's columns and points against a direct computation at several zooms, and a
// measured span beside the reference's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PlantedLog.h"
#include "analysis/ChartSpanComparison.h"
#include "analysis/ChartTimeline.h"
#include "analysis/LogPauses.h"
#include "analysis/ReferenceFrame.h"
#include "analysis/ShownDifference.h"

namespace orvane {
namespace {

using testing::PlantedLog;

constexpr std::int64_t kLogSamples = 60'000;
constexpr std::int64_t kReferenceSamples = 50'000;
constexpr std::int64_t kSpike = 31'337;  // of the reference
constexpr std::int64_t kOffset = 12'345;

class ChartReferenceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The log: engine speed then coolant, gaps of 90 to 110 ms, a pause of 653 s and
        // one of 20 s.
        log_ = new PlantedLog({33, 7});
        std::int64_t millis = 500;
        for (std::int64_t i = 1; i <= kLogSamples; ++i) {
            LogRecord record;
            if (i > 1) millis += 90 + (i * 7919) % 21;
            if (i == 20'001) millis += 653'000;
            if (i == 45'001) millis += 20'000;
            record.Millis = static_cast<std::int32_t>(millis);
            record.SlotBytes[0] = static_cast<std::uint8_t>(60 + (i / 300) % 40);
            record.SlotBytes[1] = static_cast<std::uint8_t>(110 + (i / 900) % 20);
            log_->records.push_back(record);
        }
        // The reference: the other slot order, 100 ms apart but for a pause of 8 s, and
        // a one-sample spike in engine speed.
        reference_ = new PlantedLog({7, 33});
        millis = 2000;
        for (std::int64_t i = 1; i <= kReferenceSamples; ++i) {
            LogRecord record;
            if (i > 1) millis += i == 30'001 ? 8000 : 100;
            record.Millis = static_cast<std::int32_t>(millis);
            record.SlotBytes[0] = static_cast<std::uint8_t>(120 + (i / 700) % 10);
            record.SlotBytes[1] =
                static_cast<std::uint8_t>(i == kSpike ? 250 : 70 + (i / 500) % 30);
            reference_->records.push_back(record);
        }
        std::string error;
        LogFile& log = log_->Open();
        auto summary = MinMaxSummary::Build(log, {}, {}, error);
        ASSERT_TRUE(summary) << error;
        auto pauses = FindPauses(log, SampleRange::Whole(kLogSamples), {}, error);
        ASSERT_TRUE(pauses) << error;
        auto timeline = ChartTimeline::Build(
            log, std::make_shared<const MinMaxSummary>(std::move(*summary)), *pauses, {}, error);
        ASSERT_TRUE(timeline) << error;
        timeline_ = new ChartTimeline(std::move(*timeline));
        auto logSamples = LogTimeline::Read(log, {}, error);
        ASSERT_TRUE(logSamples) << error;
        logSamples_ = new LogTimeline(std::move(*logSamples));

        LogFile& other = reference_->Open("orvn0002.bin");
        auto otherSummary = MinMaxSummary::Build(other, {}, {}, error);
        ASSERT_TRUE(otherSummary) << error;
        referenceSummary_ = new MinMaxSummary(std::move(*otherSummary));
        auto samples = LogTimeline::Read(other, {}, error);
        ASSERT_TRUE(samples) << error;
        referenceSamples_ = new LogTimeline(std::move(*samples));
    }
    static void TearDownTestSuite() {
        delete referenceSamples_;
        delete referenceSummary_;
        delete logSamples_;
        delete timeline_;
        delete reference_;
        delete log_;
    }

    static std::vector<std::optional<ChartSeries>> ReferenceSeries() {
        // The chart's engine speed and coolant, in the reference's slots.
        return {ChartSeries::Item(2, 33), ChartSeries::Item(1, 7), std::nullopt};
    }
    static ReferenceFrame Compute(const ChartView& view) {
        std::vector<std::uint8_t> scratch;
        std::string error;
        const ReferenceFrame::Placement placement{
            *timeline_, view, *referenceSamples_, *referenceSummary_, reference_->file, kOffset};
        auto frame = ReferenceFrame::Compute(placement, ReferenceSeries(), scratch, error);
        EXPECT_TRUE(frame) << error;
        return frame ? std::move(*frame) : ReferenceFrame{};
    }
    // The reference sample's time on the log's axis, counted directly.
    static double Placed(std::int64_t r) {
        return static_cast<double>(reference_->records[static_cast<std::size_t>(r - 1)].Millis -
                                   reference_->records[0].Millis + kOffset);
    }

    static PlantedLog* log_;
    static PlantedLog* reference_;
    static ChartTimeline* timeline_;
    static LogTimeline* logSamples_;
    static MinMaxSummary* referenceSummary_;
    static LogTimeline* referenceSamples_;
};
PlantedLog* ChartReferenceTest::log_ = nullptr;
PlantedLog* ChartReferenceTest::reference_ = nullptr;
ChartTimeline* ChartReferenceTest::timeline_ = nullptr;
LogTimeline* ChartReferenceTest::logSamples_ = nullptr;
MinMaxSummary* ChartReferenceTest::referenceSummary_ = nullptr;
LogTimeline* ChartReferenceTest::referenceSamples_ = nullptr;

TEST_F(ChartReferenceTest, ElapsedTimeFallsOnTheLogsOwnSamplesAcrossTheBreaks) {
    const ChartView whole = timeline_->WholeLog(1200, 10);
    // Around the first pause, a few samples a pixel.
    const ChartView near =
        timeline_->Zoomed(whole, *timeline_->PixelOfSample(log_->file, 20'000, whole), 60);
    for (const ChartView& view : {whole, near}) {
        for (const std::int64_t s :
             {1, 2, 19'999, 20'000, 20'001, 20'002, 33'333, 45'001, 60'000}) {
            const auto pixel = timeline_->PixelOfSample(log_->file, s, view);
            ASSERT_TRUE(pixel);
            EXPECT_NEAR(
                timeline_->PixelOfElapsed(static_cast<double>(logSamples_->ElapsedMillis(s)), view),
                *pixel, 1e-6)
                << "sample " << s;
        }
        // Inverse of each other, rising, and a pause spread across its break.
        double last = -1e300;
        for (double x = -5; x <= view.Width + 5; x += 0.25) {
            const double elapsed = timeline_->ElapsedAtPixel(x, view);
            EXPECT_GT(elapsed, last) << x;
            last = elapsed;
            EXPECT_NEAR(timeline_->PixelOfElapsed(elapsed, view), x, 1e-6) << x;
        }
    }
    const ChartBreak& pause = timeline_->Breaks()[0];
    const double start = static_cast<double>(logSamples_->ElapsedMillis(pause.Pause.Before));
    const double middle = start + static_cast<double>(pause.Pause.Millis()) / 2;
    EXPECT_NEAR(timeline_->PixelOfElapsed(middle, whole),
                timeline_->BreakPixel(0, whole) + whole.BreakPixels / 2.0, 1e-6);
}

TEST_F(ChartReferenceTest, ColumnsHoldTheSamplesPlacedInThemWithTheirExtremesAtEveryZoom) {
    // Narrow, so that far out a column holds a few hundred samples.
    const ChartView whole = timeline_->WholeLog(200, 10);
    const double spikeX = timeline_->PixelOfElapsed(Placed(kSpike), whole);
    const auto series = ReferenceSeries();
    for (const double factor : {1.0, 2.0, 3.0, 45.0, 400.0, 5000.0}) {
        const ChartView view = timeline_->Zoomed(whole, spikeX, factor);
        const ReferenceFrame frame = Compute(view);
        ASSERT_EQ(frame.Width(), view.Width);
        // Each sample's column, directly: the one whose stretch of time holds it.
        std::vector<double> edges;
        for (int c = 0; c <= view.Width; ++c) edges.push_back(timeline_->ElapsedAtPixel(c, view));
        std::vector<SampleRange> expected(static_cast<std::size_t>(view.Width), SampleRange{1, 0});
        for (std::int64_t r = 1; r <= kReferenceSamples; ++r) {
            const double at = Placed(r);
            const auto c = std::upper_bound(edges.begin(), edges.end(), at) - edges.begin() - 1;
            if (c < 0 || c >= view.Width) continue;
            SampleRange& column = expected[static_cast<std::size_t>(c)];
            if (column.Empty()) column.First = r;
            column.Last = r;
        }
        // Far out whole blocks go to the column of their first sample: a sample then lies
        // in its own column or the one beside it. Closer in each lies in its own.
        const bool far = frame.InView().Count() > 64 * view.Width;
        const auto columnOf = [&](std::int64_t r) {
            return std::upper_bound(edges.begin(), edges.end(), Placed(r)) - edges.begin() - 1;
        };
        bool spikeSeen = false;
        std::int64_t next = frame.InView().First;
        for (int c = 0; c < view.Width; ++c) {
            const SampleRange samples = frame.Samples(c);
            if (far) {
                if (samples.Empty()) continue;
                ASSERT_EQ(samples.First, next) << "factor " << factor << " column " << c;
                next = samples.Last + 1;
                for (const std::int64_t r : {samples.First, samples.Last}) {
                    ASSERT_LE(std::abs(columnOf(r) - c), 1)
                        << "factor " << factor << " sample " << r;
                }
            } else {
                ASSERT_EQ(samples.Empty(), expected[static_cast<std::size_t>(c)].Empty())
                    << "factor " << factor << " column " << c;
                if (samples.Empty()) continue;
                ASSERT_EQ(samples.First, expected[static_cast<std::size_t>(c)].First);
                ASSERT_EQ(samples.Last, expected[static_cast<std::size_t>(c)].Last);
            }
            for (std::size_t s = 0; s < 2; ++s) {
                double low = 1e300, high = -1e300;
                for (std::int64_t r = samples.First; r <= samples.Last; ++r) {
                    const double value = series[s]->ValueOf(reference_->Raw(r, series[s]->Slot()));
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
                ASSERT_EQ(frame.Extremes(s, c), std::make_pair(low, high))
                    << "factor " << factor << " column " << c << " series " << s;
            }
            spikeSeen |= samples.Contains(kSpike);
        }
        EXPECT_TRUE(spikeSeen) << "factor " << factor;
        if (far) EXPECT_EQ(next, frame.InView().Last + 1) << "every sample in view in a column";
        EXPECT_EQ(frame.Extremes(2, 0), std::make_pair(0.0, 0.0)) << "a series it lacks";
    }
}

TEST_F(ChartReferenceTest, CloseInTheSamplesArePointsWhereTheClockPlacesThem) {
    const ChartView whole = timeline_->WholeLog(800, 10);
    const ChartView view =
        timeline_->Zoomed(whole, timeline_->PixelOfElapsed(Placed(kSpike), whole), 1e6);
    const ReferenceFrame frame = Compute(view);
    ASSERT_TRUE(frame.ShowsPoints());
    ASSERT_GE(frame.Points().size(), 3u);
    EXPECT_LT(frame.Points().front().X, 0) << "the point before the view";
    EXPECT_GE(frame.Points().back().X, view.Width) << "the point after it";
    bool spike = false;
    for (std::size_t i = 0; i < frame.Points().size(); ++i) {
        const auto& point = frame.Points()[i];
        EXPECT_NEAR(point.X, timeline_->PixelOfElapsed(Placed(point.Sample), view), 1e-9);
        EXPECT_EQ(frame.PointValue(0, i), reference_->Value(point.Sample, 2));
        spike |= point.Sample == kSpike;
    }
    EXPECT_TRUE(spike);
    // Far off the reference's time: nothing.
    ChartView before = view;
    before.StartAxis = -1e7;
    EXPECT_TRUE(Compute(before).Points().empty());
    EXPECT_TRUE(Compute(before).InView().Empty());
}

TEST_F(ChartReferenceTest, ASpanTableHasBothLogsFiguresAndTheirDifferences) {
    const std::vector<ChartSeries> series = {ChartSeries::Item(1, 33), ChartSeries::Item(2, 7)};
    std::string error;
    auto span = ChartSpan::Compute(log_->file, {200, 500}, series, {}, error);
    ASSERT_TRUE(span) << error;
    // Only engine speed is paired (the reference's slot 2).
    const SampleRange under = ReferenceFrame::SamplesBetween(
        *referenceSamples_, kOffset, static_cast<double>(logSamples_->ElapsedMillis(200)),
        static_cast<double>(logSamples_->ElapsedMillis(500)) + 1);
    ASSERT_GT(under.First, 1);
    ASSERT_FALSE(under.Empty());
    EXPECT_GE(Placed(under.First), static_cast<double>(logSamples_->ElapsedMillis(200)));
    EXPECT_LT(Placed(under.First - 1), static_cast<double>(logSamples_->ElapsedMillis(200)));
    EXPECT_LE(Placed(under.Last), static_cast<double>(logSamples_->ElapsedMillis(500)));
    auto other = ChartSpan::Compute(reference_->file, under, {ChartSeries::Item(2, 33)}, {}, error);
    ASSERT_TRUE(other) << error;
    const ChartSpanComparison comparison(*span, *other, {0, -1}, kOffset);
    const auto header = ChartSpanComparison::HeaderCells();
    const std::vector<std::string> speed = comparison.Cells(0);
    ASSERT_EQ(speed.size(), header.size());
    const auto cell = [&](const std::vector<std::string>& cells, const std::string& name) {
        return cells[static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                              header.begin())];
    };
    const ChartSpan::Row& mine = span->Rows()[0];
    const ChartSpan::Row& theirs = other->Rows()[0];
    EXPECT_EQ(cell(speed, "At A"), FormatValue(log_->Value(200, 1)));
    EXPECT_EQ(cell(speed, "Ref at A"), FormatValue(reference_->Value(under.First, 2)));
    EXPECT_EQ(cell(speed, "Max diff"), ShownDifference(mine.Max, theirs.Max));
    EXPECT_EQ(cell(speed, "Mean diff"), ShownDifference(mine.Mean, theirs.Mean));
    const std::vector<std::string> coolant = comparison.Cells(1);
    EXPECT_EQ(cell(coolant, "Min"), FormatValue(span->Rows()[1].Min));
    EXPECT_EQ(cell(coolant, "Ref min"), "") << "the reference's coolant is not paired here";
    const std::string text = comparison.TabSeparatedText();
    EXPECT_NE(text.find("\nRef A\t" + std::to_string(under.First) + "\t"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nOffset\t+12.345 s\n"), std::string::npos) << text;
    // No reference sample under the span: its cells stay empty.
    const ChartSpanComparison alone(*span, std::nullopt, {0, -1}, kOffset);
    EXPECT_EQ(cell(alone.Cells(0), "Ref max"), "");
    EXPECT_NE(alone.TabSeparatedText().find("no sample under the span"), std::string::npos);
}

}  // namespace
}  // namespace orvane
