// Start-up placement, the open dialog, and shut-down.
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <filesystem>

#include "PlayerFixture.h"
#include "RenameWatch.h"

namespace orvane::testing {
namespace {

using StartupTest = PlayerFixture;

TEST_F(StartupTest, FirstStartWithoutSettings) {
    window->Form_Load();
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    // The 465 x 377 of the defaults grows to hold the strip's width and the lamp panel,
    // which ends at 416 + 40; the overview strip lies below the transport strip.
    EXPECT_EQ(window->size(), QSize(665, 456 + 64 + 72));
    EXPECT_EQ(window->picOverview->geometry(), QRect(0, 520, 665, 72));
    EXPECT_EQ(window->fraLog->geometry(), QRect(0, 456, 665, 64));
    EXPECT_EQ(window->cmdOpen->geometry(), QRect(16, 8, 121, 33));
    EXPECT_EQ(window->cmdPlay->geometry(), QRect(152, 8, 121, 33));
    EXPECT_EQ(window->cmdOutput->geometry(), QRect(288, 8, 73, 33));
    EXPECT_EQ(window->cmdClose->geometry(), QRect(376, 8, 65, 33));
    EXPECT_EQ(window->cmdOpen->text(), "Open");
    EXPECT_EQ(window->cmdClose->text(), "Quit");
    EXPECT_EQ(window->cboSpeed->count(), 6);
    EXPECT_EQ(window->cboSpeed->currentText(), "x1");
    EXPECT_EQ(window->cboSpeed->itemData(5).toInt(), 0);
    EXPECT_EQ(State().SpeedFactor, 1);
    EXPECT_TRUE(window->cmdOpen->isEnabled());
    EXPECT_FALSE(window->cmdPlay->isEnabled());
    EXPECT_FALSE(window->cmdOutput->isEnabled());
    EXPECT_FALSE(window->sldLog->isEnabled());
    EXPECT_EQ(window->windowState(), Qt::WindowNoState);
    EXPECT_EQ(window->windowTitle(), "E39A Orvane LogFile Player");
}

TEST_F(StartupTest, PlacementFromTheSettingsAndTheStripAddedToTheHeight) {
    WriteIni(
        "[Main Form]\nLeft=30\nTop=40\nWidth=700\nHeight=500\nWindowState=2\n[Log "
        "Close]\nLeft=500\n");
    window->Form_Load();
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_EQ(window->size(), QSize(700, 564 + 72));
    EXPECT_EQ(window->fraLog->y(), 500);
    EXPECT_EQ(window->cmdClose->geometry(), QRect(500, 8, 65, 33));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
}

// Every control that shows lies wholly inside the window and above the strip, and so do
// the strip's own controls inside it; the picture of the window covers them all.
void ExpectEveryControlUncut(frmPlayer& w) {
    w.show();
    const QRect client = w.rect();
    const QRect strip = w.fraLog->geometry();
    EXPECT_TRUE(client.contains(strip)) << strip.right() << " " << client.right();
    if (!w.picOverview->isHidden()) {
        EXPECT_EQ(w.picOverview->geometry(),
                  QRect(0, strip.bottom() + 1, client.width(), client.bottom() - strip.bottom()));
    }
    for (QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == w.fraLog || child == w.picOverview || !child->isVisible()) continue;
        const QRect place = child->geometry();
        EXPECT_TRUE(client.contains(place)) << child->objectName().toStdString();
        EXPECT_FALSE(place.intersects(strip)) << child->objectName().toStdString();
    }
    for (QWidget* child : w.fraLog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible()) continue;
        EXPECT_TRUE(w.fraLog->rect().contains(child->geometry()))
            << child->objectName().toStdString();
    }
    EXPECT_EQ(w.grab().size(), w.size());
}

TEST_F(StartupTest, WithoutSettingsEveryControlShowsUncut) {
    window->Form_Load();
    ExpectEveryControlUncut(*window);
}

TEST_F(StartupTest, TheDemoLayoutKeepsItsWindowAndEveryControlShowsUncut) {
    WriteIni(ReadText(ORVANE_DEMO_INI));
    window->Form_Load();
    ASSERT_FALSE(host.ended);
    EXPECT_EQ(window->size(), QSize(1240, 628 + 64 + 72));
    EXPECT_EQ(window->fraLog->y(), 628);
    ExpectEveryControlUncut(*window);
}

