// Markers, the in/out range, the range export and the statistics window.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QtTest/QTest>

#include "DemoDrive.h"
#include "PlayerFixture.h"
#include "analysis/ElapsedTime.h"
#include "analysis/MarksFile.h"
#include "log/CsvExport.h"
#include "log/LogLoader.h"
#include "views/map/MapWindow.h"
#include "views/statistics/StatisticsWindow.h"

namespace orvane::testing {
namespace {

// Engine speed in display slot 1 with alarm thresholds, so the statistics count them.
constexpr const char* kLayout =
    "[Main]\nSensor1=33\nSensor2=7\n"
    "[Sensor Data1]\nThreshold1=3000\nThreshold2=5000\n";

class MarksTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        WriteIni(kLayout);
        window->Form_Load();
        log = dir.File("orvn0001.bin");
        ASSERT_TRUE(demo::WriteDemoLog(log, 600, 4, DateTime::FromCivil(2026, 12, 5, 10)));
        window->OpenLogFile(log);
        ASSERT_TRUE(State().LogLoaded);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.get(), key, modifiers);
        WaitForJobs();
    }
    void ShowSample(std::int32_t n) { window->SeekToSample(n); }
    // The lines Output writes for samples first to last, with the header line.
    std::string OutputLines(SampleRange range) {
        LogFile file;
        const auto loaded = LoadLogFile(log, file);
        const CsvExport exporter(loaded.Start, loaded.Header.SlotItemCodes);
        std::string lines = exporter.HeaderLine();
        file.SeekRecord(range.First);
        for (std::int64_t s = range.First; s <= range.Last; ++s) {
            lines += exporter.RecordLine(*file.ReadRecord());
        }
        return lines;
    }
    std::string log;
};

TEST_F(MarksTest, KeysSetMarkersAndARangeThatSurviveReopeningTheLog) {
    ShowSample(100);
    Key(Qt::Key_M);
    ShowSample(40);
    Key(Qt::Key_M);
    ShowSample(300);
    Key(Qt::Key_O);
    ShowSample(120);
    Key(Qt::Key_I);
    EXPECT_EQ(window->Session().Markers(), (std::vector<std::int64_t>{40, 100}));
    EXPECT_EQ(window->Session().Range(), (SampleRange{120, 300}));
    // An out point before the in point swaps them.
    ShowSample(80);
    Key(Qt::Key_O);
    EXPECT_EQ(window->Session().Range(), (SampleRange{80, 120}));
    // ] and [ go from marker to marker, like a seek.
    ShowSample(1);
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(Seq(), "40");
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(Seq(), "100");
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(Seq(), "100");
    EXPECT_EQ(window->picOverview->Note(), "No marker after this sample.");
    Key(Qt::Key_BracketLeft);
    EXPECT_EQ(Seq(), "40");

    const std::string other = dir.File("orvn0002.bin");
    ASSERT_TRUE(demo::WriteDemoLog(other, 50, 5, DateTime::FromCivil(2026, 12, 5, 11)));
    window->OpenLogFile(other);
    EXPECT_TRUE(window->Session().Markers().empty());
    EXPECT_FALSE(window->Session().Range());
    window->OpenLogFile(log);
    EXPECT_EQ(window->Session().Markers(), (std::vector<std::int64_t>{40, 100}));
    EXPECT_EQ(window->Session().Range(), (SampleRange{80, 120}));

    // M on a marker removes it; Escape clears the range and keeps the markers.
    ShowSample(40);
    Key(Qt::Key_M);
    Key(Qt::Key_Escape);
    window->OpenLogFile(log);
    EXPECT_EQ(window->Session().Markers(), (std::vector<std::int64_t>{100}));
    EXPECT_FALSE(window->Session().Range());
}

TEST_F(MarksTest, AMarksFileThatDoesNotFitTheLogIsIgnored) {
    for (const std::string& text :
         {std::string("garbage\n\x01\x02"), std::string("[Marks]\nRecords=600\nMarkers=10,999\n"),
          std::string("[Marks]\nRecords=601\nMarkers=10\n")}) {
        WriteBytes(MarksFile::PathFor(log), text);
        window->OpenLogFile(log);
        EXPECT_TRUE(State().LogLoaded) << text;
        EXPECT_TRUE(window->Session().Markers().empty()) << text;
        EXPECT_TRUE(host.messages.empty()) << text;
    }
}

