#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PlayerFixture.h"

namespace orvane::testing {
namespace {

using PlaybackTest = PlayerFixture;

TEST_F(PlaybackTest, OpeningAGoodLogEnablesPlaybackAndResetsTheDisplay) {
    Open(Spaced(5, 100, {33, -1, 7}));
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().RecordCount, 5);
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(State().SlotItem[1], 33);
    EXPECT_EQ(State().SlotItem[2], -1);
    EXPECT_EQ(State().SlotItem[18], -1);
    EXPECT_TRUE(window->cmdPlay->isEnabled());
    EXPECT_TRUE(window->cmdOutput->isEnabled());
    EXPECT_TRUE(window->sldLog->isEnabled());
    EXPECT_EQ(window->sldLog->minimum(), 1);
    EXPECT_EQ(window->sldLog->maximum(), 5);
    EXPECT_EQ(window->lvlResult[1]->text(), "Engine speed");
    EXPECT_EQ(window->lvlResult[3]->text(), "Coolant temp");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PlaybackTest, ALogThatCannotBeOpenedIsReported) {
    Open(Spaced(5, 100));
    window->CloseLog();
    window->OpenLog(dir.File("missing.bin"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "ログファイルがオープンできません。");
    EXPECT_EQ(host.messageTitles[0], "E39A Orvane LogFile Player Error");
    EXPECT_FALSE(State().LogLoaded);
    EXPECT_FALSE(window->cmdPlay->isEnabled());
    EXPECT_FALSE(window->cmdOutput->isEnabled());
    EXPECT_FALSE(window->sldLog->isEnabled());
}

// True when nobody holds a lock on the file: another program could use it.
bool Unlocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool unlocked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
    return unlocked;
}

TEST_F(PlaybackTest, ALogWithAnInvalidDateIsReportedAShortOneIsSilentAndBothAreReleased) {
    const auto bad = Open(LogBuilder().StartDate(2958466.5).Numbered(3));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "ログファイルが不正です。");
    EXPECT_FALSE(State().LogLoaded);
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_TRUE(Unlocked(bad));

    WriteBytes(dir.File("short.bin"), std::vector<unsigned char>(43, 1));
    window->CloseLog();
    window->OpenLog(dir.File("short.bin"));
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(State().LogLoaded);
    EXPECT_FALSE(window->cmdPlay->isEnabled());
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_TRUE(Unlocked(dir.File("short.bin")));
}

TEST_F(PlaybackTest, AReadOnlyLogOpens) {
    const auto path = dir.File("orvn0009.bin");
    WriteBytes(path, Spaced(3, 100).Bytes());
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    window->OpenLog(path);
    EXPECT_TRUE(State().LogLoaded);
}

TEST_F(PlaybackTest, ALogWithoutRecordsLoadsButPlaysNothing) {
    Open(LogBuilder().Slots({22}).StartDate(0));
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_EQ(State().RecordCount, 0);
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "");
}

TEST_F(PlaybackTest, PlayRunsToTheEndAtTheRecordedPace) {
    Open(Spaced(4, 200));
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "4");
    EXPECT_EQ(State().PlayPosition, 5);
    EXPECT_EQ(State().PreviousMillis, 600);
    // The first sample (gap 0) at once and one pump after it, then four 50 ms slices
    // for each 200 ms gap.
    EXPECT_EQ(host.sleeps, std::vector<int>(12, 50));
    EXPECT_EQ(host.pumps, 1 + 12);
}

TEST_F(PlaybackTest, SleepPerSliceFollowsTheSpeed) {
    const struct {
        const char* speed;
        int sleep;
    } speeds[] = {{"x1", 50}, {"x2", 25}, {"x3", 17}, {"x4", 12}, {"x5", 10}};
    for (const auto& s : speeds) {
        host.sleeps.clear();
        Open(Spaced(2, 200));
        Speed(s.speed);
        window->cmdPlay_Click();
        RunPlayLoop();
        EXPECT_EQ(host.sleeps, std::vector<int>(4, s.sleep)) << s.speed;
    }
    host.sleeps.clear();
    host.pumps = 0;
    Open(Spaced(2, 200));
    Speed("Max");
    EXPECT_EQ(State().SpeedFactor, 0);
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_EQ(host.pumps, 1 + 4);  // events are still pumped once per slice
}

