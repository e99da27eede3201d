// The chart window in a real player: opened with Ctrl+G, read out as the value boxes
// write, seeking and following as the strip does, its panes kept in the settings file,
// a measured span, and a log swapped under it.
#include <QCheckBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest/QTest>
#include <fstream>
#include <sstream>

#include "DemoDrive.h"
#include "PlayerFixture.h"
#include "views/chart/ChartPanes.h"
#include "views/chart/ChartWindow.h"

namespace orvane::testing {
namespace {

class ChartWindowTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        std::ifstream demo(ORVANE_DEMO_INI, std::ios::binary);
        std::stringstream text;
        text << demo.rdbuf();
        WriteIni(text.str());
        window->Form_Load();
        ASSERT_FALSE(host.ended);
    }
    // A demo drive with a pause of 653 s after sample 1200, opened as the dialog would.
    std::string OpenDrive(const std::string& name = "orvn0001.bin", int records = 3000) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(demo::WriteDemoLog(path, records, 3, DateTime::FromCivil(2026, 12, 5, 10),
                                       nullptr, 100, demo::DefaultDemoSlots(), {{1200, 653}}));
        window->CloseLog();
        window->State().LogFileName = path;
        window->OpenLog(path);
        return path;
    }
    ChartWindow* OpenChart() {
        Run(Command::Chart);
        ChartWindow* chart = window->Views().Chart();
        EXPECT_NE(chart, nullptr);
        if (!chart) return nullptr;
        chart->resize(1000, 700);
        EXPECT_TRUE(QTest::qWaitFor([chart] { return chart->Ready(); }, 30000));
        WaitForJobs();
        return chart;
    }
    std::string Ini() const {
        std::ifstream file(IniPath(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(ChartWindowTest, CtrlGOpensItAndItsReadoutIsWhatTheValueBoxesShow) {
    Run(Command::Chart);
    EXPECT_EQ(window->Views().Chart(), nullptr) << "nothing without a log";
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("Chart \u2014 orvn0001.bin"));
    // The default panes, each with the items of the drive.
    ASSERT_EQ(chart->Canvas()->Panes().size(), 4u);
    EXPECT_EQ(chart->Canvas()->Panes()[0].Series[0].Name(), "Engine speed");
    EXPECT_EQ(chart->Canvas()->Timeline()->Breaks().size(), 1u);

    for (const std::int32_t sample : {1, 777, 1201, 3000}) {
        window->SeekToSample(sample);
        QTest::qWait(ChartWindow::PlayheadIntervalMs * 3);
        const QStringList lines = chart->CopyText().split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[0], QStringLiteral("Sample\t%1").arg(sample));
        EXPECT_EQ(
            lines[1],
            QStringLiteral("Time\t") + window->txtTime->text() + QStringLiteral(".") +
                QStringLiteral("%1").arg(window->txtMs->text().toInt(), 3, 10, QLatin1Char('0')));
        int compared = 0;
        for (int n = 1; n <= DisplaySlotCount; ++n) {
            const int slot = window->Session().Bindings()[static_cast<std::size_t>(n - 1)].Source;
            if (window->txtResult[n]->text().isEmpty()) continue;
            for (const ChartSeries& series : chart->Canvas()->AllSeries()) {
                if (series.Slot() != slot) continue;
                const QString line =
                    QString::fromStdString(series.Name()) + "\t" + window->txtResult[n]->text();
                EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " at " << sample;
                ++compared;
            }
        }
        EXPECT_GE(compared, 5);
    }
}

TEST_F(ChartWindowTest, AClickSeeksAsTheStripDoesAndPlaybackIsFollowed) {
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    QSignalSpy seeks(&window->Session(), &LogSession::SeekRequested);
    const QRect plot = canvas->PlotRect();
    const int x = plot.x() + plot.width() / 3;
    const std::int64_t expected = canvas->Frame()->SampleAt(x - plot.x());
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x, plot.height() / 2));
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_EQ(seeks[0][0].toLongLong(), expected);
    EXPECT_EQ(window->Session().ShownSample(), expected);
    // A drag pans and does not seek.
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x, 100));
    QTest::mouseMove(canvas, QPoint(x - 40, 100));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x - 40, 100));
    EXPECT_EQ(seeks.count(), 1);

    // Zoomed in at the start, the view follows the playhead far on...
    canvas->ShowWholeLog();
    canvas->ZoomAt(0, 100);
    const double zoom = canvas->View().MillisPerPixel;
    window->SeekToSample(2500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->Frame()->InView().Contains(2500); }, 2000));
    EXPECT_EQ(canvas->View().MillisPerPixel, zoom) << "the zoom is kept";
    // ...and stays still without following.
    chart->chkFollow->setChecked(false);
    const ChartView still = canvas->View();
    window->SeekToSample(100);
    QTest::qWait(ChartWindow::PlayheadIntervalMs * 3);
    EXPECT_EQ(canvas->View(), still);
    EXPECT_EQ(canvas->Playhead(), 100);
}

