#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "PlantedLog.h"
#include "TempDir.h"
#include "analysis/MarksFile.h"

namespace orvane {

// Marks as the file would hold them, for the messages of failed expectations.
void PrintTo(const LogMarks& marks, std::ostream* out) {
    *out << MarksFile::Text(marks, 0);
}

namespace {

using testing::PlantedLog;
using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;

TEST(MarksFile, IsNamedAfterTheLog) {
    EXPECT_EQ(MarksFile::PathFor("/logs/orvn0001.bin"), "/logs/orvn0001.marks");
}

TEST(MarksFile, RoundTripsMarkersAndRange) {
    TempDir dir;
    const std::string path = dir.File("orvn0001.marks");
    EXPECT_EQ(MarksFile::Read(path, 3000).Status, MarksStatus::Missing);

    const LogMarks marks{{120, 480, 2210}, SampleRange{120, 480}};
    ASSERT_EQ(MarksFile::Write(path, marks, 3000).Status, MarksStatus::Ok);
    EXPECT_EQ(ReadText(path), "[Marks]\nRecords=3000\nMarkers=120,480,2210\nIn=120\nOut=480\n");
    const MarksResult read = MarksFile::Read(path, 3000);
    EXPECT_EQ(read.Status, MarksStatus::Ok) << read.Reason;
    EXPECT_EQ(read.Marks, marks);

    const LogMarks markersOnly{{7}, std::nullopt};
    ASSERT_EQ(MarksFile::Write(path, markersOnly, 3000).Status, MarksStatus::Ok);
    EXPECT_EQ(MarksFile::Read(path, 3000).Marks, markersOnly);
    // Nothing left to keep: the file goes.
    ASSERT_EQ(MarksFile::Write(path, {}, 3000).Status, MarksStatus::Ok);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0);
}

TEST(MarksFile, HandWrittenFilesAreReadLeniently) {
    const auto read = MarksFile::Parse(
        "\xEF\xBB\xBF; kept by hand\r\n[marks]\r\n  markers = 9 , 3,9\r\nIN=2\r\nOut = 4\r\n"
        "Colour=red\r\n[Other]\r\nx=1\r\n",
        10);
    EXPECT_EQ(read.Status, MarksStatus::Ok) << read.Reason;
    EXPECT_EQ(read.Marks, (LogMarks{{3, 9}, SampleRange{2, 4}}));
}

TEST(MarksFile, FilesThatDoNotFitTheLogAreInvalidWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"[Marks]\nRecords=2999\nMarkers=1\n", "the marks were set on a log of 2999 samples"},
        {"[Marks]\nMarkers=1,3001\n", "marker 3001 is not in the log (samples 1 to 3000)"},
        {"[Marks]\nMarkers=0\n", "marker 0 is not in the log"},
        {"[Marks]\nMarkers=1,x\n", "a marker is not a sample number"},
        {"[Marks]\nIn=5\n", "the range has only one end"},
        {"[Marks]\nIn=5\nOut=4\n", "the range's in point lies after its out point"},
        {"[Marks]\nIn=5\nOut=3001\n", "the range 5 to 3001 is not in the log"},
        {"[Window]\nLeft=5\n", "not a marks file"},
        {"\x89PNG\r\n\x1a\n\x00\x00", "line 1 is not understood"},
        {"", "not a marks file"},
    };
    for (const auto& [text, reason] : cases) {
        const auto read = MarksFile::Parse(text, 3000);
        EXPECT_EQ(read.Status, MarksStatus::Invalid) << text;
        EXPECT_NE(read.Reason.find(reason), std::string::npos) << read.Reason;
        EXPECT_TRUE(read.Marks.Empty() || read.Status != MarksStatus::Ok);
    }
    TempDir dir;
    std::filesystem::create_directory(dir.File("orvn0001.marks"));
    EXPECT_EQ(MarksFile::Read(dir.File("orvn0001.marks"), 3000).Status, MarksStatus::Invalid);
    WriteBytes(dir.File("big.marks"), std::string(2 << 20, 'x'));
    EXPECT_EQ(MarksFile::Read(dir.File("big.marks"), 3000).Reason, "too large for a marks file");
}

TEST(MarksFile, MergeAppliesEachPlayersChangesSinceItsBase) {
    const LogMarks base{{5, 8}, SampleRange{1, 2}, "rpm > 0", ReferenceLog{"a.bin", 0}};
    // This player removed 8, added 7, changed the filter; the range and reference it left.
    const LogMarks mine{{5, 7}, SampleRange{1, 2}, "rpm > 3000", ReferenceLog{"a.bin", 0}};
    // Meanwhile another added 10, removed 5, set the range and the reference.
    const LogMarks theirs{{8, 10}, SampleRange{10, 15}, "rpm > 0", ReferenceLog{"b.bin", -40}};
    EXPECT_EQ(MarksFile::Merge(base, mine, theirs),
              (LogMarks{{7, 10}, SampleRange{10, 15}, "rpm > 3000", ReferenceLog{"b.bin", -40}}));
    // What this player cleared since its base is cleared, whatever the file holds.
    EXPECT_EQ(MarksFile::Merge(base, {}, theirs), (LogMarks{{10}, std::nullopt}));
    EXPECT_EQ(MarksFile::Merge({}, {}, theirs), theirs);
}

