// The overview strip, the alarm jumps and End.
#include <QToolTip>
#include <QtTest/QTest>

#include "DemoDrive.h"
#include "PlayerFixture.h"
#include "session/LogSession.h"
#include "views/overview/OverviewStrip.h"

namespace orvane::testing {
namespace {

// ISC position (its value is its raw byte) in display slot 1, alarm colour 1 at 100 and
// colour 2 at 200; slot 2 shows coolant without thresholds.
constexpr const char* kLayout =
    "[Main]\nSensor1=22\nSensor2=7\n"
    "[Sensor Data1]\nThreshold1=100\nThreshold2=200\nAlarmColor1=65535\nAlarmColor2=255\n";

// Alarm starts (a level above the one before) at samples 3, 6 and 9; 7 stays at level 2.
constexpr std::uint8_t kPlanted[] = {0, 0, 150, 150, 0, 250, 250, 50, 120, 0};

class OverviewTest : public PlayerFixture {
protected:
    void Load(const std::string& ini) {
        WriteIni(ini);
        window->Form_Load();
        ASSERT_FALSE(host.ended);
    }
    void OpenPlanted() {
        LogBuilder log;
        log.Slots({22, 7}).Start(DateTime::FromCivil(2026, 12, 5, 10));
        for (std::size_t i = 0; i < std::size(kPlanted); ++i) {
            log.Record(static_cast<std::int32_t>(i) * 200, {kPlanted[i], 100});
        }
        Open(log);
    }
    // Lets the background summary arrive.
    bool WaitForSummary() {
        return QTest::qWaitFor([this] { return window->picOverview->HasSummary(); }, 20000);
    }
    std::string DemoLog(const std::string& name, int records) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(demo::WriteDemoLog(path, records, 2, DateTime::FromCivil(2026, 12, 5, 10)));
        return path;
    }
    // A key press, and the alarm search it may have started in the background.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window.get(), key, modifiers);
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !window || !window->Session().Jobs().Busy("alarm"); }, 20000));
    }
};

TEST_F(OverviewTest, HiddenItGivesTheWindowWithoutItAndShownNothingAboveItMoves) {
    Load(std::string(kLayout) + "[Overview]\nVisible=False\n");
    window->show();
    const QImage without = window->grab().toImage();
    EXPECT_TRUE(window->picOverview->isHidden());

    auto shown = std::make_unique<frmPlayer>(host);
    WriteIni(kLayout);
    shown->Form_Load();
    shown->show();
    const QImage with = shown->grab().toImage();
    ASSERT_EQ(with.width(), without.width());
    EXPECT_EQ(with.height(), without.height() + 72);
    EXPECT_EQ(shown->picOverview->geometry(), QRect(0, without.height(), without.width(), 72));
    EXPECT_TRUE(with.copy(0, 0, without.width(), without.height()) == without);
}

TEST_F(OverviewTest, TheSummaryArrivesInTheBackgroundAndTheTimesShow) {
    Load(kLayout);
    OpenPlanted();
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(window->picOverview->Summary()->Records(), 10);
    EXPECT_EQ(window->picOverview->TimeText(), "00:00 / 00:01");
    for (int i = 0; i < 6; ++i) window->cmdNext_Click();
    EXPECT_EQ(window->picOverview->Playhead(), 6);
    EXPECT_EQ(window->picOverview->TimeText(), "00:01 / 00:01");
    window->cmdStop_Click();
    EXPECT_EQ(window->picOverview->Playhead(), 0);
    // The strip only reads the log: playback's position is where it was.
    EXPECT_EQ(State().PlayPosition, 1);
}

TEST_F(OverviewTest, ACounterThatGoesBackwardsNeverMakesANegativeOrHugeElapsedTime) {
    Load(kLayout);
    LogBuilder log;
    log.Slots({22, 7}).Start(DateTime::FromCivil(2026, 12, 5, 10));
    for (const std::int32_t millis : {5000, 6000, -1, -300000, 2000000000, 1000})
        log.Record(millis, {1, 1});
    Open(log);
    ASSERT_TRUE(WaitForSummary());
    for (int i = 0; i < 6; ++i) {
        window->cmdNext_Click();
        const QString text = window->picOverview->TimeText();
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(text.contains(QLatin1Char('-')));
        EXPECT_FALSE(text.contains(QChar(0x2212)));
        EXPECT_LE(text.size(), 21);  // "596:31:23 / 596:31:23" at the very most
    }
}

