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
#include <thread>

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

// A real orvane-csv process; its standard error goes to a file.
class CsvProcess {
public:
    CsvProcess(const std::vector<std::string>& args, const std::string& errPath) {
        std::vector<std::string> all{ORVANE_CSV};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
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
    }
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
}

}  // namespace
}  // namespace orvane
