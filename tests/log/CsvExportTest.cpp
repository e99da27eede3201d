#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <csignal>
#include <filesystem>

#include "LogBuilder.h"
#include "TempDir.h"
#include "log/CsvExport.h"
#include "log/LogLoader.h"

namespace orvane {
namespace {

using testing::LogBuilder;
using testing::ReadText;
using testing::TempDir;
using testing::WriteBytes;

class CsvExportTest : public ::testing::Test {
protected:
    // Writes the log, loads it as the player does and returns the exporter for it.
    std::unique_ptr<CsvExport> Load(const LogBuilder& builder,
                                    const std::string& name = "orvn0001.bin") {
        logPath = dir.File(name);
        WriteBytes(logPath, builder.Bytes());
        file.Close();
        const LogLoadResult result = LoadLogFile(logPath, file);
        EXPECT_EQ(result.Status, LogLoadStatus::Ok);
        return std::make_unique<CsvExport>(result.Start, result.Header.SlotItemCodes);
    }
    std::string Csv() const { return ReadText(CsvExport::CsvPathFor(logPath)); }

    TempDir dir;
    LogFile file;
    std::string logPath;
};

const DateTime kStart = DateTime::FromCivil(2009, 6, 15, 23, 59, 30);

TEST_F(CsvExportTest, WorkedExampleBytes) {
    auto exporter =
        Load(LogBuilder().Slots({33, 7, 2}).Start(kStart).Record(61234, {100, 100, 0x88}));
    const auto result = exporter->AppendTo(file, CsvExport::CsvPathFor(logPath));
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.RecordLines, 1);
    EXPECT_EQ(Csv(),
              "Date,Time,Milliseconds,Engine speed,Coolant temp,Switch status\r\n"
              "09/06/16,00:00:31,234,3125,33.25,Idle-SW=ON Power-SW=ON AC-SW=ON TDC=OFF\r\n");
}

TEST_F(CsvExportTest, ColumnsFollowSlotOrderAndSkipUnusedSlots) {
    auto exporter = Load(LogBuilder()
                             .Slots({-1, 0, 300, -1, 20, 20})
                             .Start(kStart)
                             .Record(1005, {9, 0x20, 7, 9, 180, 0})
                             .Record(-1, {9, 0x00, 7, 9, 0, 1}));
    EXPECT_EQ(exporter->HeaderLine(), "Date,Time,Milliseconds,Switch status2,,Battery,Battery\r\n");
    ASSERT_TRUE(exporter->AppendTo(file, CsvExport::CsvPathFor(logPath)).Ok);
    EXPECT_EQ(Csv(),
              "Date,Time,Milliseconds,Switch status2,,Battery,Battery\r\n"
              "09/06/15,23:59:31,5,AC-Relay=OFF,0,13.19,0\r\n"
              "09/06/15,23:59:29,-1,AC-Relay=ON,0,0,0.07\r\n");
}

TEST_F(CsvExportTest, AllSlotsUnusedGivesThreeFields) {
    auto exporter = Load(LogBuilder().Start(kStart).Record(0).Record(999));
    ASSERT_TRUE(exporter->AppendTo(file, CsvExport::CsvPathFor(logPath)).Ok);
    EXPECT_EQ(Csv(),
              "Date,Time,Milliseconds\r\n"
              "09/06/15,23:59:30,0\r\n"
              "09/06/15,23:59:30,999\r\n");
}

TEST_F(CsvExportTest, EmptyLogGivesTheHeaderOnly) {
    auto exporter = Load(LogBuilder().Slots({33}).Start(kStart).Tail(10));
    const auto result = exporter->AppendTo(file, CsvExport::CsvPathFor(logPath));
    EXPECT_EQ(result.RecordLines, 0);
    EXPECT_EQ(Csv(), "Date,Time,Milliseconds,Engine speed\r\n");
}

TEST_F(CsvExportTest, PartialLastRecordIsNotWrittenAndThePositionEndsAtTheEnd) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(3).Tail(15));
    const auto result = exporter->AppendTo(file, CsvExport::CsvPathFor(logPath));
    EXPECT_EQ(result.RecordLines, 3);
    EXPECT_FALSE(file.ReadRecord());
}

TEST_F(CsvExportTest, SecondExportAppendsAHeaderOnlyUntilTheLogIsRewound) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(2));
    const auto csv = CsvExport::CsvPathFor(logPath);
    ASSERT_TRUE(exporter->AppendTo(file, csv).Ok);
    const std::string once = Csv();
    ASSERT_TRUE(exporter->AppendTo(file, csv).Ok);
    EXPECT_EQ(Csv(), once + "Date,Time,Milliseconds,ISC position\r\n");
    file.SeekRecord(1);  // what Stop does
    ASSERT_TRUE(exporter->AppendTo(file, csv).Ok);
    EXPECT_EQ(Csv(), once + "Date,Time,Milliseconds,ISC position\r\n" + once);
}

