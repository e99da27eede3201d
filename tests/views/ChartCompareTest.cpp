// The chart with a reference log laid over it, in a real player: a planted step in both
// logs (in different slot orders) lined up by Align here, the reference drawn dashed
// and paler where its values put it, both values and the difference in the texts, a
// span beside the reference's, Alt and a drag, and the offset kept for the pair.
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest/QTest>
#include <cmath>

#include "PlayerFixture.h"
#include "analysis/ShownDifference.h"
#include "views/chart/ChartWindow.h"

namespace orvane::testing {
namespace {

// Engine speed steps up at sample 151 of the log and at sample 91 of the reference.
constexpr std::int64_t kLogStep = 151;
constexpr std::int64_t kReferenceStep = 91;

class ChartCompareTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
        // The log: engine speed, throttle, coolant. The reference: coolant, engine speed
        // and knock sum (no throttle), 100 ms apart as the log.
        LogBuilder log;
        log.Slots({33, 23, 7}).Start(DateTime::FromCivil(2026, 12, 5, 10));
        for (int i = 1; i <= 300; ++i) {
            log.Record((i - 1) * 100,
                       {static_cast<std::uint8_t>(i < kLogStep ? 60 : 120), 50, 120});
        }
        LogBuilder reference;
        reference.Slots({7, 33, 38}).Start(DateTime::FromCivil(2026, 12, 6, 10));
        for (int i = 1; i <= 250; ++i) {
            reference.Record((i - 1) * 100,
                             {140, static_cast<std::uint8_t>(i < kReferenceStep ? 40 : 100), 3});
        }
        logPath = Open(log);
        referencePath = dir.File("orvn0002.bin");
        WriteBytes(referencePath, reference.Bytes());
    }
    ChartWindow* CompareInChart() {
        host.openAnswer = QString::fromStdString(referencePath);
        Run(Command::Compare);
        EXPECT_NE(window->Session().Reference(), nullptr);
        Run(Command::Chart);
        ChartWindow* chart = window->Views().Chart();
        EXPECT_NE(chart, nullptr);
        if (!chart) return nullptr;
        chart->resize(1000, 700);
        EXPECT_TRUE(QTest::qWaitFor([chart] { return chart->ReferenceReady(); }, 30000));
        WaitForJobs();
        return chart;
    }
    // Hovers over plot pixel x.
    static void HoverAt(ChartCanvas* canvas, double x) {
        const QPoint at(canvas->PlotRect().x() + static_cast<int>(std::lround(x)), 50);
        QTest::mouseMove(canvas, at);
        canvas->SetCursorAt(at.x());
    }
    std::string logPath, referencePath;
};

TEST_F(ChartCompareTest, AlignHerePutsTheReferencesStepOnTheLogsAndThePairKeepsIt) {
    ChartWindow* chart = CompareInChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    window->SeekToSample(kLogStep);
    QTest::qWait(ChartWindow::PlayheadIntervalMs * 3);
    // The starts meet: the steps lie 6 s apart.
    const auto frame = canvas->Frame();
    ASSERT_NE(frame, nullptr);
    const double logStep = *frame->PixelOf(kLogStep);
    EXPECT_LT(*canvas->PixelOfReferenceSample(kReferenceStep), logStep - 10);
    QSignalSpy changes(&window->Session(), &LogSession::ReferenceChanged);
    const std::int64_t position = State().PlayPosition;

    HoverAt(canvas, *canvas->PixelOfReferenceSample(kReferenceStep));
    ASSERT_EQ(canvas->ReferenceReadoutSample(), kReferenceStep);
    chart->activateWindow();
    QTest::keyClick(canvas, Qt::Key_L);
    EXPECT_EQ(window->Session().ReferenceOffsetMillis(), (kLogStep - kReferenceStep) * 100);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_NEAR(*canvas->PixelOfReferenceSample(kReferenceStep), logStep, 1e-6);
    EXPECT_TRUE(chart->lblReference->text().contains("+6.000"))
        << chart->lblReference->text().toStdString();
    EXPECT_TRUE(chart->lblReference->text().contains("orvn0002.bin"));
    EXPECT_FALSE(chart->lblReference->text().contains("reading"));
    EXPECT_TRUE(chart->lblReference->text().contains("only in the reference: Knock sum"));
    EXPECT_EQ(State().PlayPosition, position) << "playback stays where it was";
    EXPECT_EQ(window->Session().ShownSample(), kLogStep);

    // Opened again, the log brings its reference back at the same offset.
    window->CloseLog();
    window->State().LogFileName = logPath;
    window->OpenLog(logPath);
    ASSERT_NE(window->Session().Reference(), nullptr);
    EXPECT_EQ(window->Session().ReferenceOffsetMillis(), 6000);
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->ReferenceReady(); }, 30000));
    EXPECT_TRUE(chart->lblReference->text().contains("+6.000"));
}

