// The open log as a model: what it takes from the player, what it tells its observers,
// and that nothing it reads moves playback or survives the log.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QtTest/QTest>

#include "LogBuilder.h"
#include "TempDir.h"
#include "analysis/MarksFile.h"
#include "log/LogLoader.h"
#include "session/LogSession.h"

namespace orvane::testing {
namespace {

// ISC position (its value is its raw byte) in display slot 1 with thresholds 100 and
// 200, coolant in display slot 2 with a graph.
DisplayLayout Layout() {
    DisplayLayout layout;
    layout.SlotItems[0] = 22;
    layout.SlotItems[1] = 7;
    layout.NamesItems = true;
    layout.Slots[1].ValueShown = true;
    layout.Slots[1].Threshold1 = 100;
    layout.Slots[1].Threshold2 = 200;
    layout.Slots[2].ValueShown = true;
    layout.Slots[2].GraphShown = true;
    layout.Slots[2].GraphMin = 0;
    layout.Slots[2].GraphMax = 120;
    layout.Overview.Items = {22, 7};
    return layout;
}

// Alarm starts at samples 3, 6 and 9 (coolant in slot 1, ISC in slot 2: the log's slot
// order is not the layout's).
constexpr std::uint8_t kPlanted[] = {0, 0, 150, 150, 0, 250, 250, 50, 120, 0};

class LogSessionTest : public ::testing::Test {
protected:
    void SetUp() override { session.SetLayout(Layout()); }

    std::string Write(const std::string& name, int records = 10) {
        LogBuilder log;
        log.Slots({7, 22}).Start(DateTime::FromCivil(2026, 12, 5, 10));
        for (int i = 0; i < records; ++i) {
            log.Record(i * 200, {100, kPlanted[static_cast<std::size_t>(i) % std::size(kPlanted)]});
        }
        const std::string path = dir.File(name);
        WriteBytes(path, log.Bytes());
        return path;
    }
    // Loads a log as the player does and hands it to the session.
    void Open(const std::string& path) {
        const LogLoadResult loaded = LoadLogFile(path, playback);
        ASSERT_EQ(loaded.Status, LogLoadStatus::Ok);
        LogOutline outline;
        outline.Codes = loaded.Header.SlotItemCodes;
        outline.Start = loaded.Start;
        outline.Records = loaded.RecordCount;
        session.Open(path, playback, outline, loaded.Length);
    }
    bool WaitForJobs() {
        return QTest::qWaitFor([this] { return !session.Jobs().Busy(); }, 20000);
    }

    TempDir dir;
    LogFile playback;
    LogSession session;
};

TEST_F(LogSessionTest, AnOpenedLogIsBoundByItemAndSummarisedWithoutMovingPlayback) {
    QSignalSpy opened(&session, &LogSession::LogOpened);
    QSignalSpy ready(&session, &LogSession::SummaryReady);
    Open(Write("orvn0001.bin"));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_TRUE(session.IsOpen());
    EXPECT_EQ(session.DisplayName(), "orvn0001.bin");
    EXPECT_EQ(session.LastSample(), 10);
    // Display slot 1 names ISC, which this log records in its slot 2.
    EXPECT_EQ(session.Bindings()[0].Source, 2);
    EXPECT_EQ(session.Bindings()[1].Source, 1);
    // The box of display slot 1 alarms on log slot 2; coolant's box has no threshold.
    const std::vector<AlarmBox> boxes = session.AlarmBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Slot, 2);
    // Coolant is drawn on its graph's scale, ISC on its catalogue range.
    EXPECT_EQ(session.ScaleOf(1), (std::pair<double, double>{0, 120}));
    EXPECT_EQ(session.ScaleOf(2), (std::pair<double, double>{0, 255}));

