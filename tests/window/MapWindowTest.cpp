// The map window: default choices, the table against orvane-csv, the live cell, seeks,
// the range, greying, the axes, computed items, the filter, comparing with a reference
// log and the remembered place.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest/QTest>
#include <map>
#include <span>
#include <stdexcept>

#include "CsvTool.h"
#include "DemoDrive.h"
#include "PlayerFixture.h"
#include "log/modOrvane.h"
#include "views/map/MapGrid.h"
#include "views/map/MapWindow.h"

namespace orvane::testing {
namespace {

// Engine speed, Air Volume and Knock sum; four cells of the default axes (engine speed
// 500 rpm bins; Air Volume fitted to its values 0 to 255, 13 bins of 20):
//   A column 1 (500 rpm), row 0: samples 1-3, knock 1, 4, 2
//   B column 5 (2500 rpm), row 5 (Air Volume 100): samples 4-5, knock 7, 3
//   C column 10 (5000 rpm), row 10 (200): sample 6, knock 9
//   D column 15 (7968 rpm), row 12 (255): samples 7-11, knock 0
struct Planted {
    std::uint8_t speed, air, knock;
};
constexpr Planted kPlanted[] = {{16, 0, 1},    {16, 0, 4},    {16, 0, 2},    {80, 100, 7},
                                {80, 100, 3},  {160, 200, 9}, {255, 255, 0}, {255, 255, 0},
                                {255, 255, 0}, {255, 255, 0}, {255, 255, 0}};
constexpr MapCellIndex kA{1, 0}, kB{5, 5}, kC{10, 10}, kD{15, 12};
constexpr int kPlantedRows = 13;

class MapWindowTest : public PlayerFixture {
protected:
    // Sets the range with the in and out points, or clears it.
    void SetRange(std::optional<SampleRange> range) {
        if (!range) {
            window->Session().ClearRange();
            return;
        }
        window->Session().SetInPoint(range->First);
        window->Session().SetOutPoint(range->Last);
        ASSERT_EQ(window->Session().Range(), range);
    }
    void OpenPlanted(int gapMs = 100) {
        LogBuilder log;
        log.Slots({33, 44, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10));
        for (std::size_t i = 0; i < std::size(kPlanted); ++i) {
            const Planted& p = kPlanted[i];
            log.Record(static_cast<std::int32_t>(i) * gapMs, {p.speed, p.air, p.knock});
        }
        Open(log);
    }
    // Opens the map window with Ctrl+M and waits for its first map. The helpers throw
    // when what they wait for does not come, which ends the test as a failure.
    MapWindow& OpenMap() {
        window->show();
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
        if (!window->Views().Map()) throw std::runtime_error("Ctrl+M opened no map window");
        WaitForMap();
        return *window->Views().Map();
    }
    void WaitForMap() {
        if (!QTest::qWaitFor(
                [this] {
                    return !window->Views().Map()->Computing() && window->Views().Map()->Map();
                },
                20000)) {
            throw std::runtime_error("no map came");
        }
    }
    MapGrid& Grid() { return *window->Views().Map()->picMap; }
    // Waits for the live cell to show `cell` (it follows on the next frame).
    bool LiveCellBecomes(MapCellIndex cell) {
        return QTest::qWaitFor([&] { return Grid().LiveCell() == cell; }, 2000);
    }
    std::string Tool(const std::vector<std::string>& args) {
        const std::string path = dir.File("tool.csv");
        std::FILE* out = std::fopen(path.c_str(), "w+");
        std::FILE* err = std::fopen(dir.File("tool.err").c_str(), "w+");
        EXPECT_EQ(RunCsvTool(args, fileno(out), out, err), 0);
        std::fclose(out);
        std::fclose(err);
        return ReadText(path);
    }
};

TEST_F(MapWindowTest, CtrlMOpensTheMapWithTheDefaultAxesOnlyWithALog) {
    window->show();
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(window->Views().Map(), nullptr);

    // With Air Volume the load axis is Air Volume, fitted to the values the log holds
    // (the record numbers 1 to 5) with a round step.
    LogBuilder withAir;
    withAir.Slots({23, 33, 26, 44, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(5);
    Open(withAir);
    MapWindow& map = OpenMap();
    EXPECT_TRUE(map.isVisible());
    EXPECT_EQ(map.cboX->currentText(), "Engine speed");
    EXPECT_EQ(map.cboY->currentText(), "Air Volume");
    EXPECT_EQ(map.cboZ->currentText(), "Knock sum");
    EXPECT_EQ(map.cboStatistic->currentText(), "maximum");
    EXPECT_EQ(map.spnMinCount->value(), 3);
    EXPECT_EQ(map.txtFrom[0]->text(), "0");
    EXPECT_EQ(map.txtTo[0]->text(), "8000");
    EXPECT_EQ(map.txtStep[0]->text(), "500");
    EXPECT_EQ(map.txtFrom[1]->text(), "1");
    EXPECT_EQ(map.txtTo[1]->text(), "5.5");
    EXPECT_EQ(map.txtStep[1]->text(), "0.5");
    const MapRequest shown = map.Map()->Request();
    EXPECT_EQ(shown.XSlot, 2);
    EXPECT_EQ(shown.YSlot, 4);
    EXPECT_EQ(shown.ZSlot, 5);
    EXPECT_EQ(shown.Y, (MapAxis{1, 5.5, 0.5}));
    EXPECT_EQ(shown.Range, (SampleRange{1, 5}));

    // Without it, mass air flow; without both, throttle position.
    LogBuilder withoutAir;
    withoutAir.Slots({23, 33, 26, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(5);
    Open(withoutAir, "orvn0002.bin");
    WaitForMap();
    EXPECT_EQ(map.cboY->currentText(), "Mass air flow");
    EXPECT_EQ(map.Map()->Request().Y,
              FittedMapAxis(26, {ConvertValue(26, 1), ConvertValue(26, 5)}));
    LogBuilder throttleOnly;
    throttleOnly.Slots({38, 33, 23}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(5);
    Open(throttleOnly, "orvn0003.bin");
    WaitForMap();
    EXPECT_EQ(map.cboY->currentText(), "Throttle position");
    EXPECT_EQ(map.Map()->Request().YSlot, 3);
    EXPECT_EQ(map.txtTo[1]->text(), "2");
}

TEST_F(MapWindowTest, CopyAndSaveCsvGiveTheTableOfOrvaneCsvForTheSameRangeAndStatistic) {
    const std::string log = dir.File("orvn0001.bin");
    ASSERT_TRUE(demo::WriteDemoLog(log, 3000, 3, DateTime::FromCivil(2026, 12, 5, 10)));
    window->CloseLog();
    State().LogFileName = log;
    window->OpenLog(log);
    MapWindow& map = OpenMap();
    SetRange(SampleRange{200, 1500});
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("mean"));
    WaitForMap();
    ASSERT_EQ(map.Map()->Request().Range, (SampleRange{200, 1500}));

    const std::string expected =
        Tool({"--map", "33,44,38,mean", "--from", "200", "--to", "1500", log});
    ASSERT_GT(expected.size(), 100u);
    QTest::keyClick(map.cboZ, Qt::Key_C, Qt::ControlModifier);
    std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_NE(copied.find('\t'), std::string::npos);
    std::replace(copied.begin(), copied.end(), '\t', ',');
    EXPECT_EQ(copied, expected);

    // Cancelled, nothing is written; answered, the file holds the tool's output.
    map.cmdSaveCsv->click();
    ASSERT_EQ(host.saveRequests.size(), 1u);
    // Named after the items, the statistic and the range, beside the log.
    EXPECT_EQ(host.saveRequests[0].InitialPath.toStdString(),
              dir.File("orvn0001_map_rpm-air_volume-knock-mean_000200-001500.csv"));
    host.saveAnswer = QString::fromStdString(dir.File("saved.csv"));
    map.cmdSaveCsv->click();
    EXPECT_EQ(ReadText(dir.File("saved.csv")), expected);

    // The count, over the whole log again.
    SetRange(std::nullopt);
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("count"));
    WaitForMap();
    host.saveAnswer = QString::fromStdString(dir.File("count.csv"));
    map.cmdSaveCsv->click();
    EXPECT_EQ(ReadText(dir.File("count.csv")), Tool({"--map", "33,44,38,count", log}));

    host.saveAnswer = QString::fromStdString(dir.File("map.png"));
    map.cmdSavePng->click();
    QImage saved(QString::fromStdString(dir.File("map.png")));
    EXPECT_EQ(saved.size(), map.picMap->size());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MapWindowTest, TheLiveCellFollowsTheSampleOnDisplayOncePerFrameWithATrail) {
    OpenPlanted(200);
    OpenMap();
    window->cmdNext_Click();
    EXPECT_TRUE(LiveCellBecomes(kA));
    // Samples shown between two frames move the outline once, to the last of them.
    for (int i = 0; i < 5; ++i) window->cmdNext_Click();
    EXPECT_TRUE(LiveCellBecomes(kC));
    EXPECT_EQ(Grid().Trail(), std::deque<MapCellIndex>{kA});

    // During playback: while sample 5 waits, sample 4 (cell B) is on display.
    window->cmdStop_Click();
    Speed("x1");
    std::optional<MapCellIndex> during;
    WhilePending(5, [&] {
        QTest::qWait(3 * static_cast<int>(MapWindow::LiveInterval.count()));
        during = Grid().LiveCell();
    });
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_EQ(during, kB);
    EXPECT_TRUE(LiveCellBecomes(kD));
    // The trail keeps each cell once, the most recent first (C from before the replay).
    EXPECT_EQ(Grid().Trail(), (std::deque<MapCellIndex>{kB, kC, kA}));
}

TEST_F(MapWindowTest, ADoubleClickShowsTheCellsMaximumAndAPressTellsItsFigures) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    Grid().resize(800, 600);
    const QPoint a = Grid().CellRect(kA).center();
    EXPECT_EQ(Grid().CellAt(a), kA);
    EXPECT_EQ(Grid().ToolTipText(kA),
              "Engine speed 500 to 1000rpm\nAir Volume 0 to 20\n3 samples\n"
              "Knock sum: min 1, mean 2.33, max 4\nFirst sample 1, maximum at sample 2\n"
              "Double-click to show that sample");
    // Up is higher load, right higher speed; every cell's middle finds that cell.
    EXPECT_GT(Grid().CellRect(kA).top(), Grid().CellRect(kB).bottom());
    EXPECT_GT(Grid().CellRect(kB).left(), Grid().CellRect(kA).right());
    Grid().resize(613, 457);
    for (int r = 0; r < kPlantedRows; ++r) {
        for (int c = 0; c < 16; ++c) {
            ASSERT_EQ(Grid().CellAt(Grid().CellRect({c, r}).center()), (MapCellIndex{c, r}));
            ASSERT_EQ(Grid().CellAt(Grid().CellRect({c, r}).topLeft()), (MapCellIndex{c, r}));
        }
    }
    EXPECT_EQ(Grid().CellAt(Grid().GridRect().topLeft() - QPoint(1, 1)), std::nullopt);
    // A press shows the cell's figures in the status line, where they stay after the
    // release and until another cell is chosen.
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect(kA).center());
    EXPECT_TRUE(map.lblStatus->text().contains("3 samples · Knock sum: min 1, mean 2.33, max 4"))
        << map.lblStatus->text().toStdString();
    QTest::qWait(50);
    EXPECT_TRUE(map.lblStatus->text().contains("First sample 1, maximum at sample 2"));
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect(kB).center());
    EXPECT_TRUE(map.lblStatus->text().contains("2 samples"));
    QTest::mouseDClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect(kA).center());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
    EXPECT_FALSE(window->Timer1Enabled());
    // An empty cell seeks nowhere.
    QTest::mouseDClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect({0, 8}).center());
    EXPECT_EQ(Seq(), "2");
    EXPECT_TRUE(map.isVisible());
}

