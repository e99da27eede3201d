#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "DemoDrive.h"
#include "TempDir.h"
#include "log/CsvRangeExport.h"
#include "log/LogLoader.h"

namespace orvane {
namespace {

using testing::ReadText;
using testing::TempDir;

class CsvRangeExportTest : public ::testing::Test {
protected:
    // A demo log with a partial last record, loaded as the player loads it.
    void Load(int records, int tail) {
        logPath = dir.File("orvn0001.bin");
        ASSERT_TRUE(
            demo::WriteDemoLog(logPath, records, 4, DateTime::FromCivil(2026, 12, 5, 23, 58)));
        if (tail > 0) {
            std::FILE* f = std::fopen(logPath.c_str(), "ab");
            const std::string partial(static_cast<std::size_t>(tail), '\x07');
            std::fwrite(partial.data(), 1, partial.size(), f);
            std::fclose(f);
        }
        const auto loaded = LoadLogFile(logPath, file);
        ASSERT_EQ(loaded.Status, LogLoadStatus::Ok);
        exporter = std::make_unique<CsvExport>(loaded.Start, loaded.Header.SlotItemCodes);
        // What Output writes for the whole log, split into lines.
        const std::string csv = dir.File("output.csv");
        ASSERT_TRUE(exporter->AppendTo(file, csv).Ok);
        const std::string text = ReadText(csv);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at) + 2;
            outputLines.push_back(text.substr(at, end - at));
            at = end;
        }
        std::filesystem::remove(csv);
        file.SeekRecord(7);  // playback stands somewhere; the export must not move it
    }
    std::string Expected(SampleRange range) const {
        std::string text = outputLines[0];
        for (std::int64_t s = range.First; s <= range.Last; ++s) {
            text += outputLines[static_cast<std::size_t>(s)];
        }
        return text;
    }
    TempDir dir;
    std::string logPath;
    LogFile file;
    std::unique_ptr<CsvExport> exporter;
    std::vector<std::string> outputLines;  // header, then one per sample
};

TEST_F(CsvRangeExportTest, BytesEqualTheLinesOutputWritesForTheSameSamples) {
    Load(20'000, 13);
    ASSERT_EQ(outputLines.size(), 20'001u);
    for (const SampleRange range :
         {SampleRange{1, 1}, SampleRange{20'000, 20'000}, SampleRange{1, 20'000},
          SampleRange{8191, 8194}, SampleRange{120, 480}}) {
        const std::string path = RangeCsvPathFor(logPath, range);
        const CsvExportResult result = ExportRange(*exporter, file, range, path);
        ASSERT_TRUE(result.Ok) << result.Error;
        EXPECT_EQ(result.RecordLines, range.Count());
        EXPECT_TRUE(ReadText(path) == Expected(range)) << range.First << "-" << range.Last;
    }
    EXPECT_EQ(file.Position(), RecordOffset(7));
    EXPECT_TRUE(std::filesystem::exists(dir.File("orvn0001_000120-000480.csv")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("orvn0001_000001-020000.csv")));
}

TEST_F(CsvRangeExportTest, ReplacesAnEarlierExportAndRefusesRangesOutsideTheLog) {
    Load(300, 0);
    const std::string path = RangeCsvPathFor(logPath, {2, 3});
    testing::WriteBytes(path, std::string(5000, 'x'));  // longer than the new export
    ASSERT_TRUE(ExportRange(*exporter, file, {2, 3}, path).Ok);
    EXPECT_EQ(ReadText(path), Expected({2, 3}));

    for (const SampleRange range : {SampleRange{0, 3}, SampleRange{5, 4}, SampleRange{299, 301}}) {
        const CsvExportResult refused = ExportRange(*exporter, file, range, dir.File("x.csv"));
        EXPECT_FALSE(refused.Ok);
        EXPECT_FALSE(refused.Error.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.csv")));
    // A folder that cannot be written: reported, and no temporary file is left.
    const CsvExportResult failed = ExportRange(*exporter, file, {1, 3}, dir.File("no/such/x.csv"));
    EXPECT_FALSE(failed.Ok);
    EXPECT_EQ(failed.RecordLines, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST_F(CsvRangeExportTest, ACancelledExportLeavesTheEarlierFileAndNoTemporary) {
    Load(30'000, 0);
    const SampleRange range{1, 30'000};
    const std::string path = RangeCsvPathFor(logPath, range);
    testing::WriteBytes(path, "earlier export");
    const auto folderHolds = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = folderHolds();
    // Stopped after the first block, and at the last moment, with every line on the disk.
    for (const bool atTheEnd : {false, true}) {
        std::vector<std::int64_t> calls;
        CsvExportControl control;
        control.Progress = [&](std::int64_t lines) {
            calls.push_back(lines);
            return atTheEnd && lines < range.Count();
        };
        const CsvExportResult result = ExportRange(*exporter, file, range, path, control);
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Cancelled);
        EXPECT_EQ(result.Error, "");
        EXPECT_EQ(result.RecordLines, 0);
        EXPECT_EQ(ReadText(path), "earlier export");
        EXPECT_EQ(folderHolds(), before);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back() == range.Count(), atTheEnd);
        EXPECT_TRUE(std::is_sorted(calls.begin(), calls.end()));
    }
    // Going on to the end replaces the file, and the count reaches every line.
    std::int64_t last = 0;
    CsvExportControl control;
    control.Progress = [&](std::int64_t lines) {
        last = lines;
        return true;
    };
    ASSERT_TRUE(ExportRange(*exporter, file, range, path, control).Ok);
    EXPECT_EQ(last, range.Count());
    EXPECT_TRUE(ReadText(path) == Expected(range));
}

TEST_F(CsvRangeExportTest, ALogNameThatLeavesNoRoomForATemporarySuffixStillExports) {
    Load(50, 0);
    // The range file's name takes the whole 255 bytes a name may have.
    std::string longName(237, 'r');
    longName += ".bin";
    const std::string longLog = dir.File(longName);
    std::filesystem::copy_file(logPath, longLog);
    LogFile longFile;
    ASSERT_EQ(LoadLogFile(longLog, longFile).Status, LogLoadStatus::Ok);
    const std::string path = RangeCsvPathFor(longLog, {1, 50});
    ASSERT_EQ(std::filesystem::path(path).filename().string().size(), 255u);
    const CsvExportResult result = ExportRange(*exporter, longFile, {1, 50}, path);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_TRUE(ReadText(path) == Expected({1, 50}));
}

TEST(RangeCsvPath, NamesTheLogAndTheRange) {
    EXPECT_EQ(RangeCsvPathFor("/logs/orvn0001.bin", {120, 480}),
              "/logs/orvn0001_000120-000480.csv");
    EXPECT_EQ(RangeCsvPathFor("a.bin", {1, 1'234'567}), "a_000001-1234567.csv");
}

}  // namespace
}  // namespace orvane
