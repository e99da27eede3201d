#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "CsvTool.h"
#include "DemoDrive.h"
#include "LogBuilder.h"
#include "TempDir.h"
#include "analysis/FormulaStream.h"
#include "analysis/LogMap.h"
#include "analysis/LogStatistics.h"
#include "analysis/MapComparison.h"
#include "analysis/StatisticsComparison.h"
#include "log/CsvExport.h"
#include "log/CsvRangeExport.h"
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
    ToolRun Tool(std::vector<std::string> args,
                 std::chrono::milliseconds lockWait = CsvToolLockWait) {
        const std::string outPath = dir.File("stdout.txt");
        const std::string errPath = dir.File("stderr.txt");
        std::FILE* out = std::fopen(outPath.c_str(), "w+");
        std::FILE* err = std::fopen(errPath.c_str(), "w+");
        ToolRun run;
        run.status = RunCsvTool(args, fileno(out), out, err, lockWait);
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

std::int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// Polls `condition` for up to 30 seconds.
bool WaitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// A real orvane-csv process; its standard error (and, when named, its standard output)
// goes to a file.
class CsvProcess {
public:
    CsvProcess(const std::vector<std::string>& args, const std::string& errPath,
               const std::string& outPath = {}) {
        std::vector<std::string> all{ORVANE_CSV};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        if (!outPath.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (posix_spawn(&pid_, ORVANE_CSV, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CsvProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    bool Running() const {
        int status = 0;
        return ::waitpid(pid_, &status, WNOHANG) == 0;
    }
    int Wait() {
        int status = -1;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
};

TEST_F(CsvToolTest, AnEndingSignalTakesTheExportInProgressBack) {
    const auto log = DemoLog("orvn0001.bin", 200000);
    const auto csv = dir.File("orvn0001.csv");
    const auto whole = static_cast<std::int64_t>(Tool({"--stdout", log}).out.size());
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const std::string before = signal == SIGINT ? "" : "earlier export\r\n";
        std::filesystem::remove(csv);
        if (!before.empty()) WriteBytes(csv, before);
        const auto start = static_cast<std::int64_t>(before.size());
        CsvProcess tool({log}, dir.File("err.txt"));
        // Held still as soon as it has appended something.
        ASSERT_TRUE(WaitUntil([&] { return FileSize(csv) > start; }));
        tool.Signal(SIGSTOP);
        ASSERT_LT(FileSize(csv), start + whole) << "the export ended before the signal";
        tool.Signal(signal);
        tool.Signal(SIGCONT);
        const int status = tool.Wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(std::filesystem::exists(csv), !before.empty()) << signal;
        if (!before.empty()) {
            EXPECT_TRUE(ReadText(csv) == before) << signal;
        }
        // Said as what it is, not as another export holding the file.
        const std::string said = ReadText(dir.File("err.txt"));
        EXPECT_NE(said.find(std::string("stopped by SIG") + sigabbrev_np(signal)),
                  std::string::npos)
            << said;
        EXPECT_EQ(said.find("another export"), std::string::npos) << said;
    }
}

TEST_F(CsvToolTest, AnEndingSignalDuringARangeExportLeavesTheEarlierFileAndNoTemporary) {
    const auto log = DemoLog("orvn0001.bin", 200000);
    const auto csv = dir.File("orvn0001_000001-200000.csv");
    WriteBytes(csv, "earlier export\r\n");
    const auto temporaryGrows = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            if (entry.path().filename().string().find(".csv.tmp-") != std::string::npos &&
                FileSize(entry.path().string()) > 0) {
                return true;
            }
        }
        return false;
    };
    CsvProcess tool({"--from", "1", log}, dir.File("err.txt"));
    ASSERT_TRUE(WaitUntil(temporaryGrows));
    tool.Signal(SIGSTOP);
    ASSERT_TRUE(temporaryGrows()) << "the export ended before the signal";
    tool.Signal(SIGTERM);
    tool.Signal(SIGCONT);
    const int status = tool.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(ReadText(csv), "earlier export\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);  // and err
    EXPECT_NE(ReadText(dir.File("err.txt")).find("stopped by SIGTERM"), std::string::npos);
}

TEST_F(CsvToolTest, AnEndingSignalStopsAnExportToStandardOutputAtOnce) {
    // Nothing is taken back from standard output, so the signal is not held back until
    // the whole log has been printed.
    const auto log = DemoLog("orvn0001.bin", 200000);
    const auto whole = static_cast<std::int64_t>(Tool({"--stdout", log}).out.size());
    const auto printed = dir.File("printed.csv");
    CsvProcess tool({"--stdout", log}, dir.File("err.txt"), printed);
    ASSERT_TRUE(WaitUntil([&] { return FileSize(printed) > 0; }));
    tool.Signal(SIGSTOP);
    ASSERT_LT(FileSize(printed), whole) << "the export ended before the signal";
    tool.Signal(SIGINT);
    tool.Signal(SIGCONT);
    const int status = tool.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_LT(FileSize(printed), whole);
}

TEST_F(CsvToolTest, ASecondExportToTheSameCsvFileWaitsForTheFirst) {
    // Two logs whose names give one CSV name.
    const auto first = DemoLog("orvn0001.bin", 200000);
    const auto second = DemoLog("orvn0001.log", 300);
    const auto csv = dir.File("orvn0001.csv");
    const std::string secondCsv = Tool({"--stdout", second}).out;
    CsvProcess a({first}, dir.File("a.txt"));
    ASSERT_TRUE(WaitUntil([&] { return FileSize(csv) > 0; }));
    a.Signal(SIGSTOP);
    CsvProcess b({second}, dir.File("b.txt"));
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(dir.File("b.txt")).find("waiting") != std::string::npos; }));
    EXPECT_TRUE(b.Running());
    // The first export fails: it takes back its own lines, and only those.
    a.Signal(SIGTERM);
    a.Signal(SIGCONT);
    EXPECT_TRUE(WIFSIGNALED(a.Wait()));
    const int status = b.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(ReadText(csv) == secondCsv);

    // Held for longer than the tool waits, the file is not written and that is said.
    const int other = ::open(csv.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const auto run = Tool({second}, std::chrono::milliseconds(200));
    ::close(other);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("orvn0001.csv is being written by another export; waiting"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("orvn0001.log: not exported"), std::string::npos) << run.err;
    EXPECT_TRUE(ReadText(csv) == secondCsv);
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
    EXPECT_EQ(run.out.find("millis"), std::string::npos) << run.out;

    // A counter that goes back (reset twice, or records out of order) is named.
    WriteBytes(dir.File("orvn0006.bin"), LogBuilder()
                                             .Slots({33})
                                             .Start(DateTime::FromCivil(2026, 12, 5, 10))
                                             .Record(100)
                                             .Record(200)
                                             .Record(-5)
                                             .Record(0)
                                             .Record(-1)
                                             .Bytes());
    const auto backwards = Tool({"--info", dir.File("orvn0006.bin")});
    EXPECT_EQ(backwards.status, 0);
    EXPECT_NE(backwards.out.find("millis             go backwards 2 times, first at sample 3 "
                                 "(200 to -5)"),
              std::string::npos)
        << backwards.out;
}

// Samples 1 to 3 from 10:00:00, a pause of 4:35, samples 4 and 5, a gap of 4999 ms (no
// pause), samples 6 and 7, a pause of 10:53, samples 8 and 9.
std::vector<unsigned char> PausedLog() {
    LogBuilder log;
    log.Slots({33, 2, 44}).Start(DateTime::FromCivil(2026, 12, 5, 10));
    std::int32_t millis = 0;
    for (const std::int32_t gap : {0, 100, 100, 275'000, 100, 4999, 100, 653'000, 100}) {
        millis += gap;
        log.Record(millis, {100, 0x80, 50});
    }
    return log.Bytes();
}

TEST_F(CsvToolTest, InfoGivesTheDurationTheSampleRateAndThePauses) {
    WriteBytes(dir.File("orvn0006.bin"), PausedLog());
    const auto run = Tool({"--info", dir.File("orvn0006.bin")});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string expected =
        "  duration           15:33.4\n"
        // Without the pauses: 6 gaps between samples (5 of 100 ms, one of 4999 ms).
        "  mean sample rate   1.09 samples a second, pauses left out\n"
        "  pauses             2 of 5 s or more:\n"
        "    samples 3 to 4           10:00:00 to 10:04:35  4:35.0\n"
        "    samples 7 to 8           10:04:40 to 10:15:33  10:53.0\n";
    EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;

    WriteBytes(dir.File("orvn0007.bin"), LogBuilder().Slots({33}).Numbered(11).Bytes());
    const auto steady = Tool({"--info", dir.File("orvn0007.bin")});
    EXPECT_NE(steady.out.find("  duration           0:01.0\n"
                              "  mean sample rate   10 samples a second, pauses left out\n"
                              "  pauses             none of 5 s or more\n"),
              std::string::npos)
        << steady.out;
}

TEST_F(CsvToolTest, ATimeRangeInsideAPauseSaysSo) {
    const std::string log = dir.File("orvn0006.bin");
    WriteBytes(log, PausedLog());
    const auto inside = Tool({"--from", "10:02:00", "--to", "10:03:00", "--stdout", log});
    EXPECT_EQ(inside.status, 2);
    EXPECT_NE(inside.err.find(": no sample from 10:02:00 to 10:03:00: the logging pauses for "
                              "4:35.0 from sample 3 (10:00:00) to sample 4 (10:04:35)\n"),
              std::string::npos)
        << inside.err;
    // Seconds merely skipped are no pause; a start after the end is an empty range.
    const auto skipped = Tool({"--stats", "--from", "10:04:36", "--to", "10:04:39", log});
    EXPECT_EQ(skipped.status, 2);
    EXPECT_NE(skipped.err.find(": no sample from 10:04:36 to 10:04:39: the log goes from sample 5 "
                               "(10:04:35) to sample 6 (10:04:40)\n"),
              std::string::npos)
        << skipped.err;
    const auto reversed = Tool({"--from", "10:04:36", "--to", "10:04:35", "--stdout", log});
    EXPECT_EQ(reversed.status, 2);
    EXPECT_NE(reversed.err.find("the range 6 to 5 is empty"), std::string::npos) << reversed.err;
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

// The lines Output writes for samples first to last of a log, with the header line.
std::string OutputLines(const std::string& log, SampleRange range) {
    LogFile file;
    const auto loaded = LoadLogFile(log, file);
    const CsvExport exporter(loaded.Start, loaded.Header.SlotItemCodes);
    std::string lines = exporter.HeaderLine();
    file.SeekRecord(range.First);
    for (std::int64_t s = range.First; s <= range.Last; ++s)
        lines += exporter.RecordLine(*file.ReadRecord());
    return lines;
}

TEST_F(CsvToolTest, VersionAndTheEndOfOptions) {
    const auto version = Tool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "orvane-csv " ORVANE_VERSION "\n");
    DemoLog("-dash.bin", 5);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const auto dashed = Tool({"--stdout", "--", "-dash.bin"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(dashed.status, 0) << dashed.err;
    EXPECT_EQ(std::count(dashed.out.begin(), dashed.out.end(), '\n'), 6);
}

TEST_F(CsvToolTest, FromAndToExportARangeBySampleNumbersOrTimes) {
    // Starts 23:59:00; samples about 100 ms apart run past midnight.
    const std::string log = dir.File("orvn0007.bin");
    ASSERT_TRUE(demo::WriteDemoLog(log, 1500, 3, DateTime::FromCivil(2026, 12, 5, 23, 59)));

    EXPECT_EQ(Tool({"--from", "120", "--to", "480", log}).status, 0);
    EXPECT_TRUE(ReadText(dir.File("orvn0007_000120-000480.csv")) == OutputLines(log, {120, 480}));
    // Either end alone, and --name=value.
    EXPECT_EQ(Tool({"--from=1490", log}).status, 0);
    EXPECT_TRUE(ReadText(dir.File("orvn0007_001490-001500.csv")) == OutputLines(log, {1490, 1500}));
    const auto one = Tool({"--to", "1", "--stdout", log});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, OutputLines(log, {1, 1}));

    // 23:59:30 to 00:00:10: the first sample at or after, the last at or before, the
    // second time taken after midnight.
    std::int64_t from = 0, to = 0;
    {
        LogFile file;  // closed before the tool runs: logs are locked while open
        LoadLogFile(log, file);
        for (std::int64_t s = 1; s <= 1500; ++s) {
            const auto seconds = WholeSeconds(file.ReadRecord()->Millis);
            if (from == 0 && seconds >= 30) from = s;
            if (seconds <= 70) to = s;
        }
    }
    const auto timed = Tool({"--from", "23:59:30", "--to", "00:00:10", "--stdout", log});
    EXPECT_EQ(timed.status, 0) << timed.err;
    EXPECT_TRUE(timed.out == OutputLines(log, {from, to}));
    EXPECT_NE(timed.out.find("\r\n26/12/06,00:00:10,"), std::string::npos);
    EXPECT_EQ(timed.out.find("\r\n26/12/06,00:00:11,"), std::string::npos);
}

TEST_F(CsvToolTest, RangesOutsideTheLogAndBadValuesExitWithStatus2) {
    const auto log = DemoLog("orvn0008.bin", 100);
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--from", "50", "--to", "101", log}, "sample 101 is beyond the end of the log"},
        {{"--from", "0", log}, "sample 0 is not in the log"},
        {{"--from", "60", "--to", "50", log}, "the range 60 to 50 is empty"},
        {{"--from", "11:00:00", log}, "11:00:00 is after the log's last sample"},
        {{"--from", "25:00:00", log}, "--from takes a sample number or a time of day"},
        {{"--to", "1:2:3", log}, "--to takes a sample number or a time of day"},
        {{log, "--from"}, "--from needs a value"},
        {{"--info", "--from", "3", log}, "--from and --to do not go with --info"},
        {{"--stats", "--stdout", log}, "--stdout goes with an export only"},
        {{"--stats", "--map", "33,44,38", log}, "cannot be combined"},
        {{"--x-range", "0:10:1", log}, "--x-range and --y-range go with --map"},
        {{"--map", "33,44", log}, "--map takes three item codes"},
        {{"--map", "33,44,38,median", log}, "max, mean, min or count, not median"},
        {{"--map", "33,44,38", "--x-range", "0:10", log}, "an axis range is A:B:STEP"},
        {{"--map", "33,44,38", "--y-range", "10:0:1", log}, "must be above its start"},
        {{"--map", "33,99,38", log}, "the log has no item 99"},
        {{"--map", "33,44,38", log, log}, "--map takes one log"},
        {{"--threshold", "7:100", log}, "--threshold goes with --stats"},
        {{"--stats", "--threshold", "7", log}, "--threshold takes CODE:T1"},
        {{"--stats", "--threshold", "99:1", log}, "the log has no item 99"},
    };
    for (const auto& [args, message] : cases) {
        const auto run = Tool(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << message;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("orvn0008_000050-000101.csv")));
}

TEST_F(CsvToolTest, StatsPrintsTheStatisticsTable) {
    const auto log = DemoLog("orvn0009.bin", 3000);
    const auto run =
        Tool({"--stats", "--from", "100", "--to", "2500", "--threshold", "7:60:70", log});
    EXPECT_EQ(run.status, 0) << run.err;
    LogFile file;
    ASSERT_EQ(LoadLogFile(log, file).Status, LogLoadStatus::Ok);
    std::array<SlotThresholds, SlotCount> thresholds{};
    thresholds[1] = {60, 70};  // coolant is slot 2 of demo logs
    std::string error;
    const auto statistics = LogStatistics::Compute(file, {100, 2500}, thresholds, {}, error);
    EXPECT_EQ(run.out, statistics->TabSeparatedText());
    EXPECT_NE(run.out.find("\nCoolant temp\tc\t"), std::string::npos);
    EXPECT_NE(run.out.find("\n\nSwitch\tON samples\tON time (s)\nIdle-SW\t"), std::string::npos);
    file.Close();

    // Several logs: one table each, under the log's name.
    const auto other = DemoLog("orvn0010.bin", 10);
    const auto both = Tool({"--stats", log, other});
    EXPECT_EQ(both.status, 0);
    EXPECT_EQ(both.out.find("==> " + log + " <==\nItem\t"), 0u);
    EXPECT_NE(both.out.find("\n\n==> " + other + " <==\nItem\t"), std::string::npos);
}

TEST_F(CsvToolTest, MapPrintsTheMapTable) {
    const auto log = DemoLog("orvn0011.bin", 3000);
    const auto run =
        Tool({"--map", "33,23,6,mean", "--x-range", "0:7000:1000", "--to", "2000", log});
    EXPECT_EQ(run.status, 0) << run.err;
    LogFile file;
    ASSERT_EQ(LoadLogFile(log, file).Status, LogLoadStatus::Ok);
    std::string error;
    // The axis not given fits the values of the range.
    const auto part = ScanSlotExtents(file, {1, 2000}, {}, error);
    MapRequest request;
    request.XSlot = 1;
    request.YSlot = 3;
    request.ZSlot = 4;
    request.X = {0, 7000, 1000};
    request.Y = FittedMapAxis(23, (*part)[2]);
    request.Range = {1, 2000};
    EXPECT_EQ(run.out, LogMap::Compute(file, request, {}, error)->Text(MapStatistic::Mean, ','));
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), ",0,1000,2000,3000,4000,5000,6000");
    // The default statistic is the maximum, on fitted axes.
    const auto all = ScanSlotExtents(file, {1, 3000}, {}, error);
    MapRequest whole;
    whole.XSlot = 1;
    whole.YSlot = 18;
    whole.ZSlot = 14;
    whole.X = FittedMapAxis(33, (*all)[0]);
    whole.Y = FittedMapAxis(44, (*all)[17]);
    whole.Range = {1, 3000};
    const std::string expected = LogMap::Compute(file, whole, {}, error)->Text(MapStatistic::Max);
    file.Close();
    EXPECT_EQ(Tool({"--map", "33,44,38", log}).out, expected);
}