TEST_F(PlaybackTest, SliceCountsRoundHalfToEvenAndOnlyGapsOf1To999Wait) {
    const struct {
        std::int32_t gap;
        int slices;
    } gaps[] = {{1, 0},   {25, 0},   {26, 1},   {74, 1},   {75, 2},
                {125, 2}, {999, 20}, {1000, 0}, {5000, 0}, {-300, 0}};
    for (const auto& g : gaps) {
        host.pumps = 0;
        Open(LogBuilder().Slots({22}).StartDate(0).Record(100000).Record(100000 + g.gap));
        window->cmdPlay_Click();
        RunPlayLoop();
        EXPECT_EQ(Seq(), "2") << g.gap;
        // The first record's gap from the previous run is far beyond 999 ms: it is
        // shown at once and followed by one pump, as is a second record without a wait.
        EXPECT_EQ(host.pumps, 1 + (g.slices == 0 ? 1 : g.slices)) << g.gap;
    }
}

TEST_F(PlaybackTest, CountersFarApartDoNotOverflow) {
    Open(LogBuilder()
             .Slots({22})
             .StartDate(0)
             .Record(std::numeric_limits<std::int32_t>::min())
             .Record(std::numeric_limits<std::int32_t>::max()));
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(host.pumps, 2);  // one after each sample, neither waited
}

TEST_F(PlaybackTest, SamplesWithoutAWaitStillLetEveryCommandRun) {
    // A second and a half apart: no sample waits, yet the events run once after each.
    Open(Spaced(5, 1500));
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "5");
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_EQ(host.pumps, 5);

    window->cmdPlay_Click();
    AfterSample(2, [this] { window->cmdPause_Click(); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);

    // Equal counters: Quit ends the program after the sample on display.
    Open(Spaced(1000, 0));
    window->cmdPlay_Click();
    AfterSample(2, [this] { window->cmdClose_Click(); });
    RunPlayLoop();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
}

TEST_F(PlaybackTest, PlayAfterTheEndRestartsFromTheFirstRecord) {
    Open(Spaced(3, 100));
    window->cmdPlay_Click();
    RunPlayLoop();
    ASSERT_EQ(Seq(), "3");
    host.pumps = 0;
    window->cmdPlay_Click();
    EXPECT_EQ(Seq(), "");  // reset first
    RunPlayLoop();
    EXPECT_EQ(Seq(), "3");
    // Record 1 (millis 0) is below the previous sample: shown at once, then one pump.
    EXPECT_EQ(host.pumps, 1 + 4);
}

TEST_F(PlaybackTest, NextShowsOneSampleAndAtTheEndNothing) {
    Open(Spaced(2, 100));
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
    EXPECT_TRUE(host.sleeps.empty());
    // Resume at the end ends again at once.
    window->cmdPlay2_Click();
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
}

TEST_F(PlaybackTest, BackOnTheFirstSampleOrBeforeAnyDoesNothing) {
    Open(Spaced(3, 100));
    window->cmdBack_Click();
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(State().PlayPosition, 1);
    window->cmdNext_Click();
    window->cmdBack_Click();
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(State().PlayPosition, 2);
}

// A graph of its own with the same settings as ShowGraph gives.
std::unique_ptr<usrGraph> ReferenceGraph(const usrGraph& like) {
    auto graph = std::make_unique<usrGraph>();
    graph->setGeometry(like.geometry());
    graph->SetBackColor(meter::Colour(0));
    graph->SetForeColor(meter::Colour(65280));
    graph->SetMinValue(0.0);
    graph->SetMaxValue(10.0);
    return graph;
}