TEST_F(MapWindowTest, TheMapFollowsTheRangeAndGreysCellsBelowTheMinimumCount) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    Grid().resize(800, 600);
    const auto pixel = [&](MapCellIndex cell) {
        return Grid().Picture().pixelColor(Grid().CellRect(cell).topLeft() + QPoint(3, 3));
    };
    EXPECT_EQ(Grid().LookOf(kA), MapGrid::CellLook::Coloured);
    EXPECT_EQ(Grid().LookOf(kB), MapGrid::CellLook::Greyed);
    EXPECT_EQ(Grid().LookOf(kC), MapGrid::CellLook::Greyed);
    EXPECT_EQ(Grid().LookOf({3, 3}), MapGrid::CellLook::Empty);
    EXPECT_EQ(pixel(kB), QColor(208, 208, 208));
    EXPECT_EQ(pixel({3, 3}), QColor(Qt::white));
    // Knock's maximum on green-yellow-red, over the coloured cells: A (4) red, D (0) green.
    EXPECT_EQ(Grid().Scale().ScaleKind(), MapColourScale::Kind::GreenYellowRed);
    EXPECT_EQ(pixel(kA), Grid().Scale().ColourAt(1));
    EXPECT_EQ(pixel(kD), Grid().Scale().ColourAt(0));

    // Knock's mean, and the maximum of an item whose high values do no harm, are on the
    // perceptual scale.
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("mean"));
    EXPECT_EQ(Grid().Scale().ScaleKind(), MapColourScale::Kind::Perceptual);
    EXPECT_EQ(Grid().Scale().High(), 7.0 / 3);  // A's mean; B and C are greyed
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("maximum"));
    EXPECT_EQ(MapColourScale::For(41, MapStatistic::Max, 0, 1).ScaleKind(),
              MapColourScale::Kind::Perceptual);
    map.spnMinCount->setValue(1);
    EXPECT_EQ(Grid().LookOf(kC), MapGrid::CellLook::Coloured);
    EXPECT_EQ(pixel(kC), Grid().Scale().ColourAt(1));  // 9, the highest now

    // The load axis fits the values of the range: Air Volume 100 to 200 here.
    SetRange(SampleRange{4, 6});
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().Range, (SampleRange{4, 6}));
    EXPECT_EQ(map.Map()->Request().Y, FittedMapAxis(44, {100, 200}));
    const auto [column, row] = map.Map()->CellOf(ConvertValue(33, 80), 100);
    EXPECT_EQ(map.Map()->Cell(column, row).Count, 2);
    EXPECT_EQ(map.Map()->Cell(0, 0).Count, 0);
    // Two changes in a row: the last one is the map shown.
    SetRange(SampleRange{1, 2});
    SetRange(std::nullopt);
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().Range, (SampleRange{1, 11}));
    EXPECT_EQ(map.Map()->Cell(kD.Column, kD.Row).Count, 5);
}

