#include <meter/ColourTranslation.h>

#include <QFrame>
#include <QLabel>

#include "PlayerFixture.h"
#include "window/ShapeLamp.h"

namespace orvane::testing {
namespace {

using PresentationTest = PlayerFixture;

constexpr meter::Colour kNormal(0x00FFFFFF);
constexpr meter::Colour kAlarm1(0x0000FFFF);
constexpr meter::Colour kAlarm2(0x000000FF);

QColor TextColour(const frmPlayer& window, int slot) {
    return window.txtResult[slot]->palette().color(QPalette::Text);
}

TEST_F(PresentationTest, ShowsNumberDateTimeAndMillisecondsOfTheSample) {
    Open(LogBuilder()
             .Slots({33})
             .Start(DateTime::FromCivil(2026, 12, 5, 10))
             .Record(0, {1})
             .Record(61234, {100}));
    window->cmdNext_Click();
    window->cmdNext_Click();
    EXPECT_EQ(window->txtSeq->text(), "2");
    EXPECT_EQ(window->txtDate->text(), "26/12/05");
    EXPECT_EQ(window->txtTime->text(), "10:01:01");
    EXPECT_EQ(window->txtMs->text(), "234");
    EXPECT_EQ(window->sldLog->value(), 2);
    EXPECT_EQ(window->txtResult[1]->text(), "3125rpm");
}

TEST_F(PresentationTest, ValueTextsCarryTheirUnitsAndTwoDecimalsForFractions) {
    Open(LogBuilder().Slots({33, 7, 20, 22, 23}).StartDate(0).Record(0, {27, 100, 180, 17, 128}));
    window->cmdNext_Click();
    EXPECT_EQ(window->txtResult[1]->text(), "843rpm");
    EXPECT_EQ(window->txtResult[2]->text(), "33.25c");
    EXPECT_EQ(window->txtResult[3]->text(), "13.19V");
    EXPECT_EQ(window->txtResult[4]->text(), "17");
    EXPECT_EQ(window->txtResult[5]->text(), "50.20%");
}

TEST_F(PresentationTest, AlarmColoursAtAndAboveThresholdsAndBackAgain) {
    Open(LogBuilder()
             .Slots({22, 22})
             .StartDate(0)
             .Record(0, {49, 0})
             .Record(0, {50, 0})
             .Record(0, {80, 0})
             .Record(0, {10, 0}));
    for (int s = 1; s <= 2; ++s) {
        State().SlotTextColor[s] = kNormal;
        State().SlotAlarmColor1[s] = kAlarm1;
        State().SlotAlarmColor2[s] = kAlarm2;
    }
    State().SlotThreshold1[1] = 50;
    State().SlotThreshold2[1] = 80;
    // Thresholds of 0 or below never colour, even for a value of 0.
    State().SlotThreshold1[2] = 0;
    State().SlotThreshold2[2] = -5;

    const QPalette palette = window->txtResult[1]->palette();
    const auto expect = [&](meter::Colour colour, const char* step) {
        EXPECT_EQ(TextColour(*window, 1), meter::ToQColor(colour, palette)) << step;
        EXPECT_EQ(TextColour(*window, 2), meter::ToQColor(kNormal, palette)) << step;
    };
    window->cmdNext_Click();
    expect(kNormal, "49");
    window->cmdNext_Click();
    expect(kAlarm1, "50 equals the first threshold");
    window->cmdNext_Click();
    expect(kAlarm2, "80: both exceeded, the second wins");
    window->cmdNext_Click();
    expect(kNormal, "10: falls back at once");
}

TEST_F(PresentationTest, GaugesAndGraphsSkipValuesOutsideTheirRange) {
    Open(LogBuilder().Slots({22}).StartDate(0).Record(0, {40}).Record(0, {150}).Record(0, {60}));
    Meter* gauge = ShowGauge(1, 0, 100);
    usrGraph* graph = ShowGraph(1, 0, 100);
    window->cmdNext_Click();
    EXPECT_EQ(gauge->Value(), 40);
    const QImage afterFirst = graph->PlotImage();
    window->cmdNext_Click();
    EXPECT_EQ(window->txtResult[1]->text(), "150");  // the text still shows it
    EXPECT_EQ(gauge->Value(), 40);                   // not clamped: the needle stays
    EXPECT_EQ(graph->PlotImage(), afterFirst);       // no point, no scroll
    window->cmdNext_Click();
    EXPECT_EQ(gauge->Value(), 60);
    EXPECT_NE(graph->PlotImage(), afterFirst);
}

TEST_F(PresentationTest, HiddenTextDoesNotStopTheGaugeAndGraph) {
    Open(LogBuilder().Slots({22}).StartDate(0).Record(0, {40}));
    window->txtResult[1]->hide();
    Meter* gauge = ShowGauge(1, 0, 100);
    usrGraph* graph = ShowGraph(1, 0, 100);
    const QImage before = graph->PlotImage();
    window->cmdNext_Click();
    EXPECT_EQ(window->txtResult[1]->text(), "");
    EXPECT_EQ(gauge->Value(), 40);
    EXPECT_NE(graph->PlotImage(), before);
}

TEST_F(PresentationTest, AGraphThatCannotPlotSkipsThePointAndTheSampleIsStillShown) {
    Open(LogBuilder().Slots({22, 22}).StartDate(0).Record(0, {5, 7}));
    ShowGraph(1, 5, 5);  // equal ends: the graph's scale divides by zero
    Meter* gauge = ShowGauge(2, 0, 100);
    window->cmdNext_Click();
    EXPECT_EQ(window->txtResult[1]->text(), "5");
    EXPECT_EQ(window->txtResult[2]->text(), "7");
    EXPECT_EQ(gauge->Value(), 7);
}

TEST_F(PresentationTest, LampsFollowTheSwitchBytes) {
    Open(LogBuilder().Slots({2, 0}).StartDate(0).Record(0, {0x88, 0x00}).Record(0, {0x14, 0x20}));
    window->cmdNext_Click();
    EXPECT_TRUE(Lamp(SwitchKind::Idle)->On());
    EXPECT_TRUE(Lamp(SwitchKind::Power)->On());
    EXPECT_TRUE(Lamp(SwitchKind::Ac)->On());
    EXPECT_FALSE(Lamp(SwitchKind::Tdc)->On());
    EXPECT_TRUE(Lamp(SwitchKind::AcRelay)->On());
    window->cmdNext_Click();
    EXPECT_FALSE(Lamp(SwitchKind::Idle)->On());
    EXPECT_FALSE(Lamp(SwitchKind::Power)->On());
    EXPECT_FALSE(Lamp(SwitchKind::Ac)->On());
    EXPECT_TRUE(Lamp(SwitchKind::Tdc)->On());
    EXPECT_FALSE(Lamp(SwitchKind::AcRelay)->On());
}

TEST_F(PresentationTest, LampsInSlotsSixteenToEighteenAndNoValuesThere) {
    Open(LogBuilder()
             .Slots({-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 0, 33})
             .StartDate(0)
             .Record(0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 100}));
    window->cmdNext_Click();
    EXPECT_TRUE(Lamp(SwitchKind::Idle)->On());
    EXPECT_TRUE(Lamp(SwitchKind::AcRelay)->On());
    for (int s = 1; s <= 15; ++s) EXPECT_EQ(window->txtResult[s]->text(), "") << s;
}

TEST_F(PresentationTest, WithTheLampPanelHiddenCodeTwoIsAValueAndCodeZeroNothing) {
    Open(LogBuilder().Slots({2, 0}).StartDate(0).Record(0, {0x80, 0x00}));
    window->picSwitch->hide();
    Meter* gauge = ShowGauge(1, -10, 10);
    gauge->SetValue(5);
    window->cmdNext_Click();
    EXPECT_EQ(window->txtResult[1]->text(), "0");
    EXPECT_EQ(gauge->Value(), 0);
    EXPECT_EQ(window->txtResult[2]->text(), "");
    EXPECT_FALSE(Lamp(SwitchKind::Idle)->On());
    EXPECT_FALSE(Lamp(SwitchKind::AcRelay)->On());
}

TEST_F(PresentationTest, CodesAbove255ShowNothingAndFailNothing) {
    Open(LogBuilder().Slots({300, 22}).StartDate(0).Record(0, {1, 2}));
    ShowGauge(1, 0, 100);
    ShowGraph(1, 0, 100);
    window->cmdNext_Click();
    EXPECT_EQ(window->lvlResult[1]->text(), "");
    EXPECT_EQ(window->txtResult[1]->text(), "");
    EXPECT_EQ(window->txtResult[2]->text(), "2");
}

TEST_F(PresentationTest, ResetDisplayBlanksActiveSlotsAndKeepsTheOthers) {
    Open(LogBuilder().Slots({22, 22, 2}).StartDate(0).Record(0, {40, 50, 0x80}));
    Meter* gauge = ShowGauge(1, 10, 100);
    usrGraph* graph = ShowGraph(1, 0, 100);
    const QImage empty = graph->PlotImage();
    window->cmdNext_Click();
    ASSERT_TRUE(Lamp(SwitchKind::Idle)->On());

    // A new log whose header no longer uses slot 2 keeps slot 2's name and text.
    window->CloseLog();
    WriteBytes(dir.File("orvn0002.bin"),
               LogBuilder().Slots({22, -1, 2}).StartDate(0).Record(0, {1, 1, 0}).Bytes());
    window->OpenLog(dir.File("orvn0002.bin"));
    EXPECT_EQ(window->txtResult[1]->text(), "");
    EXPECT_EQ(window->lvlResult[1]->text(), "ISC position");
    EXPECT_EQ(gauge->Value(), 10);  // at its minimum
    EXPECT_EQ(graph->PlotImage(), empty);
    EXPECT_EQ(window->txtResult[2]->text(), "50");
    EXPECT_FALSE(Lamp(SwitchKind::Idle)->On());
    EXPECT_EQ(window->txtSeq->text(), "");
    EXPECT_EQ(window->txtDate->text(), "");
    EXPECT_EQ(window->txtTime->text(), "");
    EXPECT_EQ(window->txtMs->text(), "");
    EXPECT_EQ(window->sldLog->value(), 1);
}

}  // namespace
}  // namespace orvane::testing
