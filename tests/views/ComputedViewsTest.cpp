// Computed items and the filter in the chart and the overview strip of a real player:
// a pane naming a computed item kept and restored, its legend, the filter's shading
// and status line, and a trace that follows a computed item.
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QtTest/QTest>
#include <fstream>
#include <sstream>

#include "DemoDrive.h"
#include "PlayerFixture.h"
#include "views/chart/ChartPanes.h"
#include "views/chart/ChartWindow.h"
#include "views/overview/OverviewStrip.h"

namespace orvane::testing {
namespace {

class ComputedViewsTest : public PlayerFixture {
protected:
    // The demo layout (which defines "Inj duty", 0 to 100 %), with `overview` as the
    // strip's first trace when given.
    void Load(const std::string& overview = "") {
        std::ifstream demo(ORVANE_DEMO_INI, std::ios::binary);
        std::stringstream text;
        text << demo.rdbuf();
        WriteIni(text.str());
        if (!overview.empty()) {
            WriteSetting("Overview", "Item1", overview);
            ForgetCachedSettings();
        }
        window->Form_Load();
        ASSERT_FALSE(host.ended);
    }
    void OpenDrive() {
        const std::string path = dir.File("orvn0001.bin");
        ASSERT_TRUE(demo::WriteDemoLog(path, 3000, 3, DateTime::FromCivil(2026, 12, 5, 10), nullptr,
                                       100, demo::DefaultDemoSlots(), {{1200, 653}}));
        window->CloseLog();
        window->State().LogFileName = path;
        window->OpenLog(path);
        WaitForJobs();
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

TEST_F(ComputedViewsTest, AComputedPaneIsKeptByNameAndReadsOutWithTwoDecimals) {
    Load();
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    // The pane's menu offers the log's computed items and makes new ones; the chart's
    // menu sets the filter.
    {
        const std::unique_ptr<QMenu> menu = chart->PaneMenu(1);
        QStringList entries, items;
        for (QAction* action : menu->actions()) {
            entries << action->text();
            if (action->menu()) {
                for (QAction* item : action->menu()->actions()) items << item->text();
            }
        }
        EXPECT_TRUE(items.contains(QStringLiteral("Inj duty"))) << items.join(", ").toStdString();
        EXPECT_TRUE(entries.contains(QStringLiteral("New computed item\u2026")));
        EXPECT_TRUE(entries.contains(QStringLiteral("Filter\u2026")));
    }
    ASSERT_TRUE(chart->AddComputedSeries(1, "Inj duty"));
    EXPECT_FALSE(chart->AddComputedSeries(1, "No such item"));
    EXPECT_NE(Ini().find("Pane2=38,6,Inj duty"), std::string::npos) << Ini();
    {
        ChartWindow again(window->Session(), host);
        EXPECT_EQ(ChartPanes::KeysOf({again.Canvas()->Panes()[1].Series}),
                  (ChartPanes::Keys{{"38", "6", "Inj duty"}}));
    }
    // An unknown name is left out like a code the log lacks; an input name is no item.
    WriteSetting("Chart", "Pane1", "33,Nothing,Inj duty");
    WriteSetting("Chart", "Pane2", "");
    ForgetCachedSettings();
    {
        ChartWindow lacking(window->Session(), host);
        ASSERT_EQ(lacking.Canvas()->Panes().size(), 1u);
        EXPECT_EQ(ChartPanes::KeysOf({lacking.Canvas()->Panes()[0].Series}),
                  (ChartPanes::Keys{{"33", "Inj duty"}}));
    }

    ChartCanvas* canvas = chart->Canvas();
    const ChartSeries duty = canvas->Panes()[1].Series.back();
    ASSERT_EQ(duty.SeriesKind(), ChartSeries::Kind::Computed);
    EXPECT_EQ(canvas->ScaleOf(1, 2), std::make_pair(0.0, 100.0));
    EXPECT_EQ(canvas->LegendText(duty, 12.3, {0, 100}),
              QStringLiteral("Inj duty 12.30%  [0 \u2013 100]"));
    // The readout at a sample is the formula's value there.
    window->SeekToSample(777);
    QTest::qWait(ChartWindow::PlayheadIntervalMs * 3);
    const auto record = canvas->RecordOf(777);
    ASSERT_TRUE(record);
    const double expected =
        ConvertValue(41, record->SlotBytes[window->Session().Outline().SlotOf(41) - 1]) *
        ConvertValue(33, record->SlotBytes[window->Session().Outline().SlotOf(33) - 1]) / 1200;
    const auto value = canvas->ValueAtSample(duty, 777);
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(*value, expected);
    EXPECT_TRUE(chart->CopyText().contains(QStringLiteral("Inj duty\t") +
                                           QString::fromStdString(duty.Text(expected))));
}

TEST_F(ComputedViewsTest, TheSamplesTheFilterRejectsAreShadedAndCounted) {
    Load();
    OpenDrive();
    ChartWindow* chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    ChartCanvas* canvas = chart->Canvas();
    // The pane's bottom row: no line reaches it, so only shading changes it.
    const auto pixel = [&](const QImage& picture, int column) {
        const QRect box = canvas->PaneRect(0);
        return picture.pixelColor(box.x() + column, box.bottom());
    };
    const QImage before = canvas->Picture();
    EXPECT_FALSE(chart->lblFilter->isVisible());

    QString problem;
    EXPECT_FALSE(chart->ApplyFilter(QStringLiteral("rpm >"), &problem));
    EXPECT_FALSE(problem.isEmpty());
    // The first 100 seconds pass; all later samples are shaded.
    ASSERT_TRUE(chart->ApplyFilter(QStringLiteral("t < 100"), &problem)) << problem.toStdString();
    WaitForJobs();
    const ChartFrame* frame = canvas->Frame();
    ASSERT_TRUE(frame && frame->Filtered());
    const int width = frame->Width();
    const int early = 5, late = width - 5;
    ASSERT_FALSE(frame->Samples(early).Empty());
    ASSERT_FALSE(frame->Samples(late).Empty());
    EXPECT_EQ(frame->Passed(early), frame->Samples(early).Count());
    EXPECT_EQ(frame->Passed(late), 0);
    const QImage filtered = canvas->Picture();
    EXPECT_EQ(pixel(filtered, early), pixel(before, early));
    EXPECT_NE(pixel(filtered, late), pixel(before, late));
    EXPECT_TRUE(chart->FilterText().startsWith(QStringLiteral("t < 100: ")));
    EXPECT_TRUE(chart->FilterText().endsWith(QStringLiteral(" of 3,000 samples")))
        << chart->FilterText().toStdString();
    EXPECT_TRUE(chart->lblFilter->text().contains(chart->FilterText()));

    // Empty clears it, and the shading goes.
    ASSERT_TRUE(chart->ApplyFilter(QString()));
    WaitForJobs();
    EXPECT_FALSE(canvas->Frame()->Filtered());
    EXPECT_EQ(pixel(canvas->Picture(), late), pixel(before, late));
    EXPECT_TRUE(chart->FilterText().isEmpty());
}

TEST_F(ComputedViewsTest, AnOverviewTraceMayFollowAComputedItem) {
    Load("Inj duty");
    OpenDrive();
    OverviewStrip* strip = window->picOverview;
    ASSERT_TRUE(strip->HasSummary());
    EXPECT_EQ(strip->Traces()[0].Computed, "Inj duty");
    EXPECT_EQ(strip->Traces()[0].ScaleMax, 100);
    const QRect plot = strip->PlotRect();
    EXPECT_TRUE(
        strip->ToolTipAt(plot.x() + plot.width() / 2).contains(QStringLiteral("Inj duty ")));
    // Some column of the plot is drawn in the first trace's colour.
    const QImage picture = strip->grab().toImage();
    bool drawn = false;
    for (int x = plot.left(); x <= plot.right() && !drawn; ++x) {
        for (int y = plot.top() + 12; y <= plot.bottom() && !drawn; ++y) {
            drawn = picture.pixelColor(x, y) == strip->Traces()[0].Colour;
        }
    }
    EXPECT_TRUE(drawn);
}

TEST_F(ComputedViewsTest, AnOverviewTraceNamingWhatTheLogCannotComputeTracesNothing) {
    Load("Nothing");
    OpenDrive();
    OverviewStrip* strip = window->picOverview;
    ASSERT_TRUE(strip->HasSummary());
    EXPECT_TRUE(strip->Traces()[0].Computed.empty());
    EXPECT_EQ(strip->Traces()[0].Code, -1);
    EXPECT_TRUE(host.messages.empty());
    // A number stays an item code.
    EXPECT_EQ(strip->Traces()[1].Code, 23);
}

}  // namespace
}  // namespace orvane::testing