TEST_F(CsvExportTest, StartsAtTheSharedReadPosition) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(4));
    ASSERT_TRUE(file.ReadRecord());
    ASSERT_TRUE(file.ReadRecord());
    ASSERT_TRUE(exporter->AppendTo(file, CsvExport::CsvPathFor(logPath)).Ok);
    EXPECT_EQ(Csv(),
              "Date,Time,Milliseconds,ISC position\r\n"
              "09/06/15,23:59:30,200,3\r\n"
              "09/06/15,23:59:30,300,4\r\n");
}

TEST_F(CsvExportTest, AClosedLogWritesTheHeaderOnly) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(4));
    file.Close();
    EXPECT_TRUE(exporter->AppendTo(file, CsvExport::CsvPathFor(logPath)).Ok);
    EXPECT_EQ(Csv(), "Date,Time,Milliseconds,ISC position\r\n");
}

TEST_F(CsvExportTest, KeepsWhatTheFileHeld) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(1));
    const auto csv = CsvExport::CsvPathFor(logPath);
    WriteBytes(csv, {'o', 'l', 'd', '\n'});
    ASSERT_TRUE(exporter->AppendTo(file, csv).Ok);
    EXPECT_EQ(Csv(), "old\nDate,Time,Milliseconds,ISC position\r\n09/06/15,23:59:30,0,1\r\n");
}

TEST_F(CsvExportTest, AFileThatCannotBeWrittenIsReportedAndNothingIsLost) {
    if (::geteuid() == 0) {
        // Root writes through permissions; /dev/full is refused to everyone.
        auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(50000));
        const auto position = file.Position();
        const auto result = exporter->AppendTo(file, "/dev/full");
        EXPECT_FALSE(result.Ok);
        EXPECT_FALSE(result.Error.empty());
        EXPECT_EQ(file.Position(), position);
    }
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(3));
    const auto position = file.Position();
    const auto result = exporter->AppendTo(file, dir.File("no/such/folder/x.csv"));
    EXPECT_FALSE(result.Ok);
    EXPECT_FALSE(result.Error.empty());
    EXPECT_EQ(file.Position(), position);
    EXPECT_TRUE(file.ReadRecord());
}

// Lets files grow to `bytes` at most while it lives, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
        const rlimit limit{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(CsvExportTest, AFailedOrCancelledExportIsTakenBackExactly) {
    auto exporter = Load(LogBuilder().Slots({22}).Start(kStart).Numbered(50000));
    const auto csv = CsvExport::CsvPathFor(logPath);
    file.SeekRecord(7);
    const auto position = file.Position();
    for (const bool existed : {true, false}) {
        std::filesystem::remove(csv);
        if (existed) WriteBytes(csv, std::string_view("earlier\r\n"));
        {
            const FileSizeLimit full(100000);
            const auto result = exporter->AppendTo(file, csv);
            EXPECT_FALSE(result.Ok);
            EXPECT_FALSE(result.Cancelled);
            EXPECT_FALSE(result.Error.empty());
        }
        // Cancelled after a few blocks, and once more after the last line.
        std::vector<std::int64_t> seen;
        for (const std::size_t stopAt : {3, 0}) {
            seen.clear();
            CsvExportControl control;
            control.Progress = [&](std::int64_t lines) {
                seen.push_back(lines);
                return seen.size() != stopAt && lines < 50000 - 6;
            };
            const auto result = exporter->AppendTo(file, csv, control);
            EXPECT_TRUE(result.Cancelled);
            EXPECT_TRUE(result.Error.empty()) << result.Error;
            EXPECT_EQ(result.RecordLines, 0);
            EXPECT_EQ(file.Position(), position);
        }
        EXPECT_GT(seen.size(), 3u);
        EXPECT_EQ(seen.back(), 50000 - 6);
        // A file the export created is removed; an earlier one keeps its bytes.
        EXPECT_EQ(std::filesystem::exists(csv), existed);
        if (existed) {
            EXPECT_EQ(Csv(), "earlier\r\n");
        }
    }
}

TEST_F(CsvExportTest, IndependentOfTheLocale) {
    auto exporter = Load(LogBuilder().Slots({20}).Start(kStart).Record(0, {180}));
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(exporter->RecordLine({0, {180}}), "09/06/15,23:59:30,0,13.19\r\n");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(CsvPath, ReplacesTheLastFourCharacters) {
    EXPECT_EQ(CsvExport::CsvPathFor("/logs/orvn0001.bin"), "/logs/orvn0001.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("/logs/orvn0001.BIN"), "/logs/orvn0001.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("/logs/orvn1"), "/logs/o.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("/ログ/ログファイル"),
              "/ログ/ログ.csv");  // characters, not bytes
    // A name of four characters or fewer keeps them all, and its folder.
    EXPECT_EQ(CsvExport::CsvPathFor("ab"), "ab.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("x"), "x.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("sub/ab"), "sub/ab.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("/logs/orvn"), "/logs/orvn.csv");
    EXPECT_EQ(CsvExport::CsvPathFor("/ログ/ログ"), "/ログ/ログ.csv");
}

}  // namespace
}  // namespace orvane
