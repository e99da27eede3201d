// Computed items and the filter in the chart: their block summary and the frame's
// columns at every zoom against the values of every sample, a one-sample spike of a
// computed item, and the filter's counts.
#include <gtest/gtest.h>

#include <cmath>

#include "PlantedLog.h"
#include "analysis/ChartFrame.h"
#include "analysis/ChartTimeline.h"
#include "analysis/ComputedSummary.h"
#include "analysis/FormulaStream.h"

namespace orvane {
namespace {

using testing::PlantedLog;

constexpr std::int64_t kCount = 300'000;
constexpr std::int64_t kSpike = 187'653;  // engine speed jumps for this one sample

const std::vector<ComputedItemDefinition> kItems{
    {"Rev rate", "rpm/s", "(rpm - rpm_prev) / dt", {}, {}},  // no value where dt is 0
    {"Inj duty", "%", "ipw * rpm / 1200", 0.0, 100.0},
    {"Air", "", "maf * 2", {}, {}},  // the log has no maf
};

// Engine speed, pulse width and throttle about ten times a second, with a pause of a
// minute inside a block, repeated counters (dt 0) and the spike.
void Plant(PlantedLog& log) {
    std::int64_t millis = 0;
    for (std::int64_t i = 1; i <= kCount; ++i) {
        LogRecord record;
        if (i > 1) millis += i % 997 == 0 ? 0 : 95 + (i * 31) % 11;
        if (i == 100'017) millis += 60'000;
        record.Millis = static_cast<std::int32_t>(millis);
        record.SlotBytes[0] = static_cast<std::uint8_t>(60 + (i / 200) % 50);
        record.SlotBytes[1] = static_cast<std::uint8_t>(20 + (i * 13) % 90);
        record.SlotBytes[2] = static_cast<std::uint8_t>((i / 700) % 256);
        log.records.push_back(record);
    }
    log.records[kSpike - 1].SlotBytes[0] = 250;
}

class ChartComputedTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        log_ = new PlantedLog({33, 41, 23});
        Plant(*log_);
        file_ = &log_->Open();
        std::string error;
        auto summary = MinMaxSummary::Build(*file_, {}, {}, error);
        ASSERT_TRUE(summary) << error;
        summary_ = std::make_shared<const MinMaxSummary>(std::move(*summary));
        auto pauses = FindPauses(*file_, SampleRange::Whole(kCount), {}, error);
        ASSERT_TRUE(pauses) << error;
        auto timeline = ChartTimeline::Build(*file_, summary_, *pauses, {}, error);
        ASSERT_TRUE(timeline) << error;
        timeline_ = new ChartTimeline(std::move(*timeline));
        computed_ = new ComputedSummary(Summarise("tps > 60"));
        auto all =
            ReadFormulaValues(*file_, computed_->Formulas(), SampleRange::Whole(kCount), {}, error);
        ASSERT_TRUE(all) << error;
        values_ = new FormulaValues(std::move(*all));
    }
    static void TearDownTestSuite() {
        delete values_;
        delete computed_;
        delete timeline_;
        summary_.reset();
        delete log_;
    }
    static ComputedSummary Summarise(std::string_view filter) {
        std::string error;
        auto formulas = FormulaSet::Prepare(summary_->Outline(), kItems, filter, error);
        EXPECT_TRUE(formulas) << error;
        auto summary = ComputedSummary::Build(*file_, *summary_, std::move(*formulas), {}, error);
        EXPECT_TRUE(summary) << error;
        return std::move(*summary);
    }
    // The value of computed item `item` at a sample, evaluated sample by sample.
    static double Value(std::size_t item, std::int64_t sample) {
        return values_->Items[item][static_cast<std::size_t>(sample - 1)];
    }
    static bool Passes(std::int64_t sample) {
        return values_->Pass[static_cast<std::size_t>(sample - 1)] != 0;
    }
    // The extremes of an item over samples, NaN skipped; NaN for none.
    static std::pair<double, double> Direct(std::size_t item, SampleRange samples) {
        double low = NAN, high = NAN;
        for (std::int64_t s = samples.First; s <= samples.Last; ++s) {
            const double v = Value(item, s);
            if (std::isnan(v)) continue;
            if (std::isnan(low) || v < low) low = v;
            if (std::isnan(high) || v > high) high = v;
        }
        return {low, high};
    }
    static bool Same(std::pair<double, double> a, std::pair<double, double> b) {
        const auto same = [](double x, double y) {
            return x == y || (std::isnan(x) && std::isnan(y));
        };
        return same(a.first, b.first) && same(a.second, b.second);
    }

