#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "CsvTool.h"
#include "DemoDrive.h"
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

// Runs the tool with its output and error streams captured in files.
struct ToolRun {
    int status = 0;
    std::string out;
    std::string err;
};

class CsvToolTest : public ::testing::Test {
protected:
    ToolRun Tool(std::vector<std::string> args) {
        const std::string outPath = dir.File("stdout.txt");
        const std::string errPath = dir.File("stderr.txt");
        std::FILE* out = std::fopen(outPath.c_str(), "w+");
        std::FILE* err = std::fopen(errPath.c_str(), "w+");
        ToolRun run;
        run.status = RunCsvTool(args, fileno(out), out, err);
        std::fclose(out);
        std::fclose(err);
        run.out = ReadText(outPath);
        run.err = ReadText(errPath);
        return run;
    }
    std::string DemoLog(const std::string& name, int records) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(demo::WriteDemoLog(path, records, 3, DateTime::FromCivil(2026, 12, 5, 10)));
        return path;
    }
    TempDir dir;
};

TEST_F(CsvToolTest, AppendsWhatThePlayersExportAppendsRightAfterOpening) {
    const auto log = DemoLog("orvn0001.bin", 500);
    ASSERT_EQ(Tool({log}).status, 0);

    // The player's way: load, then export from the shared position.
    LogFile file;
    const auto loaded = LoadLogFile(log, file);
    ASSERT_EQ(loaded.Status, LogLoadStatus::Ok);
    const CsvExport exporter(loaded.Start, loaded.Header.SlotItemCodes);
    const std::string playerCsv = dir.File("player.csv");
    ASSERT_TRUE(exporter.AppendTo(file, playerCsv).Ok);
    file.Close();
    const std::string expected = ReadText(playerCsv);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 501);

    // Whole texts are compared as booleans: a mismatch would print megabytes.
    EXPECT_TRUE(ReadText(dir.File("orvn0001.csv")) == expected);
    const auto toStdout = Tool({"--stdout", log});
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    EXPECT_TRUE(toStdout.out == expected);
    // Appends, never replaces.
    ASSERT_EQ(Tool({log}).status, 0);
    EXPECT_TRUE(ReadText(dir.File("orvn0001.csv")) == expected + expected);
}

TEST_F(CsvToolTest, BadLogsAreReportedAndTheOthersStillExported) {
    const auto good = DemoLog("orvn0002.bin", 20);
    WriteBytes(dir.File("orvn0003.bin"), std::vector<unsigned char>(30, 0));
    WriteBytes(dir.File("orvn0004.bin"), LogBuilder().StartDate(1e9).Numbered(3).Bytes());
    const auto run =
        Tool({dir.File("missing.bin"), dir.File("orvn0003.bin"), dir.File("orvn0004.bin"), good});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.bin: ログファイルがオープンできません。"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("orvn0003.bin: not a log file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("orvn0004.bin: ログファイルが不正です。"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("orvn0003.csv")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("orvn0004.csv")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("orvn0002.csv")));
}

TEST_F(CsvToolTest, UsageErrors) {
    EXPECT_EQ(Tool({}).status, 2);
    EXPECT_EQ(Tool({"--bogus", "x.bin"}).status, 2);
    EXPECT_EQ(Tool({"--stdout"}).status, 2);
    EXPECT_EQ(Tool({"--stdout", "a.bin", "b.bin"}).status, 2);
    const auto help = Tool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: orvane-csv"), std::string::npos);
}

TEST_F(CsvToolTest, InfoSummarisesTheLog) {
    WriteBytes(dir.File("orvn0005.bin"), LogBuilder()
                                             .Slots({33, -1, 2})
                                             .Start(DateTime::FromCivil(2026, 12, 5, 10))
                                             .Record(0)
                                             .Record(61234)
                                             .Tail(12)
                                             .Bytes());
    const auto run = Tool({"--info", dir.File("orvn0005.bin")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("start              2026-12-05 10:00:00"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("record count       3 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("complete records   2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("last sample        2026-12-05 10:01:01  ms 234"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("code 33    Engine speed"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("   2  code"), std::string::npos) << run.out;
}

TEST_F(CsvToolTest, ExportsALogAPlayerHasOpenButNotOneBeingWritten) {
    const auto log = DemoLog("orvn0001.bin", 50);
    {
        // A player reading the log does not keep the exporter out.
        LogFile player;
        ASSERT_EQ(LoadLogFile(log, player).Status, LogLoadStatus::Ok);
        EXPECT_EQ(Tool({log}).status, 0);
        EXPECT_FALSE(ReadText(dir.File("orvn0001.csv")).empty());
    }
    const testing::FileDescriptor writer(::open(log.c_str(), O_WRONLY | O_APPEND));
    ASSERT_GE(writer.Get(), 0);
    const ToolRun run = Tool({"--stdout", log});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("written by another program"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace orvane