TEST_F(CsvToolTest, MapAxesFitThePlantedValuesAndAMissingItemListsTheLogsItems) {
    // Mass air flow from 50.32 to 905.76 Hz: rows 0 to 900 by 100, not 100.25, 200.49...
    LogBuilder planted;
    planted.Slots({33, 2, 26, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10));
    const std::uint8_t maf[] = {8, 60, 144, 100};
    for (int i = 0; i < 4; ++i)
        planted.Record(i * 100, {static_cast<std::uint8_t>(32 * i), 0, maf[i], 2});
    std::filesystem::create_directory(dir.File("sub"));
    const std::string log = dir.File("orvn0012.bin");
    WriteBytes(log, planted.Bytes());
    const auto run = Tool({"--map", "33,26,26,count", log});
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < run.out.size();) {
        const std::size_t end = run.out.find('\n', at);
        rows.push_back(run.out.substr(at, run.out.find(',', at) - at));
        at = end + 1;
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"", "0", "100", "200", "300", "400", "500", "600",
                                              "700", "800", "900"}));
    // Engine speed keeps 0 to 8000 by 500.
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              ",0,500,1000,1500,2000,2500,3000,3500,4000,4500,5000,5500,6000,6500,7000,7500");

    // Named through a folder and back out: the message names the log as it is.
    const auto missing = Tool({"--map", "33,44,38", dir.File("sub/../orvn0012.bin")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "orvane-csv: " + log +
                               ": the log has no item 44; it has 33 (rpm), 26 (maf), 38 (knock)\n");
}