    const std::int64_t position = playback.Position();
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(ready.count(), 1);
    ASSERT_NE(session.Summary(), nullptr);
    EXPECT_EQ(session.Summary()->Records(), 10);
    EXPECT_EQ(session.Summary()->Request().TracedSlots, (std::array<int, 2>{2, 1}));
    // The views read through the session's own reader.
    std::uint8_t byte = 0;
    EXPECT_EQ(session.Reader()->ReadAt(HeaderSize + RecordSize * 2 + 5, &byte, 1), 1);
    EXPECT_EQ(byte, 150);
    EXPECT_EQ(playback.Position(), position);
}

TEST_F(LogSessionTest, AlarmsAreFoundWithAndWithoutTheSummary) {
    Open(Write("orvn0001.bin"));
    std::vector<std::optional<std::int64_t>> found;
    const auto record = [&](std::optional<std::int64_t> sample) { found.push_back(sample); };
    // Asked before the summary is ready: the log itself is read.
    session.FindAlarm(true, 0, record);
    ASSERT_TRUE(WaitForJobs());
    ASSERT_NE(session.Summary(), nullptr);
    session.FindAlarm(true, 3, record);
    ASSERT_TRUE(WaitForJobs());
    session.FindAlarm(false, 6, record);
    ASSERT_TRUE(WaitForJobs());
    session.FindAlarm(true, 9, record);
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(found, (std::vector<std::optional<std::int64_t>>{3, 6, 3, std::nullopt}));
}

TEST_F(LogSessionTest, MarkersAndTheRangeAreKeptInTheMarksFileAndTold) {
    const std::string path = Write("orvn0001.bin");
    Open(path);
    QSignalSpy markers(&session, &LogSession::MarkersChanged);
    QSignalSpy range(&session, &LogSession::RangeChanged);
    QSignalSpy notes(&session, &LogSession::NoteShown);
    session.ToggleMarker(8);
    session.ToggleMarker(2);
    session.ToggleMarker(11);  // beyond the log: nothing
    session.ToggleMarker(0);
    EXPECT_EQ(session.Markers(), (std::vector<std::int64_t>{2, 8}));
    EXPECT_EQ(markers.count(), 2);
    EXPECT_EQ(range.count(), 0);
    EXPECT_EQ(session.MarkerAfter(2), 8);
    EXPECT_EQ(session.MarkerBefore(8), 2);
    EXPECT_FALSE(session.MarkerBefore(2));
    EXPECT_FALSE(session.MarkerAfter(8));

    // An out point alone selects from the start; an in point after it swaps them.
    session.SetOutPoint(4);
    EXPECT_EQ(session.Range(), (SampleRange{1, 4}));
    session.SetInPoint(7);
    EXPECT_EQ(session.Range(), (SampleRange{4, 7}));
    EXPECT_EQ(range.count(), 2);
    session.ToggleMarker(2);
    EXPECT_EQ(notes.count(), 1);

    // Opened again, the log has its marks back.
    session.Close();
    EXPECT_TRUE(session.Markers().empty());
    EXPECT_FALSE(session.Range());
    Open(path);
    EXPECT_EQ(session.Markers(), (std::vector<std::int64_t>{8}));
    EXPECT_EQ(session.Range(), (SampleRange{4, 7}));
    session.ClearRange();
    EXPECT_EQ(session.RangeOrWholeLog(), (SampleRange{1, 10}));
}

TEST_F(LogSessionTest, TwoPlayersOnOneLogKeepEachOthersMarks) {
    const std::string path = Write("orvn0001.bin");
    Open(path);
    LogFile otherFile;
    LogSession other;
    other.SetLayout(Layout());
    const LogLoadResult loaded = LoadLogFile(path, otherFile);
    other.Open(path, otherFile, session.Outline(), loaded.Length);

    // A sets marker 5; B, not yet aware of it, sets marker 10 and the range 8 to 10;
    // A sets another marker.
    session.ToggleMarker(5);
    other.ToggleMarker(10);
    other.SetInPoint(8);
    session.ToggleMarker(3);
    EXPECT_EQ(session.Markers(), (std::vector<std::int64_t>{3, 5, 10}));
    EXPECT_EQ(session.Range(), (SampleRange{8, 10}));
    // B notices the file changed and shows the merged marks.
    QSignalSpy told(&other, &LogSession::MarkersChanged);
    other.CheckMarksFile();
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(other.Markers(), (std::vector<std::int64_t>{3, 5, 10}));
    // A marker removed by one player goes for both; the range last set wins.
    other.ToggleMarker(5);
    session.SetOutPoint(9);
    other.CheckMarksFile();
    EXPECT_EQ(session.Markers(), (std::vector<std::int64_t>{3, 10}));
    EXPECT_EQ(other.Markers(), (std::vector<std::int64_t>{3, 10}));
    EXPECT_EQ(other.Range(), (SampleRange{8, 9}));
    // Nothing changed: nothing is told.
    other.CheckMarksFile();
    EXPECT_EQ(told.count(), 2);
}

TEST_F(LogSessionTest, MarksOfAnotherLogOfTheSameLengthAreNotUsed) {
    const std::string first = Write("orvn0001.bin");
    Open(first);
    session.ToggleMarker(4);
    session.Close();
    // Another recording under the same name, as long as the first: its records differ.
    LogBuilder log;
    log.Slots({7, 22}).Start(DateTime::FromCivil(2026, 12, 6, 9));
    for (int i = 0; i < 10; ++i) log.Record(i * 100, {50, 50});
    WriteBytes(first, log.Bytes());
    Open(first);
    EXPECT_TRUE(session.Markers().empty());
}

// True when a program holds a lock on the file (an exclusive lock cannot be had).
bool Locked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

TEST_F(LogSessionTest, AReferenceIsReadBesideTheLogWithoutTouchingItsPlayback) {
    const std::string log = Write("orvn0001.bin");
    const std::string other = Write("orvn0002.bin", 30);
    Open(log);
    playback.SeekRecord(4);
    const std::int64_t position = playback.Position();
    QSignalSpy changed(&session, &LogSession::ReferenceChanged);
    ASSERT_EQ(session.OpenReference(other), LogLoadStatus::Ok);
    ASSERT_NE(session.Reference(), nullptr);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(session.Reference()->LastSample(), 30);
    EXPECT_EQ(session.ReferenceOffsetMillis(), 0);
    // The reference holds a shared lock on its own file; the log's playback is where it
    // was.
    EXPECT_TRUE(Locked(other));
    EXPECT_EQ(playback.Position(), position);
    // The offset is kept in the log's marks file with the reference's name.
    session.SetReferenceOffset(-1500);
    EXPECT_EQ(session.Marks().Reference, (ReferenceLog{"orvn0002.bin", -1500}));
    // Another log opened: the reference stays, starts meeting (that log has no offset).
    Open(Write("orvn0003.bin"));
    ASSERT_NE(session.Reference(), nullptr);
    EXPECT_EQ(session.ReferenceOffsetMillis(), 0);
    // Opening the first log again restores the pair.
    LogSession again;
    LogFile againFile;
    const LogLoadResult loaded = LoadLogFile(log, againFile);
    LogOutline outline;
    outline.Codes = loaded.Header.SlotItemCodes;
    outline.Start = loaded.Start;
    outline.Records = loaded.RecordCount;
    again.Open(log, againFile, outline, loaded.Length);
    ASSERT_NE(again.Reference(), nullptr);
    EXPECT_EQ(again.Reference()->FileName(), dir.File("orvn0002.bin"));
    EXPECT_EQ(again.ReferenceOffsetMillis(), -1500);
    // Stop comparing lets the file go and forgets the pair.
    again.CloseReference();
    session.CloseReference();
    EXPECT_EQ(again.Reference(), nullptr);
    EXPECT_FALSE(Locked(other));
    EXPECT_FALSE(again.Marks().Reference);
}

TEST_F(LogSessionTest, AReferenceThatCannotBeOpenedChangesNothing) {
    Open(Write("orvn0001.bin"));
    const std::string broken = dir.File("broken.bin");
    LogBuilder bad;
    bad.Slots({7}).StartDate(1e9).Numbered(3);  // not a date
    WriteBytes(broken, bad.Bytes());
    WriteBytes(dir.File("short.bin"), std::string_view("too short"));
    QSignalSpy changed(&session, &LogSession::ReferenceChanged);
    const LogMarks marks = session.Marks();
    EXPECT_EQ(session.OpenReference(dir.File("missing.bin")), LogLoadStatus::CannotOpen);
    EXPECT_EQ(session.OpenReference(broken), LogLoadStatus::InvalidStartDate);
    EXPECT_EQ(session.OpenReference(dir.File("short.bin")), LogLoadStatus::NoHeader);
    EXPECT_EQ(session.Reference(), nullptr);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(session.Marks(), marks);
    EXPECT_FALSE(Locked(broken));
}

TEST_F(LogSessionTest, TheSampleOnDisplayAndSeeksStayInsideTheLog) {
    Open(Write("orvn0001.bin"));
    QSignalSpy shown(&session, &LogSession::SampleShown);
    QSignalSpy seeks(&session, &LogSession::SeekRequested);
    LogRecord record;
    record.Millis = 400;
    session.SetShownSample(3, record);
    EXPECT_EQ(session.ShownSample(), 3);
    EXPECT_EQ(session.ShownRecord().Millis, 400);
    EXPECT_EQ(shown.count(), 1);
    session.SetShownSample(0, LogRecord{});
    EXPECT_EQ(session.ShownSample(), 0);
    for (const std::int64_t sample : {0, 1, 10, 11, -1}) session.RequestSeek(sample);
    ASSERT_EQ(seeks.count(), 2);
    EXPECT_EQ(seeks[0][0].toLongLong(), 1);
    EXPECT_EQ(seeks[1][0].toLongLong(), 10);
}

TEST_F(LogSessionTest, AClosedOrReplacedLogLeavesNothingBehind) {
    // A long log whose summary is still being read when another one is opened.
    Open(Write("orvn0001.bin", 300000));
    const std::string small = Write("orvn0002.bin", 20);
    Open(small);
    ASSERT_TRUE(WaitForJobs());
    ASSERT_NE(session.Summary(), nullptr);
    EXPECT_EQ(session.Summary()->Records(), 20);

    QSignalSpy closed(&session, &LogSession::LogClosed);
    QSignalSpy ready(&session, &LogSession::SummaryReady);
    Open(Write("orvn0003.bin", 300000));
    session.Close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(session.Reader(), nullptr);
    EXPECT_EQ(session.Summary(), nullptr);
    EXPECT_EQ(session.LastSample(), 0);
    EXPECT_TRUE(session.AlarmBoxes().empty());
    QTest::qWait(100);
    EXPECT_EQ(ready.count(), 0);
    // Before a log, display slot s shows slot s.
    EXPECT_EQ(session.Bindings()[0].Source, 1);
}

}  // namespace
}  // namespace orvane::testing