TEST_F(MarksTest, MarksThatCannotBeWrittenAreKeptForTheSession) {
    // A folder in the marks file's place makes every write fail, for root too (a
    // read-only folder does not stop root).
    ASSERT_TRUE(std::filesystem::create_directory(MarksFile::PathFor(log)));
    ShowSample(10);
    Key(Qt::Key_M);
    ShowSample(20);
    Key(Qt::Key_M);
    Key(Qt::Key_I);
    EXPECT_EQ(window->Session().Markers(), (std::vector<std::int64_t>{10, 20}));
    EXPECT_EQ(window->Session().Range(), (SampleRange{20, 600}));
    EXPECT_TRUE(window->picOverview->Note().startsWith("Markers are kept for this session only"))
        << window->picOverview->Note().toStdString();
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MarksTest, TheRangeExportWritesTheLinesOutputWritesForThoseSamples) {
    Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ReadText(dir.File("orvn0001_000001-000600.csv")), OutputLines({1, 600}));
    for (const SampleRange range :
         {SampleRange{1, 1}, SampleRange{600, 600}, SampleRange{7, 420}}) {
        ShowSample(static_cast<std::int32_t>(range.First));
        Key(Qt::Key_I);
        ShowSample(static_cast<std::int32_t>(range.Last));
        Key(Qt::Key_O);
        ASSERT_EQ(window->Session().Range(), range);
        Run(Command::ExportRange);
        const std::string name = dir.File(QStringLiteral("orvn0001_%1-%2.csv")
                                              .arg(range.First, 6, 10, QChar('0'))
                                              .arg(range.Last, 6, 10, QChar('0'))
                                              .toStdString());
        EXPECT_EQ(ReadText(name), OutputLines(range)) << name;
        Key(Qt::Key_Escape);
    }
    // The export reads the log without moving playback's position.
    EXPECT_EQ(State().PlayPosition, 421);
}

TEST_F(MarksTest, TheStatisticsWindowShowsTheRangeFollowsItAndSeeks) {
    Key(Qt::Key_I, Qt::ControlModifier);
    StatisticsWindow* view = window->Views().Statistics();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->Statistics());
    EXPECT_EQ(view->Statistics()->Range(), (SampleRange{1, 600}));
    // Every item of the log: 16 value slots, and the two switch bytes' five switches in
    // a table of their own.
    EXPECT_EQ(view->Table()->rowCount(), 16);
    EXPECT_EQ(view->SwitchTable()->rowCount(), 5);
    EXPECT_EQ(view->Table()->item(0, 0)->text(), "Engine speed");

    // The engine speed row counts samples at or above the value box's thresholds.
    const StatisticsRow& rpm = view->Statistics()->Rows()[0];
    EXPECT_EQ(rpm.AtOrAbove[0].Threshold, 3000);
    EXPECT_EQ(rpm.AtOrAbove[1].Threshold, 5000);

    // A double-click on the maximum shows its sample.
    emit view->Table()->cellDoubleClicked(0, 3);
    EXPECT_EQ(Seq().toLongLong(), rpm.MaxSample);
    EXPECT_FALSE(window->Timer1Enabled());

    // The table follows the range.
    ShowSample(50);
    Key(Qt::Key_I);
    ShowSample(70);
    Key(Qt::Key_O);
    EXPECT_EQ(view->Statistics()->Range(), (SampleRange{50, 70}));
    EXPECT_TRUE(view->Heading().contains("samples 50 to 70"));

    // Ctrl+C copies the table as orvane-csv --stats prints it.
    view->Table()->setFocus();
    QTest::keyClick(view->Table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              view->Statistics()->TabSeparatedText());
}

TEST_F(MarksTest, OnlyTheCellsOfAMinimumOrAMaximumSeekAndToTheSampleTheyShow) {
    Run(Command::Statistics);
    WaitForJobs();
    StatisticsWindow* view = window->Views().Statistics();
    ASSERT_NE(view, nullptr);
    QTableWidget* table = view->Table();
    const auto column = [&](const QString& heading) {
        for (int c = 0; c < table->columnCount(); ++c) {
            if (table->horizontalHeaderItem(c)->text() == heading) return c;
        }
        ADD_FAILURE() << "no column " << heading.toStdString();
        return -1;
    };
    // The engine speed: its minimum and maximum lie at different samples.
    const int row = 0;
    const std::int64_t minSample = table->item(row, column("Min sample"))->text().toLongLong();
    const std::int64_t maxSample = table->item(row, column("Max sample"))->text().toLongLong();
    ASSERT_GT(minSample, 0);
    ASSERT_GT(maxSample, 0);
    ASSERT_NE(minSample, maxSample);
    for (const char* heading : {"Min", "Min sample", "Min time"}) {
        EXPECT_EQ(view->SampleAt(row, column(heading)), minSample) << heading;
    }
    for (const char* heading : {"Max", "Max sample", "Max time"}) {
        EXPECT_EQ(view->SampleAt(row, column(heading)), maxSample) << heading;
    }
    for (const char* heading : {"Item", "Unit", "Mean", "Threshold 1"}) {
        EXPECT_EQ(view->SampleAt(row, column(heading)), 0) << heading;
    }
    // There is no cell beyond the table.
    EXPECT_EQ(view->SampleAt(row, table->columnCount()), 0);
    EXPECT_EQ(view->SampleAt(table->rowCount(), 0), 0);
    EXPECT_EQ(view->SampleAt(row, -1), 0);

    // A double-click on the minimum's time shows that sample.
    emit table->cellDoubleClicked(row, column("Min time"));
    EXPECT_EQ(Seq().toLongLong(), minSample);
}

