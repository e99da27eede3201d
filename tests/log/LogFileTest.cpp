#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "LogBuilder.h"
#include "TempDir.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"
#include "log/LogLoader.h"

namespace orvane {
namespace {

using testing::LogBuilder;
using testing::TempDir;
using testing::WriteBytes;

TEST(RecordCount, RoundsHalfToEvenInsteadOfTruncating) {
    EXPECT_EQ(RecordCountForLength(44), 0);
    EXPECT_EQ(RecordCountForLength(0), -2);
    EXPECT_EQ(RecordCountForLength(33), 0);   // -0.5 rounds to 0
    EXPECT_EQ(RecordCountForLength(55), 0);   //  0.5 rounds to 0
    EXPECT_EQ(RecordCountForLength(11), -2);  // -1.5 rounds to -2
    EXPECT_EQ(RecordCountForLength(56), 1);
    for (int n = 0; n < 6; ++n) {
        for (int r = 0; r < RecordSize; ++r) {
            const std::int64_t length = HeaderSize + RecordSize * n + r;
            int expected = r <= 10 ? n : n + 1;
            if (r == 11) expected = n % 2 == 0 ? n : n + 1;
            EXPECT_EQ(RecordCountForLength(length), expected) << "n " << n << " r " << r;
        }
    }
    EXPECT_EQ(RecordCountForLength(std::int64_t{1} << 50), 2147483647);
}

TEST(RecordCount, RecordOffsets) {
    EXPECT_EQ(RecordOffset(1), 44);
    EXPECT_EQ(RecordOffset(2), 66);
    EXPECT_EQ(RecordOffset(1000), 44 + 22 * 999);
}

class LogFileTest : public ::testing::Test {
protected:
    std::string Write(const LogBuilder& builder, const std::string& name = "orvn0001.bin") {
        const std::string path = dir.File(name);
        WriteBytes(path, builder.Bytes());
        return path;
    }
    TempDir dir;
};

TEST_F(LogFileTest, HeaderOnlyFileHasNoRecords) {
    const auto path = Write(LogBuilder().StartDate(0));
    EXPECT_EQ(LogFile::MeasureLength(path), 44);
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    const auto header = file.ReadHeader();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->StartDate, 0.0);
    EXPECT_EQ(file.Position(), 44);
    EXPECT_FALSE(file.ReadRecord());
    EXPECT_EQ(file.Position(), 44);
}

TEST_F(LogFileTest, DecodesHeaderAndRecordsLittleEndian) {
    const auto path =
        Write(LogBuilder()
                  .Slots({33, 7, 2, 0, -1, 300})
                  .Start(DateTime::FromCivil(2009, 6, 15, 23, 59, 30))
                  .Record(61234, {100, 100, 0x88})
                  .Record(-5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    const auto header = file.ReadHeader();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->SlotItemCodes[0], 33);
    EXPECT_EQ(header->SlotItemCodes[4], -1);
    EXPECT_EQ(header->SlotItemCodes[5], 300);
    EXPECT_EQ(header->SlotItemCodes[17], -1);
    const auto first = file.ReadRecord();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Millis, 61234);
    EXPECT_EQ(first->SlotBytes[2], 0x88);
    const auto second = file.ReadRecord();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Millis, -5);
    EXPECT_EQ(second->SlotBytes[17], 18);
    EXPECT_EQ(file.Position(), 44 + 2 * 22);
}

TEST_F(LogFileTest, OnlyCompleteRecordsCanBeReadWhateverTheTail) {
    for (int tail : {0, 1, 10, 11, 12, 21}) {
        const auto path = Write(LogBuilder().Numbered(3).Tail(tail), "tail" + std::to_string(tail));
        LogFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_TRUE(file.ReadHeader());
        int read = 0;
        while (file.ReadRecord()) ++read;
        EXPECT_EQ(read, 3) << tail;
        // A short read uses nothing and leaves the position on the partial record.
        EXPECT_EQ(file.Position(), RecordOffset(4)) << tail;
    }
}

