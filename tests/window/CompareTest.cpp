// Comparing with a reference log from the window: opening it through the command,
// reported failures, and the statistics of both with their differences.
#include <QTableWidget>

#include "PlayerFixture.h"
#include "log/LogLoader.h"

namespace orvane::testing {
namespace {

class CompareTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
        // The log records engine speed then coolant; the reference the other way round,
        // with the engine 31 rpm (one raw step) faster at every sample.
        LogBuilder log;
        log.Slots({33, 7}).Start(DateTime::FromCivil(2026, 12, 5, 10));
        LogBuilder reference;
        reference.Slots({7, 33}).Start(DateTime::FromCivil(2026, 12, 6, 10));
        for (int i = 0; i < 40; ++i) {
            const auto speed = static_cast<std::uint8_t>(60 + i);
            log.Record(i * 100, {speed, 120});
            reference.Record(i * 100, {120, static_cast<std::uint8_t>(speed + 1)});
        }
        Open(log);
        referencePath = dir.File("orvn0002.bin");
        WriteBytes(referencePath, reference.Bytes());
    }
    // Compare with… as the user chooses it in the dialog.
    void Compare(const std::string& path) {
        host.openAnswer = QString::fromStdString(path);
        Run(Command::Compare);
        WaitForJobs();
    }
    int Column(QTableWidget* table, const QString& heading) {
        for (int c = 0; c < table->columnCount(); ++c) {
            if (table->horizontalHeaderItem(c)->text() == heading) return c;
        }
        ADD_FAILURE() << "no column " << heading.toStdString();
        return 0;
    }
    std::string referencePath;
};

TEST_F(CompareTest, TheStatisticsShowTheReferenceAndTheDifferencesByItem) {
    Run(Command::Statistics);
    Compare(referencePath);
    ASSERT_NE(window->Session().Reference(), nullptr);
    WaitForJobs();
    StatisticsWindow* view = window->Views().Statistics();
    ASSERT_TRUE(view->Comparison());
    QTableWidget* table = view->Table();
    ASSERT_EQ(table->item(0, 0)->text(), "Engine speed");
    // Matched by item although the slots differ: the minimum of 60 raw steps against 61.
    const auto cell = [&](const char* heading) {
        return table->item(0, Column(table, QString::fromLatin1(heading)))->text();
    };
    EXPECT_EQ(cell("Min"), QString::fromStdString(FormatValue(ConvertValue(33, 60))));
    EXPECT_EQ(cell("Ref min"), QString::fromStdString(FormatValue(ConvertValue(33, 61))));
    EXPECT_EQ(cell("Min diff"),
              QString::fromStdString(FormatValue(ConvertValue(33, 60) - ConvertValue(33, 61))));
    EXPECT_TRUE(view->Heading().contains("Compared with orvn0002.bin"))
        << view->Heading().toStdString();
    // A double-click on the log's minimum shows its sample; the reference's leads nowhere.
    EXPECT_EQ(view->SampleAt(0, Column(table, QStringLiteral("Min"))), 1);
    EXPECT_EQ(view->SampleAt(0, Column(table, QStringLiteral("Ref min"))), 0);
    // The reference never moved the log's playback.
    EXPECT_EQ(State().PlayPosition, 1);
    // Stop comparing: the log's statistics alone again.
    Run(Command::StopComparing);
    WaitForJobs();
    EXPECT_FALSE(view->Comparison());
    EXPECT_EQ(window->Session().Reference(), nullptr);
}

TEST_F(CompareTest, AReferenceThatCannotBeOpenedIsReportedLikeALogAndChangesNothing) {
    Compare(dir.File("missing.bin"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].toStdString(), std::string(CannotOpenLogMessage));
    EXPECT_EQ(host.messageTitles[0], frmPlayer::ErrorTitle);
    LogBuilder bad;
    bad.Slots({33}).StartDate(1e9).Numbered(3);
    WriteBytes(dir.File("bad.bin"), bad.Bytes());
    Compare(dir.File("bad.bin"));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].toStdString(), std::string(InvalidLogMessage));
    EXPECT_EQ(window->Session().Reference(), nullptr);
    EXPECT_TRUE(State().LogLoaded);
    EXPECT_TRUE(window->Session().IsOpen());
    EXPECT_FALSE(window->Commands().Action(Command::StopComparing)->isEnabled());
}

}  // namespace
}  // namespace orvane::testing