TEST_F(MapWindowTest, CellsAndEdgesShowTheMapAndUnusableAxesAreMarkedNotApplied) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    // 500 and 7968 rpm lie outside 1000 to 6000: the end bins hold them.
    map.txtFrom[0]->setText("1000");
    map.txtTo[0]->setText("6000");
    map.txtStep[0]->setText("1000");
    emit map.txtStep[0]->editingFinished();
    WaitForMap();
    const LogMap& shown = *map.Map();
    ASSERT_EQ(shown.Request().X, (MapAxis{1000, 6000, 1000}));
    EXPECT_EQ(Grid().ColumnEdgeLabels(),
              (QStringList{"≤1000", "2000", "3000", "4000", "5000", "≥6000"}));
    const QStringList rows = Grid().RowEdgeLabels();
    ASSERT_EQ(rows.size(), kPlantedRows + 1);
    EXPECT_EQ(rows[1], "20");
    EXPECT_EQ(rows[0], "0");
    EXPECT_EQ(rows[kPlantedRows], "260");  // cell D's 255 lies inside the last bin
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("minimum"));
    for (int r = 0; r < shown.Rows(); ++r) {
        for (int c = 0; c < shown.Columns(); ++c) {
            const MapCell& cell = shown.Cell(c, r);
            EXPECT_EQ(Grid().CellText({c, r}),
                      cell.Count ? QString::fromStdString(FormatValue(cell.Min)) : QString())
                << c << "," << r;
        }
    }
    EXPECT_EQ(Grid().CellText({0, 0}), "1");
    EXPECT_EQ(Grid().CellText({4, 12}), "0");

    // Input that makes no axis is marked and not applied.
    map.txtStep[0]->setText("abc");
    EXPECT_TRUE(map.txtStep[0]->property("invalid").toBool());
    EXPECT_FALSE(map.ChosenRequest());
    EXPECT_TRUE(map.lblStatus->text().contains("step is not a number"));
    emit map.txtStep[0]->editingFinished();
    EXPECT_FALSE(map.Computing());
    EXPECT_EQ(map.Map(), &shown);
    // Put back, the same map needs no new reading, and the status tells of it again.
    map.txtStep[0]->setText("1000");
    emit map.txtStep[0]->editingFinished();
    EXPECT_FALSE(map.Computing());
    EXPECT_TRUE(map.lblStatus->text().startsWith("Samples 1 to 11"));
    map.txtStep[0]->setText("500");
    map.txtTo[0]->setText("900");
    EXPECT_TRUE(map.txtTo[0]->property("invalid").toBool());
    EXPECT_FALSE(map.txtStep[0]->property("invalid").toBool());
    map.txtTo[0]->setText("3000");
    emit map.txtTo[0]->editingFinished();
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().X, (MapAxis{1000, 3000, 500}));
    // Another item starts from its own axis, fitted to its values.
    map.cboX->setCurrentIndex(map.cboX->findText("Knock sum"));
    emit map.cboX->activated(map.cboX->currentIndex());
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().X, (MapAxis{0, 10, 1}));  // fitted to knock 0 to 9
}