TEST_F(PlaybackTest, BackOnSampleTwoShowsSampleOneAndEveryGraphEndsOnIt) {
    Open(Spaced(3, 100, {22, 22}));
    usrGraph* shown = ShowGraph(1, 0, 10);
    // A hidden graph gets no points, but it is moved back like every other.
    usrGraph* hidden = ShowGraph(2, 0, 10);
    hidden->AddPoint(7.0);
    hidden->hide();
    window->cmdNext_Click();
    window->cmdNext_Click();
    window->cmdBack_Click();
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(State().PlayPosition, 2);

    // Points 1, 2, then 1 again and two moves back: the right edge ends on sample 1.
    auto reference = ReferenceGraph(*shown);
    for (const double v : {1.0, 2.0, 1.0}) reference->AddPoint(v);
    reference->BackMove();
    reference->BackMove();
    EXPECT_EQ(shown->PlotImage(), reference->PlotImage());

    auto hiddenReference = ReferenceGraph(*hidden);
    hiddenReference->AddPoint(7.0);
    hiddenReference->BackMove();
    hiddenReference->BackMove();
    EXPECT_EQ(hidden->PlotImage(), hiddenReference->PlotImage());
}

TEST_F(PlaybackTest, StopRewindsAndResetsInEveryState) {
    Open(Spaced(3, 100));
    window->cmdNext_Click();
    window->cmdNext_Click();
    window->cmdStop_Click();
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(window->sldLog->value(), 1);
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");
}

TEST_F(PlaybackTest, TheSliderSeeksOnlyForTheUser) {
    Open(Spaced(10, 100));
    window->cmdNext_Click();
    EXPECT_EQ(window->sldLog->value(), 1);
    EXPECT_EQ(State().PlayPosition, 2);  // the program's own value raised no seek

    window->sldLog->setValue(7);  // the user's click
    EXPECT_EQ(Seq(), "7");
    EXPECT_EQ(State().PlayPosition, 8);
    EXPECT_EQ(State().PreviousMillis, 600);
    EXPECT_FALSE(window->Timer1Enabled());
}

TEST_F(PlaybackTest, CommandsWithoutALogDoNothingHarmful) {
    window->cmdPlay2_Click();
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    window->cmdStop_Click();
    window->cmdBack_Click();
    window->cmdNext_Click();
    window->cmdOutput_Click();
    window->cmdPause_Click();
    EXPECT_EQ(Seq(), "");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PlaybackTest, ALogThatVanishesOrShrinksWhilePlayingEndsPlayback) {
    const auto path = Open(Spaced(20000, 100));
    window->cmdNext_Click();
    ASSERT_EQ(::truncate(path.c_str(), 44 + 22 * 3), 0);
    std::filesystem::remove(path);
    Speed("Max");
    window->cmdPlay2_Click();
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_LT(State().PlayPosition, 20001);
}

TEST_F(PlaybackTest, ExportWritesFromTheSharedPositionAndReportsFailure) {
    Open(Spaced(3, 100));
    window->cmdNext_Click();
    window->cmdOutput_Click();
    const std::string csv = ReadText(dir.File("orvn0001.csv"));
    EXPECT_EQ(csv,
              "Date,Time,Milliseconds,ISC position\r\n"
              "26/12/05,10:00:00,100,2\r\n"
              "26/12/05,10:00:00,200,3\r\n");
    // The display and the position are not touched; the next step finds the end.
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(State().PlayPosition, 2);
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");

    // A CSV that cannot be written (here a folder stands in its place) is reported and
    // nothing is lost.
    window->cmdStop_Click();
    std::filesystem::remove(dir.File("orvn0001.csv"));
    std::filesystem::create_directory(dir.File("orvn0001.csv"));
    window->cmdOutput_Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].startsWith("CSV ファイルに書き込めませんでした。"))
        << host.messages[0].toStdString();
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");  // the read position was put back
}

}  // namespace
}  // namespace orvane::testing