    static PlantedLog* log_;
    static LogFile* file_;
    static std::shared_ptr<const MinMaxSummary> summary_;
    static ChartTimeline* timeline_;
    static ComputedSummary* computed_;
    static FormulaValues* values_;
};
PlantedLog* ChartComputedTest::log_ = nullptr;
LogFile* ChartComputedTest::file_ = nullptr;
std::shared_ptr<const MinMaxSummary> ChartComputedTest::summary_;
ChartTimeline* ChartComputedTest::timeline_ = nullptr;
ComputedSummary* ChartComputedTest::computed_ = nullptr;
FormulaValues* ChartComputedTest::values_ = nullptr;

TEST_F(ChartComputedTest, TheSummaryHoldsTheExtremesAndPassesOfItsBlocks) {
    ASSERT_TRUE(computed_->Matches(*summary_));
    EXPECT_EQ(computed_->BlockSamples(), MinMaxSummary::MaxBlockSamples);
    // The spike's own value, and one of no value (a repeated counter), as computed directly.
    EXPECT_NEAR(
        Value(0, kSpike),
        (log_->Value(kSpike, 1) - log_->Value(kSpike - 1, 1)) /
            ((log_->records[kSpike - 1].Millis - log_->records[kSpike - 2].Millis) / 1000.0),
        1e-6);
    EXPECT_TRUE(std::isnan(Value(0, 997)));
    for (const auto& [first, end] : {std::pair<std::int64_t, std::int64_t>{0, 1},
                                     {31, 32},
                                     {5, 4100},
                                     {3125, 3126},  // the pause lies in this block
                                     {5864, 5865},  // the spike's
                                     {777, 9375},
                                     {0, computed_->Blocks()}}) {
        const SampleRange samples{summary_->FirstSampleOfBlock(first),
                                  summary_->SamplesOfBlock(end - 1).Last};
        for (std::size_t item = 0; item < 2; ++item) {
            const auto extremes = computed_->Extremes(item, first, end);
            ASSERT_TRUE(extremes) << first << " " << end;
            EXPECT_TRUE(Same({extremes->Min, extremes->Max}, Direct(item, samples)))
                << item << " " << first << " " << end;
        }
        EXPECT_FALSE(computed_->Extremes(2, first, end)) << "an absent item has no values";
        std::int64_t passed = 0;
        for (std::int64_t s = samples.First; s <= samples.Last; ++s) passed += Passes(s);
        EXPECT_EQ(computed_->Passed(first, end), passed) << first << " " << end;
    }
    // The whole log's range is the default scale; a run of samples without a value has none.
    const auto range = computed_->Range(1);
    ASSERT_TRUE(range);
    EXPECT_TRUE(Same({range->Min, range->Max}, Direct(1, SampleRange::Whole(kCount))));
    EXPECT_FALSE(computed_->Extremes(0, 20, 20));
}

TEST_F(ChartComputedTest, TheFilterCountsNoneSomeOrAllSamples) {
    EXPECT_EQ(Summarise("tps > 1000").Passed(), 0);
    EXPECT_EQ(Summarise("tps >= 0").Passed(), kCount);
    EXPECT_EQ(Summarise("").Passed(), kCount) << "without a filter every sample passes";
    std::int64_t passed = 0;
    for (std::int64_t s = 1; s <= kCount; ++s) passed += Passes(s);
    EXPECT_GT(passed, 0);
    EXPECT_LT(passed, kCount);
    EXPECT_EQ(computed_->Passed(), passed);
    // A filter that names what the log lacks lets no sample through.
    EXPECT_EQ(Summarise("maf > 1").Passed(), 0);
}

TEST_F(ChartComputedTest, AComputedSpikeAndTheFilterShowExactlyAtEveryZoom) {
    const FormulaSet& formulas = computed_->Formulas();
    const std::vector<ChartSeries> series = {
        ChartSeries::Computed(0, formulas.Item(0).Definition()),
        ChartSeries::Item(1, 33),
        ChartSeries::Computed(2, formulas.Item(2).Definition()),
    };
    std::vector<std::uint8_t> scratch;
    std::string error;
    const std::pair<double, double> up = {Value(0, kSpike), Value(0, kSpike)};
    const std::pair<double, double> down = {Value(0, kSpike + 1), Value(0, kSpike + 1)};
    ChartView view = timeline_->WholeLog(1200, 10);
    int zooms = 0;
    bool sawPoints = false;
    while (true) {
        const auto frame =
            ChartFrame::Compute(*timeline_, *file_, series, view, computed_, scratch, error);
        ASSERT_TRUE(frame) << error;
        ASSERT_TRUE(frame->Filtered());
        std::int64_t next = frame->InView().First;
        for (int c = 0; c < frame->Width(); ++c) {
            const SampleRange samples = frame->Samples(c);
            if (samples.Empty()) continue;
            ASSERT_EQ(samples.First, next);
            next = samples.Last + 1;
            ASSERT_TRUE(Same(frame->Extremes(0, c), Direct(0, samples)))
                << "zoom " << zooms << " column " << c;
            ASSERT_TRUE(std::isnan(frame->Extremes(2, c).first));
            std::int64_t passed = 0;
            for (std::int64_t s = samples.First; s <= samples.Last; ++s) passed += Passes(s);
            ASSERT_EQ(frame->Passed(c), passed) << "zoom " << zooms << " column " << c;
        }
        // The spike up and the fall after it show in their columns.
        const auto x = frame->PixelOf(kSpike);
        ASSERT_TRUE(x && *x >= 0 && *x < 1200) << "zoom " << zooms;
        const int column = static_cast<int>(*x);
        EXPECT_EQ(frame->Extremes(0, column).second, Direct(0, frame->Samples(column)).second);
        EXPECT_GE(frame->Extremes(0, column).second, up.second) << "zoom " << zooms;
        const auto after = frame->PixelOf(kSpike + 1);
        ASSERT_TRUE(after);
        if (*after >= 0 && *after < 1200) {
            EXPECT_LE(frame->Extremes(0, static_cast<int>(*after)).first, down.first);
        }
        if (frame->ShowsPoints()) {
            sawPoints = true;
            for (std::size_t i = 0; i < frame->Points().size(); ++i) {
                const std::int64_t s = frame->Points()[i].Sample;
                ASSERT_TRUE(Same({frame->PointValue(0, i), frame->PointValue(0, i)},
                                 {Value(0, s), Value(0, s)}));
                ASSERT_EQ(frame->PointPasses(i), Passes(s));
            }
        }
        const ChartView closer = timeline_->Zoomed(view, *x, 4);
        if (closer.MillisPerPixel == view.MillisPerPixel) break;
        view = closer;
        ++zooms;
    }
    EXPECT_GE(zooms, 7);
    EXPECT_TRUE(sawPoints);

    // Around the pause, which splits a block, far out and close in.
    for (const double factor : {1.0, 20.0, 2000.0}) {
        const ChartView whole = timeline_->WholeLog(1200, 10);
        const ChartView around = timeline_->Zoomed(whole, timeline_->BreakPixel(0, whole), factor);
        const auto frame =
            ChartFrame::Compute(*timeline_, *file_, series, around, computed_, scratch, error);
        ASSERT_TRUE(frame) << error;
        for (int c = 0; c < frame->Width(); ++c) {
            const SampleRange samples = frame->Samples(c);
            if (samples.Empty()) continue;
            ASSERT_TRUE(Same(frame->Extremes(0, c), Direct(0, samples))) << factor << " " << c;
        }
    }
    // Without the summary (or with one of other blocks) a computed series has no values
    // and nothing is filtered.
    const auto plain = ChartFrame::Compute(*timeline_, *file_, series,
                                           timeline_->WholeLog(1200, 10), nullptr, scratch, error);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->Filtered());
    EXPECT_TRUE(std::isnan(plain->Extremes(0, 600).first));
    EXPECT_EQ(plain->Passed(600), plain->Samples(600).Count());
}