TEST_F(MapWindowTest, ChoicesStayWithTheirItemsAndAClosedWindowCatchesUpWhenShown) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    map.cboZ->setCurrentIndex(map.cboZ->findText("Air Volume"));
    emit map.cboZ->activated(map.cboZ->currentIndex());
    map.txtStep[0]->setText("1000");
    emit map.txtStep[0]->editingFinished();
    WaitForMap();
    map.close();

    // A log with the same items in other slots, while the window is closed: nothing is
    // read until it shows again, with the items and axes chosen before.
    LogBuilder moved;
    moved.Slots({38, 44, 23, 33}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(20);
    Open(moved, "orvn0002.bin");
    EXPECT_FALSE(map.Computing());
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    WaitForMap();
    const MapRequest& request = map.Map()->Request();
    EXPECT_EQ(request.XSlot, 4);
    EXPECT_EQ(request.ZSlot, 2);
    EXPECT_EQ(request.X, (MapAxis{0, 8000, 1000}));
    EXPECT_EQ(request.Range, (SampleRange{1, 20}));
    // A log without them gets the defaults.
    LogBuilder other;
    other.Slots({33, 23, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(20);
    Open(other, "orvn0003.bin");
    WaitForMap();
    EXPECT_EQ(map.cboZ->currentText(), "Knock sum");
    EXPECT_EQ(map.Map()->Request().X, (MapAxis{0, 8000, 1000}));
    EXPECT_EQ(map.cboY->currentText(), "Throttle position");
}

// Chooses the entry `text` of a chooser as the user does.
void Choose(QComboBox* chooser, const QString& text) {
    const int index = chooser->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    chooser->setCurrentIndex(index);
    emit chooser->activated(index);
}

TEST_F(MapWindowTest, ComputedItemsAreOfferedAfterTheLogsItemsAndMapAsComputedDirectly) {
    const ComputedItemDefinition half{"Air half", "%", "air_volume / 2", {}, {}};
    const ComputedItemDefinition inverse{"Knock inv", "", "1 / knock", {}, {}};
    window->Session().SetComputedItems({half, {"Flow", "Hz", "maf * 2", {}, {}}, inverse}, {});
    OpenPlanted();
    MapWindow& map = OpenMap();
    // "Flow" needs Mass air flow, which the log does not record: not offered.
    QStringList offered;
    for (int i = 0; i < map.cboY->count(); ++i) offered << map.cboY->itemText(i);
    EXPECT_EQ(offered,
              (QStringList{"Engine speed", "Air Volume", "Knock sum", "Air half", "Knock inv"}));
    Choose(map.cboY, "Air half");
    Choose(map.cboZ, "Knock inv");
    WaitForMap();
    const LogMap& shown = *map.Map();
    // Up starts fitted to the item's values over the range: 0 to 127.5.
    EXPECT_EQ(shown.Request().Y, DefaultMapAxis(half, ValueRange{0, 127.5}));
    EXPECT_EQ(map.txtTo[1]->text(), "130");
    // Every cell against the values worked out here; knock 0 has no inverse.
    std::map<std::pair<int, int>, std::pair<std::int64_t, double>> expected;
    for (const Planted& p : kPlanted) {
        if (p.knock == 0) continue;
        auto& [count, max] = expected[shown.CellOf(ConvertValue(33, p.speed), p.air / 2.0)];
        max = count++ == 0 ? 1.0 / p.knock : std::max(max, 1.0 / p.knock);
    }
    for (int r = 0; r < shown.Rows(); ++r) {
        for (int c = 0; c < shown.Columns(); ++c) {
            const auto found = expected.find({c, r});
            ASSERT_EQ(shown.Cell(c, r).Count, found == expected.end() ? 0 : found->second.first);
            if (found != expected.end()) {
                EXPECT_DOUBLE_EQ(shown.Cell(c, r).Max, found->second.second);
            }
        }
    }
    EXPECT_EQ(shown.Binned(), 6);
    EXPECT_TRUE(map.lblStatus->text().contains("5 samples without a computed value"));
    // Names, units and two decimals wherever the items show.
    const MapCellIndex b{5, 5};  // 2500 rpm, Air half 50: knock 7 and 3
    EXPECT_EQ(Grid().CellText(b), "0.33");
    EXPECT_EQ(Grid().ToolTipText(b).section('\n', 1, 3).toStdString(),
              "Air half 50 to 60%\n2 samples (fewer than 3: greyed)\n"
              "Knock inv: min 0.14, mean 0.24, max 0.33");
    EXPECT_EQ(Grid().LegendText(0.5), "0.50");
    EXPECT_EQ(Grid().Scale().ScaleKind(), MapColourScale::Kind::Perceptual);
    EXPECT_TRUE(Grid().Caption().startsWith("Knock inv, maximum per cell"));

    // The choices stay with their items in a log that has them in other slots...
    LogBuilder moved;
    moved.Slots({38, 44, 33}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(20);
    Open(moved, "orvn0002.bin");
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().YComputed, "Air half");
    EXPECT_EQ(map.Map()->Request().ZComputed, "Knock inv");
    EXPECT_EQ(map.Map()->Request().XSlot, 3);
    // ...and one absent for a log is not offered there.
    LogBuilder noAir;
    noAir.Slots({33, 23, 38}).Start(DateTime::FromCivil(2026, 12, 5, 10)).Numbered(20);
    Open(noAir, "orvn0003.bin");
    WaitForMap();
    EXPECT_EQ(map.cboY->findText("Air half"), -1);
    EXPECT_EQ(map.cboY->currentText(), "Throttle position");
    EXPECT_EQ(map.cboZ->currentText(), "Knock inv");
}

TEST_F(MapWindowTest, TheFilterBinsOnlyTheSamplesWhereItHoldsAndSaysHowManyRemain) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    const LogMap plain = *map.Map();
    const auto apply = [&](const char* condition) {
        map.txtFilter->setText(QString::fromLatin1(condition));
        emit map.txtFilter->editingFinished();
        WaitForMap();
    };
    // Some: knock 4, 7, 3 and 9 (samples 2, 4, 5, 6).
    apply("knock >= 3");
    EXPECT_EQ(window->Session().Filter(), "knock >= 3");
    EXPECT_EQ(map.Map()->Passed(), 4);
    EXPECT_EQ(map.Map()->Cell(kA.Column, kA.Row).Count, 1);
    EXPECT_EQ(map.Map()->Cell(kB.Column, kB.Row).Count, 2);
    EXPECT_EQ(map.Map()->Cell(kD.Column, kD.Row).Count, 0);
    EXPECT_TRUE(map.lblStatus->text().contains("Filtered: knock >= 3: 4 of 11 samples"));
    EXPECT_TRUE(Grid().Caption().endsWith("Filtered: knock >= 3: 4 of 11 samples"));
    map.cmdSaveCsv->click();
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_EQ(host.saveRequests[0].InitialPath.toStdString(),
              dir.File("orvn0001_map_rpm-air_volume-knock-max_where-knock_ge_3.csv"));
    // None, then all: the cells of the map without a filter.
    apply("knock > 100");
    EXPECT_EQ(map.Map()->Passed(), 0);
    EXPECT_EQ(map.Map()->Binned(), 0);
    EXPECT_TRUE(map.lblStatus->text().contains("0 of 11 samples · 0 of 208 cells"));
    apply("rpm > 0");
    EXPECT_EQ(map.Map()->Passed(), 11);
    EXPECT_EQ(map.Map()->Text(MapStatistic::Count), plain.Text(MapStatistic::Count));
    EXPECT_EQ(map.Map()->Text(MapStatistic::Max), plain.Text(MapStatistic::Max));

    // A condition that does not compile is marked and not applied.
    map.txtFilter->setText("knock >");
    emit map.txtFilter->editingFinished();
    EXPECT_TRUE(map.txtFilter->property("invalid").toBool());
    EXPECT_TRUE(map.lblStatus->text().startsWith("The filter cannot be used"));
    EXPECT_EQ(window->Session().Filter(), "rpm > 0");
    EXPECT_FALSE(map.Computing());
    // A filter set elsewhere (the statistics window, another player) is followed.
    ASSERT_TRUE(window->Session().SetFilter("knock == 0"));
    WaitForMap();
    EXPECT_EQ(map.txtFilter->text(), "knock == 0");
    EXPECT_FALSE(map.txtFilter->property("invalid").toBool());
    EXPECT_EQ(map.Map()->Passed(), 5);
    // Escape in the field clears it.
    QTest::keyClick(map.txtFilter, Qt::Key_Escape);
    WaitForMap();
    EXPECT_TRUE(window->Session().Filter().empty());
    EXPECT_EQ(map.Map()->Passed(), 11);
    EXPECT_FALSE(map.lblStatus->text().contains("Filtered"));
}

TEST_F(MapWindowTest, TheLiveCellPlacesTheSampleOnDisplayByItsComputedValueAndTheFilter) {
    // Across: the mean engine speed of the sample and the one before it.
    window->Session().SetComputedItems({{"Mean rpm", "rpm", "(rpm + rpm_prev) / 2", 0.0, 8000.0}},
                                       {});
    OpenPlanted();
    MapWindow& map = OpenMap();
    Choose(map.cboX, "Mean rpm");
    WaitForMap();
    EXPECT_EQ(map.Map()->Request().X, (MapAxis{0, 8000, 500}));
    const auto cellOf = [&](int sample) {
        const Planted& now = kPlanted[sample - 1];
        const Planted& before = kPlanted[std::max(sample - 2, 0)];
        const auto [column, row] = map.Map()->CellOf(
            (ConvertValue(33, now.speed) + ConvertValue(33, before.speed)) / 2, now.air);
        return MapCellIndex{column, row};
    };
    window->cmdNext_Click();  // sample 1 is its own sample before
    EXPECT_TRUE(LiveCellBecomes(cellOf(1)));
    for (int i = 0; i < 3; ++i) window->cmdNext_Click();
    EXPECT_EQ(cellOf(4), (MapCellIndex{3, 5}));  // (500 + 2500) / 2 rpm
    EXPECT_TRUE(LiveCellBecomes(cellOf(4)));
    // A sample the filter rejects is in no cell; its cell before joins the trail.
    ASSERT_TRUE(window->Session().SetFilter("knock > 5"));
    WaitForMap();
    EXPECT_EQ(Grid().LiveCell(), cellOf(4));  // knock 7
    window->cmdNext_Click();                  // knock 3
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Grid().LiveCell(); }, 2000));
    EXPECT_EQ(Grid().Trail().front(), cellOf(4));
    window->cmdNext_Click();  // knock 9
    EXPECT_TRUE(LiveCellBecomes(cellOf(6)));
}