TEST_F(LogFileTest, ShortHeaderGivesNoHeader) {
    WriteBytes(dir.File("short.bin"), std::vector<unsigned char>(43, 0));
    LogFile file;
    ASSERT_TRUE(file.Open(dir.File("short.bin")));
    EXPECT_FALSE(file.ReadHeader());
}

TEST_F(LogFileTest, SeeksAndReadsAgreeWithTheFileAtAnyPositionAcrossBufferBoundaries) {
    const int count = 9000;  // about three read buffers
    const auto path = Write(LogBuilder().Numbered(count));
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, count + 2);
    for (int i = 0; i < 2000; ++i) {
        const int n = pick(random);
        file.SeekRecord(n);
        const auto record = file.ReadRecord();
        if (n > count) {
            EXPECT_FALSE(record) << n;
            continue;
        }
        ASSERT_TRUE(record) << n;
        EXPECT_EQ(record->Millis, (n - 1) * 100);
        EXPECT_EQ(record->SlotBytes[0], static_cast<std::uint8_t>(n));
        // Stepping back one record reads the one before.
        if (n > 1) {
            file.SeekRecord(n - 1);
            EXPECT_EQ(file.ReadRecord()->Millis, (n - 2) * 100);
        }
    }
}

TEST_F(LogFileTest, ReadingAWholeLogTakesFewSystemCalls) {
    const int count = 100000;
    const auto path = Write(LogBuilder().Numbered(count));
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    int read = 0;
    while (file.ReadRecord()) {
        ++read;
        // Playback puts the position back on the record and then after it.
        file.SetPosition(file.Position() - RecordSize);
        file.SetPosition(file.Position() + RecordSize);
    }
    EXPECT_EQ(read, count);
    EXPECT_LT(file.ReadCallCount(), static_cast<std::uint64_t>(count / 100));
}

TEST_F(LogFileTest, ReadOnlyLogOpens) {
    const auto path = Write(LogBuilder().Numbered(2));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    LogFile file;
    EXPECT_TRUE(file.Open(path));
    EXPECT_TRUE(file.ReadHeader());
}

TEST_F(LogFileTest, ReadersShareALogWhileAWriterHoldsItAlone) {
    const auto path = Write(LogBuilder().Numbered(2));
    LogFile first;
    ASSERT_TRUE(first.Open(path));
    LogFile second;
    EXPECT_TRUE(second.Open(path));
    // Both read on their own positions.
    ASSERT_TRUE(first.ReadHeader());
    EXPECT_EQ(first.ReadRecord()->Millis, 0);
    ASSERT_TRUE(second.ReadHeader());
    EXPECT_EQ(second.ReadRecord()->Millis, 0);
    EXPECT_FALSE(testing::NobodyHolds(path));
    first.Close();
    first.Close();  // closing twice is harmless
    second.Close();
    EXPECT_TRUE(testing::NobodyHolds(path));

    // A writer that locks the log, and one that does not, keep readers out.
    std::string reason;
    {
        const testing::FileDescriptor writer(::open(path.c_str(), O_WRONLY));
        ASSERT_EQ(::flock(writer.Get(), LOCK_EX), 0);
        EXPECT_FALSE(first.Open(path, &reason));
        EXPECT_FALSE(reason.empty());
    }
    {
        const testing::FileDescriptor writer(::open(path.c_str(), O_WRONLY | O_APPEND));
        ASSERT_GE(writer.Get(), 0);
        EXPECT_FALSE(first.Open(path, &reason));
        EXPECT_NE(reason.find("written"), std::string::npos) << reason;
    }
    EXPECT_TRUE(first.Open(path));
}

