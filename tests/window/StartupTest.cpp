// Start-up placement, the open dialog, and shut-down.
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <filesystem>

#include "PlayerFixture.h"

namespace orvane::testing {
namespace {

using StartupTest = PlayerFixture;

TEST_F(StartupTest, FirstStartWithoutSettings) {
    window->Form_Load();
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->size(), QSize(465, 377 + 64));
    EXPECT_EQ(window->fraLog->geometry(), QRect(0, 377, 665, 64));
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
        "[Main Form]\nLeft=30\nTop=40\nWidth=700\nHeight=300\nWindowState=2\n[Log "
        "Close]\nLeft=500\n");
    window->Form_Load();
    EXPECT_EQ(window->pos(), QPoint(30, 40));
    EXPECT_EQ(window->size(), QSize(700, 364));
    EXPECT_EQ(window->fraLog->y(), 300);
    EXPECT_EQ(window->cmdClose->geometry(), QRect(500, 8, 65, 33));
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
}

TEST_F(StartupTest, QuitStoresTheNewPositionAndChangesNothingElse) {
    const std::string ini =
        "; mine\r\n[Main Form]\r\nLeft=30\r\nTop=40\r\nWidth=700\r\n[Other]\r\nx=1\r\n";
    WriteIni(ini);
    window->Form_Load();
    window->move(123, 45);
    window->resize(900, 500);
    window->cmdClose_Click();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(host.exitStatus, 0);
    EXPECT_EQ(ReadText(IniPath()),
              "; mine\r\n[Main Form]\r\nLeft=123\r\nTop=45\r\nWidth=700\r\n[Other]\r\nx=1\r\n");
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

TEST_F(StartupTest, CancellingTheDialogClosesTheLoadedLogButKeepsTheControls) {
    window->Form_Load();
    Open(Spaced(3, 100));
    window->cmdNext_Click();
    host.openAnswer.reset();
    window->cmdOpen_Click();
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().LogFileName, "");
    EXPECT_TRUE(window->cmdPlay->isEnabled());
    EXPECT_TRUE(window->cmdOutput->isEnabled());
    EXPECT_EQ(Seq(), "1");
    // Nothing more can be shown.
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");
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