// A reference drive of the same road, its logger recording knock, engine speed and Air
// Volume in that order: more samples in A with a lower maximum (the log's A is 2 above),
// a higher knock in D (5 below), too few samples in B and none in C, and a cell E the
// log never reached.
constexpr Planted kReference[] = {{16, 0, 1},    {16, 0, 2},    {16, 0, 2},    {16, 0, 1},
                                  {255, 255, 3}, {255, 255, 5}, {255, 255, 4}, {80, 100, 1},
                                  {48, 40, 6},   {48, 40, 6},   {48, 40, 6},   {80, 100, 1},
                                  {80, 100, 1}};
constexpr MapCellIndex kE{3, 2};

class MapCompareTest : public MapWindowTest {
protected:
    std::string WriteReference(std::array<std::int16_t, 3> codes = {38, 33, 44}) {
        std::array<std::int16_t, SlotCount> header;
        header.fill(-1);
        std::copy(codes.begin(), codes.end(), header.begin());
        LogBuilder log;
        log.Slots(header).Start(DateTime::FromCivil(2026, 12, 6, 10));
        for (std::size_t i = 0; i < std::size(kReference); ++i) {
            const Planted& p = kReference[i];
            std::array<std::uint8_t, SlotCount> bytes{};
            for (std::size_t k = 0; k < codes.size(); ++k) {
                bytes[k] = codes[k] == 38 ? p.knock : codes[k] == 33 ? p.speed : p.air;
            }
            log.RecordBytes(static_cast<std::int32_t>(i) * 100, bytes);
        }
        const std::string path = dir.File("orvn0002.bin");
        WriteBytes(path, log.Bytes());
        return path;
    }
    // Compare with… as the user chooses it.
    void Compare(const std::string& path) {
        host.openAnswer = QString::fromStdString(path);
        Run(Command::Compare);
        ASSERT_NE(window->Session().Reference(), nullptr);
    }
    void WaitForComparison() {
        WaitForMap();
        if (!window->Views().Map()->Comparison()) throw std::runtime_error("no comparison came");
    }
    QColor Pixel(MapCellIndex cell) {
        return Grid().Picture().pixelColor(Grid().CellRect(cell).topLeft() + QPoint(3, 3));
    }
};