TEST_F(ChartCompareTest, TheReferenceIsDrawnDashedAndPalerOnItsItemsRow) {
    ChartWindow* chart = CompareInChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    ASSERT_EQ(canvas->Panes().size(), 2u);  // engine speed and throttle; coolant
    ASSERT_EQ(canvas->Panes()[1].Series[0].Code(), 7);
    const QImage picture = canvas->Picture();
    // The reference's coolant (140 raw) is flat: a row of its own, given by the scale.
    const auto scale = canvas->ScaleOf(1, 0);
    const double value = canvas->Panes()[1].Series[0].ValueOf(140);
    const QRect pane = canvas->PaneRect(1);
    const QRect area = pane.adjusted(0, 16, 0, -2);
    const double share = (value - scale.first) / (scale.second - scale.first);
    const double row = area.bottom() - share * (area.height() - 1);
    const QColor pale = ChartCanvas::ReferenceColour(2);
    EXPECT_NE(pale, ChartCanvas::SeriesColour(2));
    // From the reference's tenth sample to its 240th.
    const int from = canvas->PlotRect().x() + static_cast<int>(*canvas->PixelOfReferenceSample(10));
    const int to = canvas->PlotRect().x() + static_cast<int>(*canvas->PixelOfReferenceSample(240));
    int on = 0, off = 0, elsewhere = 0;
    for (int y = pane.top(); y <= pane.bottom(); ++y) {
        for (int x = from; x <= to; ++x) {
            if (QColor(picture.pixel(x, y)) != pale) continue;
            if (std::abs(y - row) <= 1) {
                ++on;
            } else {
                ++elsewhere;
            }
        }
    }
    for (int x = from; x <= to; ++x) {
        bool any = false;
        for (int y = static_cast<int>(row) - 1; y <= static_cast<int>(row) + 1; ++y)
            any |= QColor(picture.pixel(x, y)) == pale;
        off += any ? 0 : 1;
    }
    EXPECT_GT(on, (to - from) / 2) << "drawn along its row";
    EXPECT_GT(off, (to - from) / 8) << "with gaps: dashed";
    EXPECT_EQ(elsewhere, 0);
    // The throttle, which the reference lacks, has no line of its own for it.
    for (int y = canvas->PaneRect(0).top(); y <= canvas->PaneRect(0).bottom(); ++y) {
        for (int x = from; x <= to; ++x)
            ASSERT_NE(QColor(picture.pixel(x, y)), ChartCanvas::ReferenceColour(1));
    }
}

TEST_F(ChartCompareTest, LegendsReadoutCopyAndSpanGiveBothValuesAndTheDifference) {
    ChartWindow* chart = CompareInChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    // At sample 100 of the log: the reference's sample 100 too (the starts meet).
    HoverAt(canvas, *canvas->Frame()->PixelOf(100));
    ASSERT_EQ(canvas->CursorSample(), 100);
    ASSERT_EQ(canvas->ReferenceReadoutSample(), 100);
    const ChartSeries speed = canvas->Panes()[0].Series[0];
    const double mine = speed.ValueOf(60), theirs = speed.ValueOf(100);
    const QStringList lines = chart->CopyText().split(QLatin1Char('\n'));
    EXPECT_EQ(lines[0], "Sample\t100\t100");
    EXPECT_TRUE(lines[1].startsWith("Time\t10:00:09.900\t10:00:09.900")) << lines[1].toStdString();
    const QString diff = QString::fromStdString(ShownDifference(mine, theirs) + speed.Unit());
    EXPECT_TRUE(lines.contains(QString::fromStdString("Engine speed\t" + speed.Text(mine) + "\t" +
                                                      speed.Text(theirs) + "\t") +
                               diff))
        << chart->CopyText().toStdString();
    EXPECT_TRUE(lines.contains("Throttle position\t" +
                               QString::fromStdString(canvas->Panes()[0].Series[1].Text(
                                   canvas->Panes()[0].Series[1].ValueOf(50))) +
                               "\t(main only)\t"))
        << chart->CopyText().toStdString();
    const QString legend = canvas->ComparedLegendText(speed, mine, ChartSeries::Item(2, 33), theirs,
                                                      canvas->ScaleOf(0, 0));
    EXPECT_TRUE(
        legend.contains(QString::fromStdString(", ref " + speed.Text(theirs) + ", diff ") + diff))
        << legend.toStdString();
    EXPECT_TRUE(canvas
                    ->ComparedLegendText(canvas->Panes()[0].Series[1], 1.0, std::nullopt,
                                         std::nullopt, canvas->ScaleOf(0, 1))
                    .contains("(main only)"));
    EXPECT_TRUE(chart->ReadoutText().contains("reference sample 100 at 10:00:09.900"))
        << chart->ReadoutText().toStdString();

    // A span over the log's step: both columns and the differences.
    window->Session().SetReferenceOffset(2000);
    QTest::qWait(10);
    chart->SetSpan(SampleRange{141, 161});
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->SpanComparison().has_value(); }, 30000));
    const auto& comparison = *chart->SpanComparison();
    ASSERT_TRUE(comparison.Reference());
    EXPECT_EQ(comparison.Reference()->Samples(), (SampleRange{121, 141})) << "placed 2 s later";
    QTableWidget* table = chart->SpanTable();
    EXPECT_EQ(table->columnCount(), static_cast<int>(ChartSpanComparison::HeaderCells().size()));
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "Ref at A");
    EXPECT_EQ(table->item(0, 3)->text(), QString::fromStdString(FormatValue(theirs)));
    EXPECT_EQ(table->item(0, 2)->text(), QString::fromStdString(FormatValue(mine)));
    EXPECT_TRUE(chart->CopyText().contains("\nRef A\t121\t")) << chart->CopyText().toStdString();
    // Stop comparing: the span's own table again.
    Run(Command::StopComparing);
    EXPECT_FALSE(chart->ReferenceReady());
    EXPECT_FALSE(chart->SpanComparison());
    EXPECT_FALSE(chart->lblReference->isVisible());
}