TEST_F(OverviewTest, APressOrADragOnTheStripSeeksLikeTheSlider) {
    Load(kLayout);
    const std::string path = DemoLog("orvn0001.bin", 3000);
    window->OpenLogFile(path);
    ASSERT_TRUE(WaitForSummary());
    OverviewStrip* strip = window->picOverview;
    const QRect plot = strip->PlotRect();
    const QPoint first(plot.x() + plot.width() / 3, plot.center().y());
    const QPoint second(plot.x() + plot.width() * 2 / 3, plot.center().y());

    window->cmdPlay_Click();
    QTest::mouseClick(strip, Qt::LeftButton, {}, first);
    EXPECT_FALSE(window->Timer1Enabled());
    const std::int64_t chosen = strip->SampleAt(first.x());
    EXPECT_GT(chosen, 1);
    EXPECT_EQ(Seq().toLongLong(), chosen);
    EXPECT_EQ(State().PlayPosition, chosen + 1);
    EXPECT_EQ(window->sldLog->value(), chosen);

    QTest::mousePress(strip, Qt::LeftButton, {}, first);
    QMouseEvent move(QEvent::MouseMove, QPointF(second), strip->mapToGlobal(QPointF(second)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, second);
    EXPECT_EQ(Seq().toLongLong(), strip->SampleAt(second.x()));
    EXPECT_EQ(window->picOverview->Playhead(), strip->SampleAt(second.x()));
}

TEST_F(OverviewTest, AJumpsToEachAlarmStartAndShiftABack) {
    Load(kLayout);
    OpenPlanted();
    ASSERT_TRUE(WaitForSummary());
    for (const char* expected : {"3", "6", "9"}) {
        Key(Qt::Key_A);
        EXPECT_EQ(Seq(), expected);
        EXPECT_FALSE(window->Timer1Enabled());
    }
    Key(Qt::Key_A);
    EXPECT_EQ(Seq(), "9");
    EXPECT_EQ(window->picOverview->Note(), "No alarm after sample 9.");
    for (const char* expected : {"6", "3"}) {
        Key(Qt::Key_A, Qt::ShiftModifier);
        EXPECT_EQ(Seq(), expected);
    }
    Key(Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(Seq(), "3");
    EXPECT_EQ(window->picOverview->Note(), "No alarm before sample 3.");
    // The note is about the sample on display: it goes when another one shows.
    window->cmdNext_Click();
    EXPECT_EQ(window->picOverview->Note(), "");
}

TEST_F(OverviewTest, TheTooltipNamesTheItemThatAlarmedAndStaysAboveTheStrip) {
    Load(kLayout);
    OpenPlanted();
    ASSERT_TRUE(WaitForSummary());
    OverviewStrip* strip = window->picOverview;
    const QRect plot = strip->PlotRect();
    // Sample 6 reaches the second level (ISC 250), sample 1 none.
    const int six = plot.x() + strip->ColumnOfSample(6);
    EXPECT_TRUE(strip->ToolTipAt(six).endsWith("\nAlarm level 2: ISC position"))
        << strip->ToolTipAt(six).toStdString();
    EXPECT_FALSE(strip->ToolTipAt(plot.x() + strip->ColumnOfSample(1)).contains("Alarm"));
    // Near the right end the tip stands above the strip, clear of the time text.
    const QString text = strip->ToolTipAt(plot.right());
    const QPoint place = strip->ToolTipPlace(plot.right(), text);
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    const int tipBottom = place.y() + 16 + lines * QFontMetrics(QToolTip::font()).lineSpacing();
    EXPECT_LE(tipBottom, strip->mapToGlobal(QPoint(0, 0)).y());
}

TEST_F(OverviewTest, JumpsWithoutASummaryAndDuringPlayback) {
    Load(kLayout);
    OpenPlanted();
    // Before the summary is ready the log itself is searched.
    window->Session().Jobs().Cancel("overview");
    Key(Qt::Key_A);
    EXPECT_EQ(Seq(), "3");
    // During playback: the jump pauses there, like a seek.
    window->cmdStop_Click();
    window->cmdPlay_Click();
    WhilePending(2, [this] { Key(Qt::Key_A); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "3");
    WhilePending(5, [this] { Key(Qt::Key_End); });
    window->cmdPlay2_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "10");
    EXPECT_EQ(State().PlayPosition, 11);
}

TEST_F(OverviewTest, EndShowsTheLastWholeSampleAndKeysDoNothingWithoutALog) {
    Load(kLayout);
    Key(Qt::Key_End);
    Key(Qt::Key_A);
    EXPECT_EQ(Seq(), "");
    LogBuilder log;
    log.Slots({22}).StartDate(0).Numbered(4).Tail(15);  // a partial fifth record
    Open(log);
    Key(Qt::Key_End);
    EXPECT_EQ(Seq(), "4");
    EXPECT_FALSE(window->Timer1Enabled());
}

TEST_F(OverviewTest, OutputLeavesANoteOfWhatItWrote) {
    Load(kLayout);
    const std::string path = DemoLog("orvn0001.bin", 25);
    window->OpenLogFile(path);
    window->cmdOutput_Click();
    EXPECT_EQ(window->picOverview->Note(),
              QStringLiteral("25 samples written to %1")
                  .arg(QString::fromStdString(dir.File("orvn0001.csv"))));
    // The note fades.
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->picOverview->Note().isEmpty(); }, 10000));
}

TEST_F(OverviewTest, ASecondLogOpenedWhileTheFirstIsSummarisedIsTheOneShown) {
    Load(kLayout);
    const std::string big = DemoLog("orvn0001.bin", 400000);
    const std::string small = DemoLog("orvn0002.bin", 50);
    window->OpenLogFile(big);
    window->OpenLogFile(small);
    ASSERT_TRUE(WaitForSummary());
    EXPECT_EQ(window->picOverview->Summary()->Records(), 50);
    // Nothing of the first log's work arrives later.
    QTest::qWait(200);
    EXPECT_EQ(window->picOverview->Summary()->Records(), 50);
    // And a window that goes while a summary is under way stops it.
    window->OpenLogFile(big);
    EXPECT_TRUE(window->Session().Jobs().Busy("overview"));
    window.reset();
}

}  // namespace
}  // namespace orvane::testing