TEST(MarksFile, TwoPlayersOnOneLogKeepEachOthersMarks) {
    TempDir dir;
    const std::string path = dir.File("orvn0001.marks");
    // A sets marker 5; B, which read no marks, sets 10 and the range 10 to 15.
    const MarksResult a1 = MarksFile::Update(path, 3000, {}, {{5}, std::nullopt});
    ASSERT_EQ(a1.Status, MarksStatus::Ok) << a1.Reason;
    const MarksStamp seenByB = MarksFile::StampOf(path);
    EXPECT_EQ(a1.Stamp, seenByB);
    const MarksResult b = MarksFile::Update(path, 3000, {}, {{10}, SampleRange{10, 15}});
    EXPECT_EQ(b.Marks, (LogMarks{{5, 10}, SampleRange{10, 15}}));
    // A notices the change by the stamp and shows the merged state.
    EXPECT_NE(MarksFile::StampOf(path), a1.Stamp);
    EXPECT_EQ(MarksFile::Read(path, 3000).Marks, b.Marks);
    EXPECT_EQ(MarksFile::Read(path, 3000).Stamp, MarksFile::StampOf(path));
    // A sets another marker on its own, older, view: nothing of B's is lost.
    const MarksResult a2 = MarksFile::Update(path, 3000, a1.Marks, {{5, 7}, std::nullopt});
    EXPECT_EQ(a2.Marks, (LogMarks{{5, 7, 10}, SampleRange{10, 15}}));
    EXPECT_EQ(MarksFile::Read(path, 3000).Marks, a2.Marks);
    // A player with no change of its own leaves a file alone, even one of another log.
    WriteBytes(dir.File("other.marks"), "[Marks]\nRecords=10\nMarkers=4\n");
    EXPECT_EQ(MarksFile::Update(dir.File("other.marks"), 3000, {}, {}).Status,
              MarksStatus::Invalid);
    EXPECT_EQ(ReadText(dir.File("other.marks")), "[Marks]\nRecords=10\nMarkers=4\n");

    // Processes updating at once, each its own markers from its own base, keep them all.
    std::vector<pid_t> players;
    for (int player = 0; player < 2; ++player) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            LogMarks seen = a2.Marks;
            for (std::int64_t m = 100 + player; m < 160; m += 2) {
                LogMarks mine = seen;
                mine.Markers.push_back(m);
                const MarksResult saved = MarksFile::Update(path, 3000, seen, mine);
                if (saved.Status != MarksStatus::Ok) ::_exit(1);
                seen = saved.Marks;
            }
            ::_exit(0);
        }
        players.push_back(pid);
    }
    for (const pid_t pid : players) {
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(MarksFile::Read(path, 3000).Marks.Markers.size(), 3u + 60u);
}

TEST(MarksFile, AFingerprintKeepsMarksOfAnotherLogOut) {
    PlantedLog log({33});
    log.Random(200, 3);
    std::string error;
    const auto fingerprint = LogFingerprint::Of(log.Open(), error);
    ASSERT_TRUE(fingerprint) << error;
    EXPECT_EQ(fingerprint->Records, 200);
    EXPECT_EQ(fingerprint->Start, "2026-12-05 10:00:00");
    const LogMarks marks{{3}, std::nullopt};
    const std::string text = MarksFile::Text(marks, *fingerprint);
    EXPECT_EQ(text, "[Marks]\nRecords=200\nLogStart=2026-12-05 10:00:00\nLogHash=" +
                        LogFingerprint::HashText(*fingerprint->Hash) + "\nMarkers=3\n");
    EXPECT_EQ(MarksFile::Parse(text, *fingerprint).Marks, marks);
    // A file written before fingerprints were kept still fits by its record count.
    EXPECT_EQ(MarksFile::Parse(MarksFile::Text(marks, 200), *fingerprint).Marks, marks);

    // Another recording of as many samples: another last record, or another start.
    log.records.back().Millis += 1;
    const auto other = LogFingerprint::Of(log.Open("orvn0002.bin"), error);
    ASSERT_TRUE(other);
    EXPECT_NE(other->Hash, fingerprint->Hash);
    EXPECT_NE(MarksFile::Parse(text, *other).Reason.find("first or last sample differs"),
              std::string::npos);
    LogFingerprint later = *fingerprint;
    later.Start = "2026-12-06 10:00:00";
    const MarksResult read = MarksFile::Parse(text, later);
    EXPECT_EQ(read.Status, MarksStatus::Invalid);
    EXPECT_NE(read.Reason.find("another log, started 2026-12-05 10:00:00"), std::string::npos);
}

