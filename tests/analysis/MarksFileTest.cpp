#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "analysis/MarksFile.h"

namespace orvane {
namespace {

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