TEST_F(CsvToolTest, ComputedItemsAndAFilterGoIntoTheStatisticsTheMapAndTheCsvColumns) {
    const auto log = DemoLog("orvn0020.bin", 3000);
    const std::string duty = "duty=ipw * rpm / 1200";
    const std::string rate = "rate=(rpm - rpm_prev) / dt";
    LogFile file;
    ASSERT_EQ(LoadLogFile(log, file).Status, LogLoadStatus::Ok);
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    const std::vector<ComputedItemDefinition> items{{"duty", "", "ipw * rpm / 1200", {}, {}},
                                                    {"rate", "", "(rpm - rpm_prev) / dt", {}, {}}};

    // --stats: the filter's line, then the table with the computed rows.
    const auto stats = Tool({"--stats", "--computed", duty, "--computed=" + rate, "--where",
                             "tps > 30 && rpm > 2000", log});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const auto formulas = FormulaSet::Prepare(*outline, items, "tps > 30 && rpm > 2000", error);
    const auto statistics = LogStatistics::Compute(
        file, {1, 3000}, std::array<SlotThresholds, SlotCount>{}, *formulas, {}, error);
    EXPECT_EQ(stats.out, statistics->FilterSummary() + "\n" + statistics->TabSeparatedText());
    EXPECT_EQ(stats.out.find("tps > 30 && rpm > 2000: "), 0u);
    EXPECT_NE(stats.out.find("\nduty\t\t"), std::string::npos);

    // --map by names, a computed item on an axis: its values' range in the log.
    EXPECT_EQ(Tool({"--map", "rpm,air_volume,knock,max", log}).out,
              Tool({"--map", "33,44,38,max", log}).out);
    const auto map =
        Tool({"--map", "rpm,duty,knock,count", "--computed", duty, "--where", "coolant > 50", log});
    ASSERT_EQ(map.status, 0) << map.err;
    MapRequest request;
    request.XSlot = outline->SlotOf(33);
    request.X = FittedMapAxis(33, (*ScanSlotExtents(file, {1, 3000}, {}, error))[0]);
    request.YComputed = "duty";
    const auto ranges = ComputedValueRanges(file, *formulas, {1, 3000}, {}, error);
    request.Y = DefaultMapAxis(items[0], (*ranges)[0]);
    request.ZSlot = outline->SlotOf(38);
    request.Range = {1, 3000};
    request.Computed = {items[0]};
    request.Filter = "coolant > 50";
    const auto expected = LogMap::Compute(file, request, {}, error);
    ASSERT_TRUE(expected) << error;
    EXPECT_EQ(map.out, expected->FilterSummary() + "\n" + expected->Text(MapStatistic::Count, ','));

    // CSV: one column per computed item after the log's own; the lines otherwise as
    // Output writes them. The first sample has no rate (no time since the one before).
    const auto csv = Tool({"--stdout", "--computed", duty, "--computed", rate, log});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::string plain = OutputLines(log, {1, 3000});
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\r')),
              plain.substr(0, plain.find('\r')) + ",duty,rate");
    const std::string firstPlain = plain.substr(
        plain.find('\n') + 1, plain.find('\n', plain.find('\n') + 1) - plain.find('\n') - 3);
    const std::size_t at = csv.out.find('\n') + 1;
    const std::string first = csv.out.substr(at, csv.out.find('\n', at) - at);
    EXPECT_EQ(first.substr(0, firstPlain.size()), firstPlain);
    EXPECT_TRUE(first.ends_with(",\r")) << first;  // rate: none
    const auto ranged = Tool({"--stdout", "--from", "100", "--to", "102", "--computed", rate, log});
    EXPECT_EQ(std::count(ranged.out.begin(), ranged.out.end(), '\n'), 4);
    EXPECT_EQ(Tool({"--stdout", "--from", "100", "--to", "102", log}).out,
              OutputLines(log, {100, 102}));
}