TEST(ChartComputedSeries, IsKeptByNameAndWritesTwoDecimalsWithItsUnit) {
    PlantedLog log({33, 41});
    log.Random(50, 3);
    const LogFile& file = log.Open();
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    ASSERT_TRUE(outline) << error;
    auto formulas = FormulaSet::Prepare(*outline, kItems, "", error);
    ASSERT_TRUE(formulas) << error;
    const auto duty = SeriesByKey(*outline, "Inj duty", *formulas);
    ASSERT_TRUE(duty);
    EXPECT_EQ(duty->SeriesKind(), ChartSeries::Kind::Computed);
    EXPECT_EQ(duty->Key(), "Inj duty");
    EXPECT_EQ(duty->Text(12.3), "12.30%");
    EXPECT_EQ(duty->Text(NAN), "");
    EXPECT_EQ(duty->CatalogueScale(), std::make_pair(0.0, 100.0));
    EXPECT_FALSE(SeriesByKey(*outline, "Rev rate", *formulas)->DefinedScale());
    // An absent item and an unknown name are left out; codes still name items.
    EXPECT_FALSE(SeriesByKey(*outline, "Air", *formulas));
    EXPECT_FALSE(SeriesByKey(*outline, "Nothing", *formulas));
    EXPECT_EQ(SeriesByKey(*outline, "33", *formulas)->SeriesKind(), ChartSeries::Kind::Item);
    EXPECT_EQ(ComputedSeriesOf(*formulas).size(), 2u);
}

}  // namespace
}  // namespace orvane