TEST_F(ChartCompareTest, AltAndADragSlideTheReferenceAndKeepTheOffsetOnce) {
    ChartWindow* chart = CompareInChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    QSignalSpy changes(&window->Session(), &LogSession::ReferenceChanged);
    const std::int64_t position = State().PlayPosition;
    const int y = canvas->PaneRect(0).center().y();
    const int x = canvas->PlotRect().x() + 200;
    const double before = *canvas->PixelOfReferenceSample(50);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::AltModifier, QPoint(x, y));
    QTest::mouseMove(canvas, QPoint(x + 30, y));
    QTest::mouseMove(canvas, QPoint(x + 60, y));
    EXPECT_NEAR(*canvas->PixelOfReferenceSample(50), before + 60, 0.5) << "live";
    EXPECT_EQ(changes.count(), 0);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::AltModifier, QPoint(x + 60, y));
    EXPECT_EQ(changes.count(), 1);
    const double millis = 60 * canvas->View().MillisPerPixel;
    EXPECT_NEAR(static_cast<double>(window->Session().ReferenceOffsetMillis()), millis, 1);
    EXPECT_EQ(window->Session().Marks().Reference->OffsetMillis,
              window->Session().ReferenceOffsetMillis());
    EXPECT_EQ(State().PlayPosition, position) << "no seek, no pan";
}

TEST_F(ChartCompareTest, AReferenceOpenedUnderAnOpenChartIsDrawnOnceReadAndFollowsTheLog) {
    Run(Command::Chart);
    ChartWindow* chart = window->Views().Chart();
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->Ready(); }, 30000));
    EXPECT_FALSE(chart->ReferenceReady());
    EXPECT_FALSE(chart->lblReference->isVisible());
    // Its summary is worked out after it opens: drawn once that is done.
    host.openAnswer = QString::fromStdString(referencePath);
    Run(Command::Compare);
    EXPECT_TRUE(chart->lblReference->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->ReferenceReady(); }, 30000));
    ASSERT_NE(chart->Canvas()->RefFrame(), nullptr);
    EXPECT_FALSE(chart->Canvas()->RefFrame()->InView().Empty());
    // Another log: the reference stays, paired with the new log's slots.
    LogBuilder other;
    other.Slots({7, 33}).Start(DateTime::FromCivil(2026, 12, 7, 10));
    for (int i = 0; i < 100; ++i) other.Record(i * 100, {120, 70});
    Open(other, "orvn0003.bin");
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->ReferenceReady(); }, 30000));
    EXPECT_EQ(chart->Canvas()->ReferenceLog()->Pairing.ReferenceSlotOf(1), 1);  // coolant
    EXPECT_EQ(chart->Canvas()->ReferenceLog()->Pairing.ReferenceSlotOf(2), 2);  // engine speed
    EXPECT_FALSE(chart->CopyText().contains("(main only)")) << chart->CopyText().toStdString();
}

}  // namespace
}  // namespace orvane::testing
