// The overview strip's break marks for the pauses of the logging.
#include <QtTest/QTest>

#include "DemoDrive.h"
#include "PlayerFixture.h"

namespace orvane::testing {
namespace {

class OverviewPausesTest : public PlayerFixture {};

TEST_F(OverviewPausesTest, PausesOfFiveSecondsOrMoreAreMarkedAndCrossingOneIsNoted) {
    window->Form_Load();
    window->resize(800, window->height());
    window->show();
    // Pauses of 653 s after sample 1200 and 5 s after 2000.
    const std::string path = dir.File("orvn0001.bin");
    ASSERT_TRUE(demo::WriteDemoLog(path, 3000, 3, DateTime::FromCivil(2026, 12, 5, 10), nullptr,
                                   100, demo::DefaultDemoSlots(), {{1200, 653}, {2000, 5}}));
    window->State().LogFileName = path;
    window->OpenLog(path);
    WaitForJobs();
    OverviewStrip* strip = window->picOverview;
    ASSERT_TRUE(strip->HasSummary());
    ASSERT_EQ(window->Session().Pauses()->size(), 2u);
    ASSERT_EQ(strip->Pauses().size(), 2u);
    EXPECT_EQ(strip->Pauses()[0].Before, 1200);

    const int x = strip->PlotRect().x() + strip->ColumnOfSample(1201);
    ASSERT_NE(strip->PauseAt(x), nullptr);
    EXPECT_EQ(strip->PauseAt(x)->Before, 1200);
    EXPECT_TRUE(strip->ToolTipAt(x).startsWith(QStringLiteral("Logging paused for 10:53.")))
        << strip->ToolTipAt(x).toStdString();
    EXPECT_EQ(strip->PauseAt(strip->PlotRect().x() + strip->ColumnOfSample(600)), nullptr);
    // The mark is drawn (dashed) in the pause colour where the pause lies.
    const QImage picture = strip->grab().toImage();
    int marked = 0;
    for (int y = strip->PlotRect().top(); y <= strip->PlotRect().bottom(); ++y) {
        marked += picture.pixelColor(x, y).rgb() == QColor(120, 220, 255).rgb();
    }
    EXPECT_GE(marked, strip->PlotRect().height() / 4);

    // Playing on across the pause says so; stepping elsewhere says nothing.
    window->SeekToSample(1200);
    EXPECT_FALSE(strip->Note().contains(QStringLiteral("paused")));
    window->cmdNext_Click();
    EXPECT_TRUE(strip->Note().startsWith(QStringLiteral("Logging paused for 10:53.")))
        << strip->Note().toStdString();
    EXPECT_TRUE(strip->Note().endsWith(QStringLiteral("after sample 1200.")));
}

}  // namespace
}  // namespace orvane::testing