TEST_F(MarksTest, TheStatisticsWindowOpensShowingEveryRowWithTheRangesDurationAndItsSwitches) {
    ShowSample(297);
    Key(Qt::Key_I);
    ShowSample(400);
    Key(Qt::Key_O);
    Run(Command::Statistics);
    WaitForJobs();
    StatisticsWindow* view = window->Views().Statistics();
    ASSERT_TRUE(view->Statistics());
    // "samples 297 to 400, 104 samples" and the time between the two, to a tenth.
    const std::int64_t millis = view->Statistics()->DurationMillis();
    EXPECT_TRUE(view->Heading().contains(QStringLiteral("samples 297 to 400, 104 samples, %1")
                                             .arg(QString::fromStdString(DurationText(millis)))))
        << view->Heading().toStdString();
    // At its opened size every row and column of both tables shows.
    QApplication::processEvents();
    for (QTableWidget* table : {view->Table(), view->SwitchTable()}) {
        const QRect viewport = table->viewport()->rect();
        const int last = table->rowCount() - 1;
        EXPECT_TRUE(viewport.contains(table->visualItemRect(table->item(last, 0))))
            << table->objectName().toStdString();
        const int right = table->columnCount() - 1;
        EXPECT_LE(table->columnViewportPosition(right) + table->columnWidth(right),
                  viewport.width())
            << table->objectName().toStdString();
    }
    // The switches' ON figures stand next to their names.
    EXPECT_EQ(view->SwitchTable()->horizontalHeaderItem(1)->text(), "ON samples");
}

TEST_F(MarksTest, TheStatisticsFilterCountsOnlyTheSamplesWhereItHoldsAndIsKeptWithTheMarks) {
    Run(Command::Statistics);
    WaitForJobs();
    StatisticsWindow* view = window->Views().Statistics();
    const std::int64_t all = view->Statistics()->Rows()[0].Samples;
    QLineEdit* field = view->FilterField();
    // A condition that does not compile is marked and not applied.
    field->setText(QStringLiteral("rpm >"));
    emit field->editingFinished();
    EXPECT_TRUE(field->property("invalid").toBool());
    EXPECT_TRUE(window->Session().Filter().empty());
    field->setText(QStringLiteral("rpm > 3000"));
    emit field->editingFinished();
    WaitForJobs();
    EXPECT_FALSE(field->property("invalid").toBool());
    EXPECT_EQ(window->Session().Filter(), "rpm > 3000");
    ASSERT_TRUE(view->Statistics());
    const StatisticsRow& rpm = view->Statistics()->Rows()[0];
    EXPECT_LT(rpm.Samples, all);
    EXPECT_GT(rpm.Min, 3000);
    EXPECT_TRUE(view->Heading().contains(QStringLiteral("Filtered: rpm > 3000: %1 of 600 samples")
                                             .arg(view->Statistics()->Passed())));
    // Kept in the marks file: opened again, the log is still filtered.
    window->CloseLog();
    window->OpenLogFile(log);
    EXPECT_EQ(window->Session().Filter(), "rpm > 3000");
    // Escape in the field clears it.
    QTest::keyClick(field, Qt::Key_Escape);
    WaitForJobs();
    EXPECT_TRUE(window->Session().Filter().empty());
    EXPECT_EQ(view->Statistics()->Rows()[0].Samples, all);
}

TEST_F(MarksTest, TheStripsMenuOffersTheCommandsForTheClickedSample) {
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->picOverview->HasSummary(); }, 20000));
    OverviewStrip* strip = window->picOverview;
    const int x = strip->PlotRect().x() + strip->PlotRect().width() / 2;
    const std::int64_t sample = strip->SampleAt(x);
    const auto trigger = [&](const QString& start) {
        const std::unique_ptr<QMenu> menu = strip->ContextMenuAt(x);
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(start)) {
                ASSERT_TRUE(action->isEnabled()) << start.toStdString();
                action->trigger();
                return;
            }
        }
        FAIL() << "no menu entry " << start.toStdString();
    };
    trigger("Set marker");
    EXPECT_EQ(window->Session().Markers(), (std::vector<std::int64_t>{sample}));
    trigger("Set in point");
    EXPECT_EQ(window->Session().Range(), (SampleRange{sample, 600}));
    trigger("Clear range");
    EXPECT_FALSE(window->Session().Range());
    trigger("Remove marker");
    EXPECT_TRUE(window->Session().Markers().empty());
    trigger("Statistics");
    ASSERT_NE(window->Views().Statistics(), nullptr);
    EXPECT_TRUE(window->Views().Statistics()->isVisible());
    trigger("Map");
    ASSERT_NE(window->Views().Map(), nullptr);
    EXPECT_TRUE(window->Views().Map()->isVisible());
}

}  // namespace
}  // namespace orvane::testing