TEST_F(ChartWindowTest, ItsPanesAreKeptAndRestoredAndBadSectionsGiveTheDefaults) {
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    const auto coolant = SeriesByKey(window->Session().Outline(), "7");
    ASSERT_TRUE(coolant);
    chart->AddSeries(0, *coolant);
    chart->RemovePane(3);
    EXPECT_NE(Ini().find("[Chart]"), std::string::npos);
    EXPECT_NE(Ini().find("Pane1=33,23,7"), std::string::npos);
    EXPECT_NE(Ini().find("Pane4=\r\n"), std::string::npos) << Ini();
    const auto kept = ChartPanes::Read(nullptr);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->size(), 3u);
    {
        ChartWindow again(window->Session(), host);
        EXPECT_EQ(ChartPanes::KeysOf({again.Canvas()->Panes()[0].Series}),
                  (ChartPanes::Keys{{"33", "23", "7"}}));
        EXPECT_EQ(again.Canvas()->Panes().size(), 3u);
    }
    // Codes the log lacks are left out; a switch is named by its label.
    WriteSetting("Chart", "Pane1", "33,99,Idle-SW");
    WriteSetting("Chart", "Pane2", "98");
    WriteSetting("Chart", "Pane3", "");
    ForgetCachedSettings();
    {
        ChartWindow lacking(window->Session(), host);
        ASSERT_EQ(lacking.Canvas()->Panes().size(), 1u);
        EXPECT_EQ(ChartPanes::KeysOf({lacking.Canvas()->Panes()[0].Series}),
                  (ChartPanes::Keys{{"33", "Idle-SW"}}));
    }
    // An unreadable section: the default panes.
    WriteSetting("Chart", "Pane1", "33,rpm");
    ForgetCachedSettings();
    std::string problem;
    EXPECT_FALSE(ChartPanes::Read(&problem));
    EXPECT_NE(problem.find("rpm"), std::string::npos);
    ChartWindow unreadable(window->Session(), host);
    EXPECT_EQ(unreadable.Canvas()->Panes().size(), 4u);
}

TEST_F(ChartWindowTest, AShiftDragMeasuresASpanThatCanBecomeTheRange) {
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    const QRect plot = canvas->PlotRect();
    const int a = plot.x() + 100, b = plot.x() + 300;
    QTest::mousePress(canvas, Qt::LeftButton, Qt::ShiftModifier, QPoint(b, 100));
    QTest::mouseMove(canvas, QPoint(a, 100));
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ShiftModifier, QPoint(a, 100));
    ASSERT_TRUE(canvas->Span());
    const SampleRange span = *canvas->Span();
    EXPECT_LT(span.First, span.Last);
    EXPECT_EQ(span.First, canvas->Frame()->SampleAt(100));
    WaitForJobs();
    ASSERT_TRUE(chart->SpanFigures());
    EXPECT_EQ(chart->SpanTable()->rowCount(), static_cast<int>(canvas->AllSeries().size()));
    EXPECT_TRUE(
        chart->CopyText().startsWith(QStringLiteral("\tSample\tTime\nA\t%1\t").arg(span.First)));
    chart->UseSpanAsRange();
    EXPECT_EQ(window->Session().Range(), span);
    // Escape clears the span (and not the range: the chart keeps the key).
    chart->activateWindow();
    QTest::keyClick(canvas, Qt::Key_Escape);
    EXPECT_FALSE(canvas->Span());
    EXPECT_FALSE(chart->SpanFigures());
    EXPECT_EQ(window->Session().Range(), span);
}

TEST_F(ChartWindowTest, ALogSwappedWhileTheChartComputesShowsTheNewLog) {
    OpenDrive("orvn0001.bin", 20'000);
    Run(Command::Chart);
    ChartWindow* chart = window->Views().Chart();
    ASSERT_NE(chart, nullptr);
    // Opened at once, before the first log's summary or timeline could come.
    OpenDrive("orvn0002.bin", 500);
    ASSERT_TRUE(QTest::qWaitFor([chart] { return chart->Ready(); }, 30000));
    WaitForJobs();
    EXPECT_EQ(chart->Canvas()->Timeline()->Records(), 500);
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("Chart \u2014 orvn0002.bin"));
    // And none at all after a log is closed.
    window->Session().Close();
    EXPECT_FALSE(chart->Ready());
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("Chart"));
}

}  // namespace
}  // namespace orvane::testing
