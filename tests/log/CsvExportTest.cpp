#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <clocale>

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
    EXPECT_EQ(CsvExport::CsvPathFor("ab"), ".csv");
}

}  // namespace
}  // namespace orvane