TEST_F(MapCompareTest, EachCellShowsBothLogsAndTheirDifferenceOnlyWhileComparing) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    Grid().resize(900, 700);
    EXPECT_TRUE(map.chkCompare->isHidden());
    EXPECT_EQ(map.Comparison(), nullptr);

    Compare(WriteReference());
    EXPECT_FALSE(map.chkCompare->isHidden());
    EXPECT_TRUE(map.chkCompare->isChecked());
    EXPECT_EQ(map.chkCompare->text(), "Com&pare with orvn0002.bin");
    WaitForComparison();
    const MapComparison& comparison = *map.Comparison();
    EXPECT_EQ(map.Map(), &comparison.Log());
    EXPECT_EQ(comparison.Reference().Request().Range, (SampleRange{1, 13}));

    // Every cell against the two maps worked out here, the reference by its own slots.
    struct Figures {
        std::int64_t Count = 0;
        int Max = 0;
    };
    std::map<std::pair<int, int>, Figures> mine, theirs;
    const auto fill = [&](std::span<const Planted> planted, auto& cells) {
        for (const Planted& p : planted) {
            Figures& f = cells[map.Map()->CellOf(ConvertValue(33, p.speed), p.air)];
            f.Max = f.Count++ == 0 ? p.knock : std::max<int>(f.Max, p.knock);
        }
    };
    fill(kPlanted, mine);
    fill(kReference, theirs);
    for (int r = 0; r < comparison.Rows(); ++r) {
        for (int c = 0; c < comparison.Columns(); ++c) {
            const Figures a = mine[{c, r}];
            const Figures b = theirs[{c, r}];
            const bool compared = a.Count >= 3 && b.Count >= 3;
            ASSERT_EQ(comparison.Difference(c, r, MapStatistic::Max, 3),
                      compared ? std::optional<double>(a.Max - b.Max) : std::nullopt)
                << c << "," << r;
            ASSERT_EQ(Grid().LookOf({c, r}), compared ? MapGrid::CellLook::Coloured
                                             : a.Count > 0 || b.Count > 0
                                                 ? MapGrid::CellLook::Greyed
                                                 : MapGrid::CellLook::Empty)
                << c << "," << r;
        }
    }
    // The grey rule: too few in either log (B: the log's 2; C: none in the reference; E:
    // none in the log); A and D hold enough in both.
    for (const MapCellIndex cell : {kB, kC, kE}) EXPECT_EQ(Pixel(cell), QColor(208, 208, 208));
    EXPECT_EQ(Grid().CellFigures(kA), (std::array<QString, 3>{"4", "(2)", "+2"}));
    EXPECT_EQ(Grid().CellFigures(kD), (std::array<QString, 3>{"0", "(5)", "-5"}));
    EXPECT_EQ(Grid().CellFigures(kC), (std::array<QString, 3>{"9", "", ""}));

    // Colours: a diverging scale centred on zero, red above it, blue below, the middle
    // of the legend light and labelled 0.
    const MapColourScale& scale = Grid().Scale();
    EXPECT_EQ(scale.ScaleKind(), MapColourScale::Kind::Diverging);
    EXPECT_EQ(scale.Low(), -5);
    EXPECT_EQ(scale.High(), 5);
    const QColor above = Pixel(kA);
    const QColor below = Pixel(kD);
    EXPECT_EQ(above, scale.ColourOf(2));
    EXPECT_GT(above.red(), above.blue() + 60);
    EXPECT_EQ(below, scale.ColourAt(0));
    EXPECT_GT(below.blue(), below.red() + 60);
    const QRect legend = Grid().LegendRect();
    const QColor middle =
        Grid().Picture().pixelColor(legend.center().x(), legend.top() + (legend.height() - 1) / 2);
    EXPECT_GT(std::min({middle.red(), middle.green(), middle.blue()}), 235);
    EXPECT_EQ(Grid().LegendText(0), "0");
    EXPECT_EQ(Grid().LegendText(5), "+5");
    EXPECT_EQ(Grid().LegendText(-2.5), "-2.50");

    // The chosen cell's figures give both logs and the difference.
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect(kA).center());
    const QString status = map.lblStatus->text();
    EXPECT_TRUE(status.contains("orvn0001.bin: 3 samples, Knock sum min 1, mean 2.33, max 4"))
        << status.toStdString();
    EXPECT_TRUE(status.contains("orvn0002.bin (reference): 4 samples, Knock sum min 1"));
    EXPECT_TRUE(status.contains("Difference of the maximum (log - reference): +2"));
    EXPECT_TRUE(Grid().ToolTipText(kE).contains("No difference: fewer than 3 samples in the log"));
    // Only the log's samples can be shown: E holds the reference's alone.
    const auto position = State().PlayPosition;
    QTest::mouseDClick(&Grid(), Qt::LeftButton, {}, Grid().CellRect(kE).center());
    EXPECT_EQ(State().PlayPosition, position);

    // One sample fewer needed: B is compared now; the count's differences too.
    map.spnMinCount->setValue(2);
    EXPECT_EQ(Grid().CellFigures(kB)[2], "+6");
    map.cboStatistic->setCurrentIndex(map.cboStatistic->findText("count"));
    EXPECT_EQ(Grid().CellFigures(kA), (std::array<QString, 3>{"3", "(4)", "-1"}));
    EXPECT_TRUE(Grid().Caption().startsWith(
        "Samples per cell — orvn0001.bin, samples 1 to 11 − orvn0002.bin (in brackets)"));

    // Off: the log's map alone, without reading again; on: compared again.
    const auto started = window->Session().Jobs().Started();
    map.chkCompare->setChecked(false);
    EXPECT_EQ(map.Comparison(), nullptr);
    EXPECT_EQ(Grid().CellText(kA), "3");
    EXPECT_EQ(window->Session().Jobs().Started(), started);
    map.chkCompare->setChecked(true);
    WaitForComparison();
    // A moved offset changes nothing the map shows.
    const auto again = window->Session().Jobs().Started();
    window->Session().SetReferenceOffset(1500);
    EXPECT_EQ(window->Session().Jobs().Started(), again);
    EXPECT_NE(map.Comparison(), nullptr);

    // Stop comparing: the choice goes, and the log's map alone is on show.
    Run(Command::StopComparing);
    EXPECT_TRUE(map.chkCompare->isHidden());
    WaitForMap();
    EXPECT_EQ(map.Comparison(), nullptr);
    EXPECT_EQ(Grid().Scale().ScaleKind(), MapColourScale::Kind::Perceptual);
}