TEST_F(CsvToolTest, BadFormulasAndItemsTheLogLacksAreReported) {
    const auto log = DemoLog("orvn0021.bin", 100);
    const std::pair<std::vector<std::string>, const char*> usage[] = {
        {{"--stats", "--computed", "duty=ipw * rpm /", log},
         "--computed duty=ipw * rpm /: Unexpected end of expression at position 12"},
        {{"--stats", "--computed", "duty=ipw * foo", log},
         "Unexpected token \"foo\" found at position 6."},
        {{"--stats", "--where", "sqrt(1, 2)", log}, "--where sqrt(1, 2): Too many parameters"},
        {{"--stats", "--where", "rpm = 3000", log}, "\"=\" assigns a value"},
        {{"--stats", "--computed", "ipw * 2", log}, "--computed takes NAME=FORMULA"},
        {{"--stats", "--computed", "rpm=ipw * 2", log}, "the name is an item's or a switch's"},
        {{"--stats", "--computed", "a,b=ipw", log}, "a name holds no comma"},
        {{"--stats", "--computed", "d=ipw", "--computed", "d=rpm", log}, "d is given twice"},
        {{"--computed", "d=ipw", log}, "--computed goes with --stats, --map, --stdout"},
        {{"--stdout", "--where", "rpm > 1", log}, "--where goes with --stats and --map"},
        {{"--map", "rpm,duty,knock", log}, "\"duty\" is no item code, item name or name"},
        {{"--map", "rpm,d,knock", "--computed", "d=egr", log},
         "the computed item d needs egr (EGR temp), which the log does not record"},
        {{"--stats", "--where", "egr > 3", log},
         "--where: the filter needs egr (EGR temp), which the log does not record"},
    };
    for (const auto& [args, message] : usage) {
        const auto run = Tool(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << message;
    }
    // A computed item the log lacks what it needs for is left out, and said so.
    const auto absent = Tool({"--stats", "--computed", "hot=egr * 2", log});
    EXPECT_EQ(absent.status, 0);
    EXPECT_NE(absent.err.find("computed item hot left out: needs egr (EGR temp)"),
              std::string::npos);
    EXPECT_EQ(absent.out, Tool({"--stats", log}).out);
}

TEST_F(CsvToolTest, CompareWithAReferencePrintsBothLogsAndTheDifferences) {
    const auto log = DemoLog("orvn0030.bin", 3000);
    // The reference: another drive, logged faster, its items in another slot order.
    const std::string ref = dir.File("orvn0031.bin");
    const std::array<std::int16_t, SlotCount> slots{44, 2,  38, 7,  33, 23, 41, 58, 6,
                                                    26, -1, -1, -1, -1, -1, -1, -1, -1};
    ASSERT_TRUE(
        demo::WriteDemoLog(ref, 2500, 4, DateTime::FromCivil(2026, 12, 6, 9), nullptr, 80, slots));
    LogFile file, refFile;
    ASSERT_EQ(LoadLogFile(log, file).Status, LogLoadStatus::Ok);
    ASSERT_EQ(LoadLogFile(ref, refFile).Status, LogLoadStatus::Ok);
    std::string error;
    const auto outline = LogOutline::Of(file, error);
    const auto refOutline = LogOutline::Of(refFile, error);

    // --stats: the filters' lines, then the table of both; the options apply to both logs.
    const auto stats = Tool({"--stats", "--from", "100", "--threshold", "7:60:80", "--computed",
                             "duty=ipw * rpm / 1200", "--where", "rpm > 1000", log, "--compare",
                             ref, "--ref-to", "2000"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const std::vector<ComputedItemDefinition> items{{"duty", "", "ipw * rpm / 1200", {}, {}}};
    std::array<SlotThresholds, SlotCount> thresholds{}, refThresholds{};
    thresholds[1] = {60, 80};     // coolant: slot 2 of demo logs
    refThresholds[3] = {60, 80};  // and slot 4 of the reference
    const auto statistics = [&](const LogFile& f, const LogOutline& o, SampleRange range,
                                const std::array<SlotThresholds, SlotCount>& t) {
        return *LogStatistics::Compute(
            f, range, t, *FormulaSet::Prepare(o, items, "rpm > 1000", error), {}, error);
    };
    const StatisticsComparison comparison(
        statistics(file, *outline, {100, 3000}, thresholds),
        statistics(refFile, *refOutline, {1, 2000}, refThresholds));
    EXPECT_EQ(stats.out, comparison.FilterSummary() + "\n" + comparison.TabSeparatedText());
    EXPECT_NE(stats.out.find("\nreference: rpm > 1000: "), std::string::npos);
    EXPECT_NE(stats.out.find("\nBattery\tV\tlog only\t"), std::string::npos);
    EXPECT_NE(stats.out.find("\nCoolant temp\tc\tboth\t"), std::string::npos);

    // --map: both maps on the log's fitted axes, then the differences.
    const auto map = Tool({"--map", "33,44,38,mean", log, "--compare", ref, "--ref-from", "200",
                           "--grey-below", "5"});
    ASSERT_EQ(map.status, 0) << map.err;
    const auto extents = ScanSlotExtents(file, {1, 3000}, {}, error);
    MapRequest request;
    request.XSlot = 1;
    request.YSlot = 18;
    request.ZSlot = 14;
    request.X = FittedMapAxis(33, (*extents)[0]);
    request.Y = FittedMapAxis(44, (*extents)[17]);
    request.Range = {1, 3000};
    const auto expected = MapComparison::Compute(file, refFile, request, {200, 2500}, {}, error);
    ASSERT_TRUE(expected) << error;
    EXPECT_EQ(expected->Reference().Request().YSlot, 1);
    EXPECT_EQ(map.out, expected->Text(MapStatistic::Mean, 5, ',', log, ref));
}

TEST_F(CsvToolTest, AReferenceThatCannotBeReadIsReportedAsALogIs) {
    const auto log = DemoLog("orvn0032.bin", 100);
    const auto ref = DemoLog("orvn0033.bin", 100);
    WriteBytes(dir.File("short.bin"), std::vector<unsigned char>(30, 0));
    WriteBytes(dir.File("bad.bin"), LogBuilder().StartDate(1e9).Numbered(3).Bytes());
    const std::pair<std::vector<std::string>, std::string> unreadable[] = {
        {{"--stats", log, "--compare", dir.File("missing.bin")},
         dir.File("missing.bin") + ": ログファイルがオープンできません。"},
        {{"--map", "33,44,38", log, "--compare", dir.File("short.bin")},
         dir.File("short.bin") + ": not a log file: shorter than its 44-byte header"},
        {{"--stats", log, "--compare", dir.File("bad.bin")},
         dir.File("bad.bin") + ": ログファイルが不正です。"}};
    for (const auto& [args, message] : unreadable) {
        const auto run = Tool(args);
        EXPECT_EQ(run.status, 1) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    // A range beyond the reference, an item it lacks, and options out of place.
    WriteBytes(dir.File("few.bin"), LogBuilder()
                                        .Slots({33, 38})
                                        .Start(DateTime::FromCivil(2026, 12, 5, 10))
                                        .Numbered(5)
                                        .Bytes());
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--stats", log, "--compare", ref, "--ref-to", "101"},
         ref + ": sample 101 is beyond the end of the log"},
        {{"--map", "33,44,38", log, "--compare", dir.File("few.bin")},
         dir.File("few.bin") + ": the log has no item 44; it has 33 (rpm), 38 (knock)"},
        {{"--info", log, "--compare", ref}, "--compare goes with --stats and --map"},
        {{"--stats", log, "--ref-to", "5"}, "--ref-from and --ref-to go with --compare"},
        {{"--stats", log, "--compare", ref, "--grey-below", "2"},
         "--grey-below goes with --map and --compare"},
        {{"--map", "33,44,38", log, "--compare", ref, "--grey-below", "0"},
         "--grey-below takes a number of samples, 1 or more"},
        {{"--stats", log, "--compare", ref, "--compare", ref}, "--compare is given twice"}};
    for (const auto& [args, message] : refused) {
        const auto run = Tool(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << message;
    }
}

}  // namespace
}  // namespace orvane
