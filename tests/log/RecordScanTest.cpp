#include <gtest/gtest.h>

#include <stop_token>

#include "LogBuilder.h"
#include "TempDir.h"
#include "log/LogFile.h"
#include "log/RecordCursor.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

using testing::LogBuilder;
using testing::TempDir;
using testing::WriteBytes;

class RecordScanTest : public ::testing::Test {
protected:
    // A log of `count` numbered records (slot bytes = record number mod 256, Millis =
    // 100 * (number - 1)) and a partial last record, opened at record 3.
    void Open(int count, int tail = 15) {
        path = dir.File("orvn0001.bin");
        WriteBytes(path, LogBuilder().StartDate(0).Numbered(count).Tail(tail).Bytes());
        ASSERT_TRUE(file.Open(path));
        file.SeekRecord(3);
    }
    std::vector<std::int64_t> ScannedSamples(const LogFile& log, std::int64_t first,
                                             std::int64_t last, ScanResult* result = nullptr) {
        std::vector<std::int64_t> samples;
        const ScanResult r = RecordScan(log).Run(
            first, last, [&](std::int64_t sample, std::span<const std::uint8_t> bytes) {
                EXPECT_EQ(bytes.size() % RecordSize, 0u);
                for (std::size_t at = 0; at < bytes.size(); at += RecordSize, ++sample) {
                    const RecordView record{bytes.data() + at};
                    EXPECT_EQ(record.Millis(), (sample - 1) * 100);
                    EXPECT_EQ(record.SlotByte(17), static_cast<std::uint8_t>(sample));
                    samples.push_back(sample);
                }
                return true;
            });
        if (result) *result = r;
        return samples;
    }
    TempDir dir;
    std::string path;
    LogFile file;
};

TEST_F(RecordScanTest, ScansARangeInChunksWithoutMovingTheReadPosition) {
    Open(20'000);
    EXPECT_EQ(RecordScan(file).CompleteRecordCount(), 20'000);
    const auto calls = file.ReadCallCount();
    ScanResult result;
    const auto samples = ScannedSamples(file, 8000, 17'000, &result);
    EXPECT_EQ(result.Status, ScanStatus::Complete);
    EXPECT_EQ(result.Records, 9001);
    ASSERT_EQ(samples.size(), 9001u);
    EXPECT_EQ(samples.front(), 8000);
    EXPECT_EQ(samples.back(), 17'000);
    EXPECT_EQ(file.ReadCallCount(), calls);  // the read buffer was not touched
    EXPECT_EQ(file.Position(), RecordOffset(3));
    EXPECT_EQ(file.ReadRecord()->Millis, 200);
    EXPECT_TRUE(ScannedSamples(file, 5, 4).empty());
}

TEST_F(RecordScanTest, AShortFileAndAStopAreReported) {
    Open(100);
    ScanResult result;
    // The partial last record is not a sample.
    EXPECT_EQ(ScannedSamples(file, 90, 101, &result).size(), 11u);
    EXPECT_EQ(result.Status, ScanStatus::Failed);
    EXPECT_EQ(result.Error, "the log ends at sample 100, before sample 101");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(RecordScan(file, stop.get_token()).Run(1, 10, [](auto, auto) { return true; }).Status,
              ScanStatus::Cancelled);
    file.Close();
    EXPECT_EQ(ScannedSamples(file, 1, 1, &result).size(), 0u);
    EXPECT_EQ(result.Error, "the log is closed");
}

TEST_F(RecordScanTest, ADuplicateReadsOnItsOwnAndOutlivesTheOriginal) {
    Open(50);
    LogFile duplicate;
    ASSERT_TRUE(duplicate.OpenDuplicateOf(file));
    ASSERT_TRUE(duplicate.ReadHeader());
    EXPECT_EQ(duplicate.ReadRecord()->Millis, 0);
    EXPECT_EQ(file.ReadRecord()->Millis, 200);  // positions are separate
    file.Close();
    EXPECT_EQ(duplicate.ReadRecord()->Millis, 100);
    EXPECT_EQ(ScannedSamples(duplicate, 1, 50).size(), 50u);
    EXPECT_EQ(duplicate.Length(), 44 + 50 * 22 + 15);
    LogFile none;
    std::string reason;
    EXPECT_FALSE(none.OpenDuplicateOf(file, &reason));
    EXPECT_EQ(reason, "the log is not open");
}

TEST_F(RecordScanTest, TheCursorHandsOverTheRangeOneRecordAtATime) {
    Open(17'000);
    RecordCursor cursor(file, {3, 16'500});
    std::int64_t expected = 3;
    while (const auto record = cursor.Next()) {
        ASSERT_EQ(record->Millis, (expected - 1) * 100);
        ++expected;
    }
    EXPECT_EQ(expected, 16'501);
    EXPECT_TRUE(cursor.Error().empty());
    RecordCursor beyond(file, {16'999, 17'001});
    EXPECT_TRUE(beyond.Next());
    EXPECT_TRUE(beyond.Next());
    EXPECT_FALSE(beyond.Next());
    EXPECT_EQ(beyond.Error(), "the log ends at sample 17000, before sample 17001");
}

}  // namespace
}  // namespace orvane
