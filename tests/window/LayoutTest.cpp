// The window laid out from the settings file at start-up.
#include <QFrame>
#include <QLabel>

#include <meter/ErrorNumber.h>

#include "PlayerFixture.h"
#include "window/ShapeLamp.h"

namespace orvane::testing {
namespace {

class LayoutTest : public PlayerFixture {
protected:
    // Lays the window out from `ini`, as the start of the program does.
    void Load(const std::string& ini) {
        if (!ini.empty()) WriteIni(ini);
        window->Form_Load();
    }
    // The layout failed with this error number and ended the program.
    void ExpectLayoutError(int number) {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messageTitles[0], "E39A Orvane LogFile Player Error");
        const QStringList lines = host.messages[0].split('\n');
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0], QStringLiteral("実行時ｴﾗｰ '%1':").arg(number));
        EXPECT_EQ(lines[1].toStdString(), meter::StandardErrorText(number));
        EXPECT_EQ(lines[2], "インストールされていないフォントが指定されている可能性があります。");
        EXPECT_TRUE(host.ended);
        EXPECT_NE(host.exitStatus, 0);
        EXPECT_TRUE(window->Ended());
    }
};

TEST_F(LayoutTest, WithoutASettingsFileEverythingTakesItsDefault) {
    Load("");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(window->windowOpacity(), 1.0);
    for (int n = 1; n <= 15; ++n) {
        EXPECT_EQ(window->lvlResult[n]->isHidden(), n >= 10) << n;
        EXPECT_EQ(window->txtResult[n]->isHidden(), n >= 10) << n;
        EXPECT_TRUE(window->mtrSensor[n]->isHidden()) << n;
        EXPECT_TRUE(window->usrGraph[n]->isHidden()) << n;
        EXPECT_EQ(State().SlotItem[n], -1);
    }
    EXPECT_EQ(State().SlotItem[18], -1);
    EXPECT_EQ(window->lvlResult[1]->text(), "");
    EXPECT_EQ(window->lvlResult[1]->geometry(), QRect(240, 54, 201, 17));
    EXPECT_EQ(window->txtResult[1]->geometry(), QRect(240, 74, 201, 40));
    EXPECT_EQ(window->lvlResult[2]->geometry(), QRect(16, 118, 201, 17));
    EXPECT_EQ(window->txtResult[2]->geometry(), QRect(16, 138, 201, 40));
    EXPECT_EQ(window->lvlResult[3]->geometry(), QRect(240, 118, 201, 17));
    EXPECT_EQ(window->txtResult[3]->geometry(), QRect(240, 138, 201, 40));
    EXPECT_EQ(window->lvlResult[9]->geometry(), QRect(240, 310, 201, 17));
    EXPECT_EQ(window->txtResult[9]->geometry(), QRect(240, 330, 201, 40));
    // Value text red on black at 36 points; labels bold 12 points.
    EXPECT_EQ(window->txtResult[4]->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(window->txtResult[4]->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(window->txtResult[4]->font().pointSizeF(), 36);
    EXPECT_TRUE(window->lvlResult[4]->font().bold());
    EXPECT_EQ(window->lvlResult[4]->font().pointSizeF(), 12);
    EXPECT_EQ(State().SlotTextColor[4], meter::Colour(255));
    EXPECT_EQ(State().SlotAlarmColor1[4], meter::Colour(255));
    // The switch panel and its lamps.
    EXPECT_FALSE(window->picSwitch->isHidden());
    EXPECT_EQ(window->picSwitch->geometry(), QRect(16, 416, 649, 40));
    EXPECT_EQ(window->lvlStatus->text(), "");
    EXPECT_EQ(Lamp(SwitchKind::Power)->geometry(), QRect(104, 0, 15, 15));
    EXPECT_EQ(LampLabel(SwitchKind::Power)->geometry(), QRect(128, 0, 63, 17));
    EXPECT_EQ(Lamp(SwitchKind::Tdc)->geometry(), QRect(0, 18, 15, 15));
    EXPECT_EQ(LampLabel(SwitchKind::AcRelay)->text(), "AC-RLY");
}

TEST_F(LayoutTest, CommonSectionsAndTheirFallback) {
    Load(
        "[Sensor Name]\nFontSize=9\n[Sensor Name4]\nFontSize=14\n[Sensor Name6]\nFontSize=\n"
        "[Sensor Name7]\nFontSize=10px\nFontBold=1\n[Sensor Name8]\nFontBold=false\n"
        "[Sensor Data]\nForeColor=65280\n[Sensor Data3]\nForeColor=16711680\n");
    EXPECT_EQ(window->lvlResult[4]->font().pointSizeF(), 14);
    EXPECT_EQ(window->lvlResult[5]->font().pointSizeF(), 9);
    EXPECT_EQ(window->lvlResult[6]->font().pointSizeF(), 9);   // empty: the common value
    EXPECT_EQ(window->lvlResult[7]->font().pointSizeF(), 10);  // leading number
    EXPECT_TRUE(window->lvlResult[7]->font().bold());
    EXPECT_FALSE(window->lvlResult[8]->font().bold());
    EXPECT_EQ(State().SlotTextColor[2], meter::Colour(65280));
    EXPECT_EQ(State().SlotTextColor[3], meter::Colour(16711680));
}

TEST_F(LayoutTest, VisibleIsTrueOnlyInExactlyThatSpelling) {
    Load(
        "[Sensor Name1]\nVisible=true\n[Sensor Name10]\nVisible=True\n[Sensor "
        "Data10]\nVisible=1\n");
    EXPECT_TRUE(window->lvlResult[1]->isHidden());
    EXPECT_FALSE(window->lvlResult[10]->isHidden());
    EXPECT_TRUE(window->txtResult[10]->isHidden());
}

TEST_F(LayoutTest, ThresholdsAreOrderedAndHiddenBoxesKeepThem) {
    Load(
        "[Sensor Data]\nForeColor=65280\n"
        "[Sensor Data2]\nThreshold1=80\nThreshold2=50\nAlarmColor1=65535\n"
        "[Sensor Data3]\nThreshold1=50\n"
        "[Sensor Data5]\nVisible=False\nThreshold1=95\n");
    EXPECT_EQ(State().SlotThreshold1[2], 50);
    EXPECT_EQ(State().SlotThreshold2[2], 80);
    EXPECT_EQ(State().SlotAlarmColor1[2], meter::Colour(65535));
    EXPECT_EQ(State().SlotAlarmColor2[2], meter::Colour(65280));  // the box's text colour
    EXPECT_EQ(State().SlotThreshold1[3], 0);
    EXPECT_EQ(State().SlotThreshold2[3], 50);
    EXPECT_TRUE(window->txtResult[5]->isHidden());
    EXPECT_EQ(State().SlotThreshold1[5], 0);
    EXPECT_EQ(State().SlotThreshold2[5], 95);
    EXPECT_EQ(State().SlotAlarmColor1[5], meter::Colour(0));  // a hidden box has no text colour
}

TEST_F(LayoutTest, GaugeRangesAndZones) {
    Load(
        "[Main]\nSensor1=22\nSensor2=22\nSensor3=7\n"
        "[Sensor "
        "Meter1]\nVisible=True\nWidth=200\nHeight=100\nMin=0\nMax=100\nThreshold1=80\nThreshold2="
        "90\n"
        "Caption=rpm\nThickNeedle=False\n"
        "[Sensor Meter2]\nVisible=True\nMin=0\nMax=100\nThreshold1=120\nThreshold2=90\n"
        "[Sensor Meter3]\nVisible=True\nMin=-60\nMax=160\n");
    ASSERT_TRUE(host.messages.empty()) << host.messages[0].toStdString();
    Meter* gauge = window->mtrSensor[1];
    EXPECT_FALSE(gauge->isHidden());
    EXPECT_EQ(gauge->size(), QSize(200, 100));
    EXPECT_EQ(gauge->MaxGreenZone(), 80);
    EXPECT_EQ(gauge->MaxYellowZone(), 90);
    EXPECT_EQ(gauge->MaxRedZone(), 100);
    EXPECT_EQ(gauge->Caption(), "rpm");
    EXPECT_FALSE(gauge->ThickNeedle());
    EXPECT_EQ(gauge->BackColor(), meter::Colour(0));
    EXPECT_EQ(gauge->ScaleColor(), meter::Colour(16711680));
    // A boundary outside the scale is skipped.
    EXPECT_EQ(window->mtrSensor[2]->MaxGreenZone(), 90);
    EXPECT_EQ(window->mtrSensor[2]->MaxYellowZone(), 0);
    EXPECT_EQ(window->mtrSensor[2]->MaxRedZone(), 100);
    EXPECT_EQ(window->mtrSensor[3]->MinValue(), -60);
    EXPECT_EQ(window->mtrSensor[3]->MaxValue(), 160);
}

TEST_F(LayoutTest, GraphRangesDefaultFromTheCatalogueAndAReversedRangeIsSwapped) {
    Load(
        "[Main]\nSensor1=7\nSensor2=22\nSensor3=33\n"
        "[Sensor Graph1]\nVisible=True\nWidth=100\nHeight=50\n"
        "[Sensor "
        "Graph2]\nVisible=True\nWidth=100\nHeight=50\nMin=100\nMax=0\nLineWidth=1\nThreshold1=70\n"
        "[Sensor Graph3]\nVisible=True\nWidth=100\nHeight=50\nTextVisible=True\nFontSize=9\n");
    ASSERT_TRUE(host.messages.empty()) << host.messages[0].toStdString();
    EXPECT_EQ(window->usrGraph[1]->MinValue(), -59);
    EXPECT_EQ(window->usrGraph[1]->MaxValue(), 158);
    EXPECT_EQ(window->usrGraph[2]->MinValue(), 0);
    EXPECT_EQ(window->usrGraph[2]->MaxValue(), 100);
    EXPECT_EQ(window->usrGraph[2]->LineWidth(), 0);
    EXPECT_EQ(window->usrGraph[2]->Threshold1, 70);
    EXPECT_EQ(window->usrGraph[3]->MaxValue(), 7968);
    EXPECT_TRUE(window->usrGraph[3]->TextVisible());
    EXPECT_EQ(window->usrGraph[3]->FontSize(), 9);
    EXPECT_TRUE(window->usrGraph[3]->Initialized());
}

TEST_F(LayoutTest, SwitchPanelCaptionAndLamps) {
    Load(
        "[Switch Status]\nLeft=20\nTop=500\n[Switch Status "
        "Label]\nLabel=Switches\nLeft=300\nFontSize=9\n"
        "[TDC Indicator]\nLeft=200\n[TDC Label]\nLeft=220\nLabel=TDC!\n");
    EXPECT_EQ(window->picSwitch->pos(), QPoint(20, 500));
    EXPECT_EQ(window->lvlStatus->text(), "Switches");
    EXPECT_EQ(window->lvlStatus->geometry(), QRect(300, 0, 65, 17));
    EXPECT_EQ(window->lvlStatus->font().pointSizeF(), 9);
    EXPECT_EQ(Lamp(SwitchKind::Tdc)->pos(), QPoint(200, 18));
    EXPECT_EQ(LampLabel(SwitchKind::Tdc)->pos(), QPoint(220, 18));
    EXPECT_EQ(LampLabel(SwitchKind::Tdc)->text(), "TDC!");
}

TEST_F(LayoutTest, AnEmptyCaptionLeavesTheLabelWhereItWas) {
    Load("[Switch Status Label]\nLeft=abc\n");  // not read: there is no caption
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(window->lvlStatus->geometry(), QRect(24, 0, 65, 17));
}

TEST_F(LayoutTest, OpacityComesFromTransparent) {
    Load("[Main]\nTransparent=128\n");
    EXPECT_NEAR(window->windowOpacity(), 128 / 255.0, 0.01);
}

TEST_F(LayoutTest, ABadBooleanTextEndsTheProgram) {
    Load("[Sensor Name1]\nFontBold=yes\n");
    ExpectLayoutError(13);
}

TEST_F(LayoutTest, ALampPositionThatIsNotWhollyANumberEndsTheProgram) {
    Load("[Idle Indicator]\nLeft=10px\n");
    ExpectLayoutError(13);
}

TEST_F(LayoutTest, EmptyZeroOrNonNumericFontSizesAreDrawnAtOnePoint) {
    // Hand-edited files: none of these may stop the start.
    Load(
        "[Main]\nSensor1=22\n"
        "[Sensor Name]\nFontSize=\n[Sensor Data]\nFontSize=abc\n[Sensor Data2]\nFontSize=-4\n"
        "[Idle Label]\nFontSize=\n[Switch Status Label]\nLabel=Switches\nFontSize=0\n"
        "[Sensor Meter1]\nVisible=True\nWidth=200\nHeight=100\nMin=0\nMax=255\n"
        "CaptionFontSize=\nNumberFontSize=0.4\n"
        "[Sensor Graph1]\nVisible=True\nWidth=100\nHeight=50\nFontSize=0\n");
    ASSERT_TRUE(host.messages.empty()) << host.messages[0].toStdString();
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(window->lvlResult[1]->font().pointSizeF(), 1.0);
    EXPECT_EQ(window->txtResult[1]->font().pointSizeF(), 1.0);
    EXPECT_EQ(window->txtResult[2]->font().pointSizeF(), 1.0);
    EXPECT_EQ(LampLabel(SwitchKind::Idle)->font().pointSizeF(), 1.0);
    EXPECT_EQ(window->lvlStatus->font().pointSizeF(), 1.0);
    EXPECT_EQ(window->mtrSensor[1]->CaptionFont().pointSizeF(), 1.0);
    EXPECT_EQ(window->mtrSensor[1]->NumberFont().pointSizeF(), 1.0);
    EXPECT_EQ(window->usrGraph[1]->FontSize(), 1);
    // Sizes that are numbers keep their value.
    EXPECT_EQ(LampLabel(SwitchKind::Power)->font().pointSizeF(), 12.0);
}

TEST_F(LayoutTest, AFontSizeBeyondWhatFontsTakeEndsTheProgram) {
    Load("[Sensor Data3]\nFontSize=5000\n");
    ExpectLayoutError(380);
}

TEST_F(LayoutTest, AGaugeMinimumOf100OrMoreEndsTheProgram) {
    Load("[Main]\nSensor1=22\n[Sensor Meter1]\nVisible=True\nMin=100\nMax=200\n");
    ExpectLayoutError(380);
}

TEST_F(LayoutTest, AReversedGaugeRangeEndsTheProgram) {
    Load("[Main]\nSensor1=7\n[Sensor Meter1]\nVisible=True\n");  // coolant: 158 down to -59
    ExpectLayoutError(380);
}

TEST_F(LayoutTest, AGaugeForASlotWithoutAnItemEndsTheProgram) {
    Load("[Sensor Meter4]\nVisible=True\nMin=0\nMax=50\n");
    ExpectLayoutError(6);
}

TEST_F(LayoutTest, AnItemCodeAboveAByteFailsOnlyWithAGaugeOrGraph) {
    Load("[Main]\nSensor3=400\n");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(State().SlotItem[3], 400);
}

TEST_F(LayoutTest, AnItemCodeAboveAByteWithAGraphEndsTheProgram) {
    Load("[Main]\nSensor3=400\n[Sensor Graph3]\nVisible=True\n");
    ExpectLayoutError(6);
}

TEST_F(LayoutTest, ANumberTooLargeForItsTargetEndsTheProgram) {
    Load("[Main]\nSensor1=40000\n");
    ExpectLayoutError(6);
}

TEST_F(LayoutTest, AFailedLayoutWritesNothing) {
    Load("[Main Form]\nLeft=5\n[Sensor Name1]\nFontBold=yes\n");
    const std::string before = ReadText(IniPath());
    ASSERT_TRUE(host.ended);
    // A close event arriving afterwards unloads nothing.
    window->close();
    EXPECT_EQ(ReadText(IniPath()), before);
}

}  // namespace
}  // namespace orvane::testing