TEST_F(MapCompareTest, CopyAndSaveCsvGiveBothMapsAndTheDifferenceOverEachLogsOwnRange) {
    // The reference's own in/out range, kept in its marks file: samples 2 to 12.
    const std::string reference = WriteReference();
    window->CloseLog();
    State().LogFileName = reference;
    window->OpenLog(reference);
    SetRange(SampleRange{2, 12});
    OpenPlanted();
    const std::string log = dir.File("orvn0001.bin");
    MapWindow& map = OpenMap();
    SetRange(SampleRange{1, 10});
    WaitForMap();
    Compare(reference);
    WaitForComparison();
    EXPECT_EQ(map.Comparison()->Reference().Request().Range, (SampleRange{2, 12}));
    EXPECT_TRUE(map.lblStatus->text().contains(
        "Compared with orvn0002.bin, samples 2 to 12 (its in/out range)"))
        << map.lblStatus->text().toStdString();

    const std::string expected =
        Tool({"--map", "33,44,38,max", "--from", "1", "--to", "10", log, "--compare", reference,
              "--ref-from", "2", "--ref-to", "12"});
    ASSERT_NE(expected.find("(reference)"), std::string::npos);
    map.CopyTable();
    std::string copied = QGuiApplication::clipboard()->text().toStdString();
    std::replace(copied.begin(), copied.end(), '\t', ',');
    EXPECT_EQ(copied, expected);
    // The proposed name says it is a comparison, and with which part of which log.
    map.spnMinCount->setValue(1);
    map.cmdSaveCsv->click();
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_EQ(host.saveRequests[0].InitialPath.toStdString(),
              dir.File("orvn0001_map_rpm-air_volume-knock-max_000001-000010_vs-orvn0002_000002-"
                       "000012.csv"));
    host.saveAnswer = QString::fromStdString(dir.File("compared.csv"));
    map.cmdSaveCsv->click();
    EXPECT_EQ(ReadText(dir.File("compared.csv")),
              Tool({"--map", "33,44,38,max", "--from", "1", "--to", "10", log, "--compare",
                    reference, "--ref-from", "2", "--ref-to", "12", "--grey-below", "1"}));
    host.saveAnswer = QString::fromStdString(dir.File("compared.png"));
    map.cmdSavePng->click();
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("compared.png"))).size(), Grid().size());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MapCompareTest, AReferenceWithoutAnItemOfTheMapLeavesTheLogsMapWithTheReason) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    Compare(WriteReference({38, 33, 23}));
    WaitForMap();
    EXPECT_EQ(map.Comparison(), nullptr);
    ASSERT_NE(map.Map(), nullptr);
    EXPECT_EQ(Grid().CellText(kA), "4");
    EXPECT_TRUE(map.lblStatus->text().endsWith(
        "Not compared: the reference has no item 44 (Air Volume) for the vertical axis."))
        << map.lblStatus->text().toStdString();
    // A filter the reference cannot apply is told the same way, by the reference's map.
    Choose(map.cboY, "Engine speed");
    ASSERT_TRUE(window->Session().SetFilter("air_volume > 10"));
    WaitForMap();
    EXPECT_EQ(map.Comparison(), nullptr);
    EXPECT_TRUE(map.lblStatus->text().contains("Not compared: the reference: "))
        << map.lblStatus->text().toStdString();
}