TEST(MarksFile, FilterAndReferenceAreKeptAsTheyAreAndMustBeOneLine) {
    TempDir dir;
    const std::string path = dir.File("orvn0001.marks");
    const LogMarks marks{{},
                         std::nullopt,
                         "rpm >= 3000 and knock = 1 ; \xE2\x86\x92",
                         ReferenceLog{"orvn0002 (old) = ref.bin", -1500}};
    ASSERT_EQ(MarksFile::Write(path, marks, 50).Status, MarksStatus::Ok);
    EXPECT_EQ(MarksFile::Read(path, 50).Marks, marks);
    // A line break would make keys of its own: refused, and nothing written.
    for (const LogMarks& bad : {LogMarks{{}, std::nullopt, "a\nMarkers=7"},
                                LogMarks{{}, std::nullopt, {}, ReferenceLog{"x\r.bin", 0}}}) {
        EXPECT_EQ(MarksFile::Update(path, 50, marks, bad).Status, MarksStatus::Invalid);
    }
    EXPECT_EQ(MarksFile::Read(path, 50).Marks, marks);
    EXPECT_NE(MarksFile::Parse("[Marks]\nReference=a.bin\nReferenceOffset=1.5\n", 50)
                  .Reason.find("not a whole number"),
              std::string::npos);
    EXPECT_EQ(MarksFile::Parse("[Marks]\nReferenceOffset=5\n", 50).Status, MarksStatus::Invalid);
}

TEST(MarksFile, MoreThanTenThousandMarkersDoNotFit) {
    TempDir dir;
    const std::string path = dir.File("orvn0001.marks");
    LogMarks many;
    for (std::int64_t m = 1; m <= 10'000; ++m) many.Markers.push_back(m);
    ASSERT_EQ(MarksFile::Write(path, many, 20'000).Status, MarksStatus::Ok);
    const std::string written = ReadText(path);
    LogMarks more = many;
    more.Markers.push_back(10'001);
    const MarksResult refused = MarksFile::Update(path, 20'000, many, more);
    EXPECT_EQ(refused.Status, MarksStatus::Invalid);
    EXPECT_NE(refused.Reason.find("more than the 10000"), std::string::npos) << refused.Reason;
    EXPECT_TRUE(ReadText(path) == written);
    EXPECT_EQ(MarksFile::Parse(MarksFile::Text(more, 20'000), 20'000).Status, MarksStatus::Invalid);
}

TEST(MarksFile, ALinkStaysALinkAndAnEmptyFileHasNoMarks) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("kept"));
    const std::string path = dir.File("orvn0001.marks");
    std::filesystem::create_symlink("kept/orvn0001.marks", path);
    ASSERT_EQ(MarksFile::Update(path, 100, {}, {{5}, std::nullopt}).Status, MarksStatus::Ok);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(MarksFile::Read(dir.File("kept/orvn0001.marks"), 100).Marks.Markers,
              (std::vector<std::int64_t>{5}));
    WriteBytes(dir.File("empty.marks"), "");
    EXPECT_EQ(MarksFile::Read(dir.File("empty.marks"), 100).Status, MarksStatus::Missing);
}

TEST(MarksFile, AFolderThatCannotBeWrittenReportsTheFailureAndKeepsTheOldFile) {
    // Nobody, root included, creates files in /proc.
    const MarksResult refused = MarksFile::Write("/proc/orvn0001.marks", {{5}, std::nullopt}, 100);
    EXPECT_EQ(refused.Status, MarksStatus::Failed);
    EXPECT_FALSE(refused.Reason.empty());
    EXPECT_EQ(MarksFile::Read("/proc/orvn0001.marks", 100).Status, MarksStatus::Missing);
    if (::geteuid() == 0) return;  // root writes through folder permissions
    TempDir dir;
    const std::string path = dir.File("orvn0001.marks");
    ASSERT_EQ(MarksFile::Write(path, {{5}, std::nullopt}, 100).Status, MarksStatus::Ok);
    ::chmod(dir.Path().c_str(), 0555);
    const MarksResult written = MarksFile::Write(path, {{5, 6}, SampleRange{1, 2}}, 100);
    EXPECT_EQ(written.Status, MarksStatus::Failed);
    EXPECT_FALSE(written.Reason.empty());
    EXPECT_EQ(MarksFile::Write(path, {}, 100).Status, MarksStatus::Failed);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(MarksFile::Read(path, 100).Marks, (LogMarks{{5}, std::nullopt}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
}  // namespace orvane
