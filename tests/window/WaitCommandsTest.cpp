// What each command does when it arrives while a playback step waits.
#include "PlayerFixture.h"
#include "log/CsvExport.h"

namespace orvane::testing {
namespace {

class WaitCommandsTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        Open(Spaced(4, 200));  // 200 ms apart: four slices of wait per sample
        window->cmdPlay_Click();
    }
};

TEST_F(WaitCommandsTest, PauseAbandonsTheStepAndThePendingSampleComesNext) {
    WhilePending(2, [this] { window->cmdPause_Click(); });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(State().PlayPosition, 2);
    // The pump after sample 1 (shown at once), then given up after the current slice.
    EXPECT_EQ(host.pumps, 1 + 1);
    window->cmdPlay2_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
    EXPECT_EQ(host.pumps, 2 + 3 * 4);  // sample 2 waits its whole gap again
}

TEST_F(WaitCommandsTest, PauseThenNextShowsThePendingSampleWithItsOwnNumber) {
    WhilePending(2, [this] { window->cmdPause_Click(); });
    RunPlayLoop();
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "2");
}

TEST_F(WaitCommandsTest, StopRewindsAndResets) {
    WhilePending(3, [this] { window->cmdStop_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(State().PlayPosition, 1);
}

TEST_F(WaitCommandsTest, BackRunsToCompletionInsideThePump) {
    WhilePending(4, [this] { window->cmdBack_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
}

TEST_F(WaitCommandsTest, NextShowsThePendingSampleAndLeavesPlaybackStopped) {
    WhilePending(2, [this] { window->cmdNext_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
}

TEST_F(WaitCommandsTest, TheSliderPausesAtTheChosenSample) {
    WhilePending(2, [this] { window->sldLog->setValue(4); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "4");
    EXPECT_EQ(State().PlayPosition, 5);
}

TEST_F(WaitCommandsTest, PlayRestartsFromTheFirstRecord) {
    WhilePending(3, [this] { window->cmdPlay_Click(); });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
    // 1 after sample 1, 4 slices before sample 2, 1 before Play, then sample 1 at once
    // (its counter lies below the last one shown) with 1 after it, and 4 slices before
    // each of samples 2 to 4.
    EXPECT_EQ(host.pumps, 1 + 4 + 1 + 1 + 3 * 4);
}

TEST_F(WaitCommandsTest, ResumeChangesNothing) {
    WhilePending(2, [this] { window->cmdPlay2_Click(); });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
    EXPECT_EQ(host.pumps, 1 + 3 * 4);
}

TEST_F(WaitCommandsTest, ASpeedChangeTakesEffectAtTheNextSlice) {
    Open(Spaced(2, 999));
    window->cmdPlay_Click();
    WhilePending(2, [this] { Speed("x5"); });
    RunPlayLoop();
    std::vector<int> expected{50};
    expected.insert(expected.end(), 19, 10);
    EXPECT_EQ(host.sleeps, expected);
}

TEST_F(WaitCommandsTest, ATimerTickDuringTheLoopStartsNoSecondLoop) {
    WhilePending(2, [this] {
        window->Timer1_Timer();
        EXPECT_EQ(Seq(), "1");  // the tick returned at once
    });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
}

TEST_F(WaitCommandsTest, ExportWritesFromThePendingRecordAndPlaybackGoesOn) {
    WhilePending(2, [this] { window->cmdOutput_Click(); });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
    const std::string csv = ReadText(CsvExport::CsvPathFor(State().LogFileName));
    EXPECT_EQ(csv,
              "Date,Time,Milliseconds,ISC position\r\n"
              "26/12/05,10:00:00,200,2\r\n"
              "26/12/05,10:00:00,400,3\r\n"
              "26/12/05,10:00:00,600,4\r\n");
}

TEST(WaitForTheFirstRecord, PlayDuringTheWaitForRecordOneSimplyShowsIt) {
    FakePlayerHost host;
    TempDir dir;
    frmPlayer window(host);
    window.FillSpeedList();
    const std::string path = dir.File("orvn0001.bin");
    WriteBytes(path,
               LogBuilder().Slots({22}).StartDate(0).Record(500, {1}).Record(600, {2}).Bytes());
    window.OpenLog(path);
    window.cmdPlay_Click();
    host.onPump = [&window] { window.cmdPlay_Click(); };
    window.Timer1_Timer();
    EXPECT_EQ(window.txtSeq->text(), "2");
    EXPECT_EQ(host.pumps, 10 + 2);  // record 1 waited its 500 ms without starting over
}

}  // namespace
}  // namespace orvane::testing