TEST_F(StartupTest, AControlBeyondTheWindowGrowsIt) {
    WriteIni("[Sensor Name12]\nVisible=True\nLeft=700\nTop=600\n[Switch Status]\nVisible=False\n");
    window->Form_Load();
    EXPECT_EQ(window->size(), QSize(901, 617 + 64 + 72));
    EXPECT_EQ(window->fraLog->y(), 617);
    ExpectEveryControlUncut(*window);
}

TEST_F(StartupTest, QuitStoresTheNewPositionAndChangesNothingElse) {
    const std::string ini =
        "; mine\r\n[Main Form]\r\nLeft=30\r\nTop=40\r\nWidth=700\r\n[Other]\r\nx=1\r\n";
    WriteIni(ini);
    window->Form_Load();
    window->move(123, 45);
    window->resize(900, 500);
    RenameWatch renames(dir.Path());
    window->cmdClose_Click();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitStatus, 0);
    EXPECT_EQ(ReadText(IniPath()),
              "; mine\r\n[Main Form]\r\nLeft=123\r\nTop=45\r\nWidth=700\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(renames.RenamesTo("Orvane.ini"), 1);  // both edges in one replacement
}

TEST_F(StartupTest, TheCloseBoxUnloadsLikeQuit) {
    window->Form_Load();
    Open(Spaced(3, 100));
    window->close();
    EXPECT_TRUE(host.ended);
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_NE(ReadText(IniPath()).find("Left=0"), std::string::npos);
}

TEST_F(StartupTest, TheOpenDialogOffersLogsFirstAndAChosenFileIsLoaded) {
    window->Form_Load();
    WriteBytes(dir.File("orvn0002.bin"), Spaced(3, 100).Bytes());
    host.openAnswer = QString::fromStdString(dir.File("orvn0002.bin"));
    window->cmdOpen_Click();
    ASSERT_EQ(host.openRequests.size(), 1u);
    EXPECT_EQ(host.openRequests[0].Title, "Orvane ログ ファイル選択");
    EXPECT_TRUE(host.openRequests[0].Filter.startsWith(
        "Orvane ログ ファイル (orvn*.bin);;すべてのファイル (*"));
    EXPECT_FALSE(host.openRequests[0].InitialFolder.isEmpty());
    EXPECT_EQ(State().LogFileName, dir.File("orvn0002.bin"));
    EXPECT_TRUE(State().LogLoaded);
}

TEST_F(StartupTest, APortableCopyOpensItsDialogInItsOwnFolderAndKeepsNoFolder) {
    window->Form_Load();
    WriteBytes(dir.File("orvn0002.bin"), Spaced(3, 100).Bytes());
    host.openAnswer = QString::fromStdString(dir.File("orvn0002.bin"));
    window->cmdOpen_Click();
    window->cmdOpen_Click();
    ASSERT_EQ(host.openRequests.size(), 2u);
    for (const auto& request : host.openRequests) {
        EXPECT_EQ(request.InitialFolder, QCoreApplication::applicationDirPath());
    }
    EXPECT_EQ(ReadText(IniPath()), "");  // nothing written
}

TEST_F(StartupTest, ElsewhereTheDialogStartsAtHomeThenWhereTheLastLogWas) {
    window->SetRememberLogFolder(true);
    window->Form_Load();
    host.openAnswer.reset();
    window->cmdOpen_Click();
    ASSERT_EQ(host.openRequests.size(), 1u);
    EXPECT_EQ(host.openRequests[0].InitialFolder, QDir::homePath());

    // A log that cannot be opened is not remembered; one that opens is, however it came.
    std::filesystem::create_directory(dir.Path() / "logs");
    const std::string log = dir.File("logs/orvn0002.bin");
    host.openAnswer = QString::fromStdString(dir.File("logs/missing.bin"));
    window->cmdOpen_Click();
    EXPECT_EQ(ReadText(IniPath()), "");
    WriteBytes(log, Spaced(3, 100).Bytes());
    window->OpenLogFile(log);
    ASSERT_TRUE(State().LogLoaded);
    host.openAnswer.reset();
    window->cmdOpen_Click();
    ASSERT_EQ(host.openRequests.size(), 3u);
    EXPECT_EQ(host.openRequests[2].InitialFolder.toStdString(), dir.File("logs"));
    EXPECT_EQ(ReadText(IniPath()), "[Open Dialog]\nFolder=" + dir.File("logs") + "\n");
}