TEST_F(MapWindowTest, AFailedSaveIsToldNotHidden) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    // (The in and out points cannot select samples beyond the log's end.)
    window->Session().SetOutPoint(50);
    EXPECT_EQ(window->Session().Range(), std::nullopt);
    WaitForMap();
    host.saveAnswer = QString::fromStdString(dir.File("no-such-folder/map.csv"));
    map.cmdSaveCsv->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].startsWith("Cannot write"));
    EXPECT_FALSE(map.lblStatus->text().startsWith("Saved"));
}

TEST_F(MapWindowTest, ThePlaceIsKeptWhenTheWindowClosesAndWhenThePlayerQuits) {
    OpenPlanted();
    MapWindow& map = OpenMap();
    // A size above the window's least, placed inside the offscreen screen.
    const QSize size = map.minimumSizeHint().expandedTo({420, 320}) + QSize(6, 20);
    map.move(10, 20);
    map.resize(size);
    map.close();
    EXPECT_FALSE(map.isVisible());
    EXPECT_EQ(ReadSetting("Map Window", "Left", ""), "10");
    EXPECT_EQ(ReadSetting("Map Window", "Height", ""), std::to_string(size.height()));

    // Opened again (the same window, raised), moved, and the player quits.
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(window->Views().Map(), &map);
    EXPECT_TRUE(map.isVisible());
    map.move(20, 30);
    window->Form_Unload();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(ReadSetting("Map Window", "Left", ""), "20");

    // A new player puts its map window there.
    window = std::make_unique<frmPlayer>(host);
    OpenPlanted();
    MapWindow& again = OpenMap();
    EXPECT_EQ(again.pos(), QPoint(20, 30));
    EXPECT_EQ(again.size(), size);
}

}  // namespace
}  // namespace orvane::testing
