// The Output button's export seen from the window: its progress dialog with Cancel,
// waiting for a CSV file that another export writes, and Quit meanwhile.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLabel>
#include <QPushButton>

#include "PlayerFixture.h"
#include "common/WriteAll.h"
#include "log/CsvExport.h"
#include "log/LogFormat.h"
#include "views/overview/OverviewStrip.h"
#include "views/statistics/StatisticsWindow.h"
#include "window/ExportProgress.h"

namespace orvane::testing {
namespace {

class ExportTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        csv = CsvExport::CsvPathFor(Open(Spaced(60000, 100)));
    }
    ExportProgress* Dialog() { return window->findChild<ExportProgress*>(); }
    std::string csv;
};

TEST_F(ExportTest, TheRangeExportShowsOutputsProgressAndCancelTakesItBack) {
    window->SetExportProgressDelay(std::chrono::milliseconds(0));
    const std::string target = dir.File("orvn0001_000001-060000.csv");
    WriteBytes(target, std::string_view("earlier export\r\n"));
    bool shown = false;
    host.onPump = [&] {
        shown = Dialog()->isVisible();
        window->cmdNext->click();  // the window takes no command meanwhile
        Dialog()->CancelButton()->click();
    };
    Run(Command::ExportRange);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(ReadText(target), "earlier export\r\n");
    // No temporary is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
    EXPECT_TRUE(window->picOverview->Note().startsWith("Range export cancelled"));
    // Not cancelled, it replaces the earlier file whole.
    host.onPump = nullptr;
    Run(Command::ExportRange);
    EXPECT_NE(ReadText(target), "earlier export\r\n");
}

TEST_F(ExportTest, OutputAfterTheLogWasCutExportsWhatTheFileHoldsNow) {
    const std::string path = Open(Spaced(3000, 100));
    window->cmdNext_Click();  // the log is read from the file, some of it buffered
    ASSERT_EQ(::truncate(path.c_str(), HeaderSize + 1000 * RecordSize), 0);
    window->cmdStop_Click();
    window->cmdOutput_Click();
    const std::string text = ReadText(CsvExport::CsvPathFor(path));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 1000);  // the header and 1000
}

TEST_F(ExportTest, AShortExportShowsNothingAndPumpsNoEvents) {
    Open(Spaced(3, 100));
    window->cmdOutput_Click();
    EXPECT_EQ(host.pumps, 0);
    EXPECT_TRUE(std::filesystem::exists(csv));
}

TEST_F(ExportTest, CancelTakesTheExportBackAndTheWindowTakesNoCommandsMeanwhile) {
    window->SetExportProgressDelay(std::chrono::milliseconds(0));
    WriteBytes(csv, std::string_view("earlier export\r\n"));
    window->cmdNext_Click();  // sample 1 on display: the export starts at record 2
    bool shown = false;
    host.onPump = [&] {
        shown = Dialog()->isVisible();
        window->cmdNext->click();  // nothing runs while the export does
        window->cmdStop->click();
        Dialog()->CancelButton()->click();
    };
    window->cmdOutput_Click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_EQ(ReadText(csv), "earlier export\r\n");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Seq(), "1");
    window->cmdNext_Click();  // the read position is back on record 2
    EXPECT_EQ(Seq(), "2");

    // A CSV file the export created goes again.
    std::filesystem::remove(csv);
    host.onPump = [&] { Dialog()->CancelButton()->click(); };
    window->cmdOutput_Click();
    EXPECT_FALSE(std::filesystem::exists(csv));
}

TEST_F(ExportTest, SeeksAskedForByTheViewsWaitForTheExport) {
    window->SetExportProgressDelay(std::chrono::milliseconds(0));
    window->cmdNext_Click();  // sample 1 on display: the export starts at record 2
    host.onPump = [&] {
        // A press on the strip, a double-click in the statistics table or the map.
        window->Session().RequestSeek(30);
        EXPECT_EQ(Seq(), "1");
        Dialog()->CancelButton()->click();
    };
    window->cmdOutput_Click();
    EXPECT_EQ(Seq(), "1");
    window->cmdNext_Click();  // the export's read position was not moved
    EXPECT_EQ(Seq(), "2");

    // With the export done they seek, but only to a sample the log holds.
    window->Session().RequestSeek(30);
    EXPECT_EQ(Seq(), "30");
    window->Session().RequestSeek(60001);
    window->Session().RequestSeek(0);
    EXPECT_EQ(Seq(), "30");
}

TEST_F(ExportTest, WhileAnotherExportWritesTheCsvFileTheWindowSaysItWaits) {
    const int other = ::open(csv.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    QString label;
    host.onPump = [&] {
        label = Dialog()->Label()->text();
        EXPECT_TRUE(WriteAll(other, "other export\r\n"));
        ::close(other);
    };
    window->cmdOutput_Click();
    EXPECT_TRUE(label.contains(QStringLiteral("待っています"))) << label.toStdString();
    const std::string text = ReadText(csv);
    EXPECT_TRUE(text.starts_with("other export\r\nDate,Time,Milliseconds,ISC position\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 60000);
}

TEST_F(ExportTest, QuitDuringAnExportTakesItBackAndThenUnloads) {
    window->SetExportProgressDelay(std::chrono::milliseconds(0));
    host.onPump = [&] { window->close(); };
    window->cmdOutput_Click();
    EXPECT_TRUE(host.ended);
    EXPECT_FALSE(std::filesystem::exists(csv));
    EXPECT_NE(ReadText(IniPath()).find("[Main Form]"), std::string::npos);
}

}  // namespace
}  // namespace orvane::testing