TEST_F(StartupTest, TheWindowHasTheIconAtTheThemesSizes) {
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
    // Drawn, not empty: the middle of the dial's face is opaque.
    const QImage image = window->windowIcon().pixmap(QSize(48, 48)).toImage();
    ASSERT_EQ(image.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(image.pixel(24, 24)), 255);
}

TEST_F(StartupTest, CancellingTheDialogClosesTheLoadedLogAndEveryViewShowsNoLog) {
    WriteIni("[Main]\nSensor1=22\n[Sensor Data1]\nThreshold1=2\n");
    window->Form_Load();
    Open(Spaced(300, 100));
    Run(Command::Statistics);
    Run(Command::Map);
    WaitForJobs();
    ASSERT_TRUE(window->picOverview->HasSummary());
    ASSERT_TRUE(window->Views().Statistics()->Statistics());
    ASSERT_TRUE(window->Views().Map()->Map());
    window->cmdNext_Click();
    ASSERT_EQ(Seq(), "1");
    ASSERT_FALSE(window->txtResult[1]->text().isEmpty());

    host.openAnswer.reset();
    window->cmdOpen_Click();
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().LogFileName, "");
    EXPECT_TRUE(window->cmdPlay->isEnabled());
    EXPECT_TRUE(window->cmdOutput->isEnabled());
    // Nothing of the closed log stays on show: the sample, the values, the strip (its
    // traces, times and hover texts), the statistics and the map.
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(window->txtResult[1]->text(), "");
    EXPECT_FALSE(window->picOverview->HasSummary());
    EXPECT_EQ(window->picOverview->TimeText(), "");
    EXPECT_EQ(window->picOverview->ToolTipAt(window->picOverview->PlotRect().center().x()), "");
    EXPECT_FALSE(window->Views().Statistics()->Statistics());
    EXPECT_EQ(window->Views().Statistics()->Heading(), "No log is open.");
    EXPECT_EQ(window->Views().Map()->Map(), nullptr);
    EXPECT_EQ(window->Views().Map()->lblStatus->text(), "No log is open.");
    // Nothing more can be shown.
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "");
}

TEST_F(StartupTest, OutputAfterACancelledDialogWritesNoFile) {
    window->Form_Load();
    Open(Spaced(3, 100));
    host.openAnswer.reset();
    window->cmdOpen_Click();
    // Without a log name there is no CSV path: nothing may land in the working folder
    // (a hidden ".csv") or beside the closed log.
    const TempDir work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    window->cmdOutput_Click();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("orvn0001.csv")));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(window->cmdOutput->isEnabled());
}

TEST_F(StartupTest, OpeningDuringPlaybackLoadsTheNewLogAtRecordOne) {
    window->Form_Load();
    Open(Spaced(4, 200));
    WriteBytes(dir.File("orvn0002.bin"), Spaced(2, 100, {33}).Bytes());
    host.openAnswer = QString::fromStdString(dir.File("orvn0002.bin"));
    window->cmdPlay_Click();
    WhilePending(3, [this] { window->cmdOpen_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(State().SlotItem[1], 33);
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(Seq(), "");
}

TEST_F(StartupTest, CancellingTheDialogDuringPlaybackShowsThePendingSampleThenEnds) {
    window->Form_Load();
    Open(Spaced(4, 200));
    window->cmdPlay_Click();
    WhilePending(3, [this] { window->cmdOpen_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "3");
}

TEST_F(StartupTest, QuitDuringPlaybackEndsAtOnce) {
    window->Form_Load();
    Open(Spaced(4, 200));
    window->cmdPlay_Click();
    WhilePending(3, [this] { window->cmdClose_Click(); });
    RunPlayLoop();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(Seq(), "2");  // the waiting step never resumed
    EXPECT_EQ(State().PlayPosition, 3);
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_NE(ReadText(IniPath()).find("[Main Form]"), std::string::npos);
}

}  // namespace
}  // namespace orvane::testing