TEST_F(LogFileTest, MissingFilesAndFoldersCannotBeOpened) {
    LogFile file;
    EXPECT_FALSE(file.Open(dir.File("missing.bin")));
    EXPECT_FALSE(LogFile::MeasureLength(dir.File("missing.bin")));
    EXPECT_FALSE(file.Open(dir.Path().string()));
    EXPECT_FALSE(LogFile::MeasureLength(dir.Path().string()));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(file.Open(dir.File("pipe")));  // must not hang waiting for a writer
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.ReadRecord());
}

TEST_F(LogFileTest, AClosedLogReadsNothing) {
    const auto path = Write(LogBuilder().Numbered(2));
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    file.Close();
    EXPECT_FALSE(file.ReadRecord());
}

TEST_F(LogFileTest, ALogCutShortWhileOpenEndsWhereTheFileEndsNow) {
    const int count = 3000;  // more than the first buffer holds
    const auto path = Write(LogBuilder().Numbered(count));
    const auto readToEnd = [](LogFile& file) {
        int read = 0;
        while (file.ReadRecord()) ++read;
        return read;
    };
    const auto play = [](LogFile& file, int records) {
        for (int n = 1; n <= records; ++n) {
            ASSERT_TRUE(file.ReadRecord());
            // As playback does: back onto the record shown, and on after it.
            file.SetPosition(file.Position() - RecordSize);
            file.SeekRecord(n + 1);
        }
    };
    LogFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    play(file, 50);  // the first records are buffered now
    ASSERT_EQ(::truncate(path.c_str(), RecordOffset(1001)), 0);
    // Stop and Output: back to record 1, and the export reads what the file holds.
    file.SeekRecord(1);
    EXPECT_EQ(readToEnd(file), 1000);

    // Reading on after a pause, without a seek (Output after Pause).
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    play(file, 1);
    ASSERT_EQ(::truncate(path.c_str(), RecordOffset(101)), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(readToEnd(file), 99);

    // Bytes rewritten in place are read as they are now, not as buffered.
    WriteBytes(path, LogBuilder().Numbered(10).Bytes());
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.ReadHeader());
    play(file, 5);
    {
        const testing::FileDescriptor writer(::open(path.c_str(), O_WRONLY));
        const unsigned char changed = 0xEE;
        ASSERT_EQ(::pwrite(writer.Get(), &changed, 1, RecordOffset(2) + 4), 1);
    }
    file.SeekRecord(2);
    EXPECT_EQ(file.ReadRecord()->SlotBytes[0], 0xEE);
}

TEST_F(LogFileTest, LoaderReportsEachOutcome) {
    LogFile file;
    EXPECT_EQ(LoadLogFile(dir.File("missing.bin"), file).Status, LogLoadStatus::CannotOpen);

    WriteBytes(dir.File("short.bin"), std::vector<unsigned char>(20, 0));
    auto result = LoadLogFile(dir.File("short.bin"), file);
    EXPECT_EQ(result.Status, LogLoadStatus::NoHeader);
    EXPECT_EQ(result.RecordCount, -1);  // (20 - 44) / 22 = -1.09
    EXPECT_FALSE(file.IsOpen());        // what does not load is released

    for (const double bad :
         {2958466.5, std::numeric_limits<double>::infinity(), -1e9, std::nan("")}) {
        const auto path = Write(LogBuilder().StartDate(bad), "bad.bin");
        file.Close();
        EXPECT_EQ(LoadLogFile(path, file).Status, LogLoadStatus::InvalidStartDate) << bad;
        EXPECT_FALSE(file.IsOpen());
    }

    file.Close();
    const auto path = Write(
        LogBuilder().Slots({33}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(5).Tail(12));
    result = LoadLogFile(path, file);
    EXPECT_EQ(result.Status, LogLoadStatus::Ok);
    EXPECT_EQ(result.RecordCount, 6);
    EXPECT_EQ(result.Start, DateTime::FromCivil(2026, 12, 5, 10));
    EXPECT_EQ(result.Header.SlotItemCodes[0], 33);
    EXPECT_EQ(file.Position(), RecordOffset(1));
}

}  // namespace
}  // namespace orvane
