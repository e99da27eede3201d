// Display slots follow the items the layout names, wherever a log records them.
#include <QFrame>

#include "PlayerFixture.h"
#include "log/modOrvane.h"
#include "window/ShapeLamp.h"

namespace orvane::testing {
namespace {

// Engine speed, coolant and throttle in display slots 1 to 3, each with a value box
// with alarm thresholds, a gauge and a graph of its own range; the other slots name
// nothing.
constexpr const char* kItems = "[Main]\nSensor1=33\nSensor2=7\nSensor3=23\n";
constexpr const char* kBoxes =
    "[Sensor Data1]\nThreshold1=3000\nThreshold2=5000\nAlarmColor1=65535\nAlarmColor2=16711680\n"
    "[Sensor Data2]\nThreshold1=90\nAlarmColor1=65280\n"
    "[Sensor Data3]\nThreshold1=60\nThreshold2=90\nAlarmColor1=65535\nAlarmColor2=16711680\n";
constexpr const char* kInstruments =
    "[Sensor Meter1]\nVisible=True\nLeft=460\nTop=54\nWidth=120\nHeight=60\nMin=0\nMax=8000\n"
    "[Sensor Meter2]\nVisible=True\nLeft=460\nTop=118\nWidth=120\nHeight=60\nMin=-60\nMax=160\n"
    "[Sensor Meter3]\nVisible=True\nLeft=460\nTop=182\nWidth=120\nHeight=60\nMin=0\nMax=100\n"
    "[Sensor Graph1]\nVisible=True\nLeft=600\nTop=54\nWidth=80\nHeight=60\nMin=0\nMax=8000\n"
    "[Sensor Graph2]\nVisible=True\nLeft=600\nTop=118\nWidth=80\nHeight=60\nMin=-60\nMax=160\n"
    "[Sensor Graph3]\nVisible=True\nLeft=600\nTop=182\nWidth=80\nHeight=60\nMin=0\nMax=100\n";

// The raw byte of item `code` in record `i`: the same for an item wherever a log
// records it, and different from item to item.
std::uint8_t ByteOf(std::int16_t code, int i) {
    return static_cast<std::uint8_t>((i * 37 + code * 11 + (code == 2 ? 0x84 * (i % 2) : 0)) % 256);
}

// A log of `count` records with `codes` in its slots; slot k carries ByteOf its item.
LogBuilder LogOf(std::initializer_list<std::int16_t> codes, int count = 12) {
    std::array<std::int16_t, SlotCount> codesOf;
    codesOf.fill(-1);
    std::copy(codes.begin(), codes.end(), codesOf.begin());
    LogBuilder builder;
    builder.Slots(codesOf).Start(DateTime::FromCivil(2026, 12, 5, 10));
    for (int i = 0; i < count; ++i) {
        std::array<std::uint8_t, SlotCount> bytes{};
        for (int k = 0; k < SlotCount; ++k) bytes[k] = codesOf[k] < 0 ? 0 : ByteOf(codesOf[k], i);
        builder.RecordBytes(i * 100, bytes);
    }
    return builder;
}

// What the window shows of one sample.
struct Frame {
    QStringList names, texts;
    QList<QColor> colours;
    QList<double> gauges;
    QList<QImage> graphs;
    QList<bool> lamps;
    bool operator==(const Frame&) const = default;
};

Frame Capture(const frmPlayer& w) {
    Frame f;
    for (int s = 1; s <= DisplaySlotCount; ++s) {
        f.names << w.lvlResult[s]->text();
        f.texts << w.txtResult[s]->text();
        f.colours << w.txtResult[s]->palette().color(QPalette::Text);
        f.gauges << w.mtrSensor[s]->Value();
        f.graphs << w.usrGraph[s]->PlotImage();
    }
    for (const ShapeLamp* lamp : w.shpLamp) f.lamps << lamp->On();
    return f;
}

std::string Describe(const Frame& f) {
    std::string text;
    for (int s = 0; s < DisplaySlotCount; ++s) {
        text += std::to_string(s + 1) + ":" + f.names[s].toStdString() + "=" +
                f.texts[s].toStdString() + " ";
    }
    return text;
}

class SlotBindingTest : public PlayerFixture {
protected:
    // A window of its own laid out from `ini`, with `log` opened in it.
    std::unique_ptr<frmPlayer> Window(const std::string& ini, const LogBuilder& log) {
        WriteIni(ini);
        auto w = std::make_unique<frmPlayer>(host);
        w->Form_Load();
        const std::string path = dir.File("orvn" + std::to_string(++logs_) + ".bin");
        WriteBytes(path, log.Bytes());
        w->OpenLogFile(path);
        EXPECT_TRUE(w->State().LogLoaded);
        return w;
    }
    // The window after opening, then after each sample, to the end of the log.
    static std::vector<Frame> PlayThrough(frmPlayer& w) {
        std::vector<Frame> frames{Capture(w)};
        for (int n = 1; n <= w.State().RecordCount; ++n) {
            w.cmdNext_Click();
            frames.push_back(Capture(w));
        }
        return frames;
    }
    static void ExpectSameFrames(const std::vector<Frame>& got, const std::vector<Frame>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(got[i] == want[i]) << "sample " << i << "\n got  " << Describe(got[i])
                                           << "\n want " << Describe(want[i]);
        }
    }
    // The layout, with `mainKeys` added to its [Main] section.
    static std::string Layout(const std::string& mainKeys = "") {
        return std::string(kItems) + mainKeys + kBoxes + kInstruments;
    }

    int logs_ = 0;
};

TEST_F(SlotBindingTest, ALogInTheLayoutsOrderShowsEachItemInItsOwnSlot) {
    auto w = Window(Layout(), LogOf({33, 7, 23, 6, 2}));
    w->cmdNext_Click();
    w->cmdNext_Click();
    const auto text = [](std::int16_t code, int i) {
        return QString::fromStdString(FormatValue(ConvertValue(code, ByteOf(code, i)))) +
               QString::fromLatin1(SensorUnit(code).data());
    };
    EXPECT_EQ(w->lvlResult[1]->text(), "Engine speed");
    EXPECT_EQ(w->txtResult[1]->text(), text(33, 1));
    EXPECT_EQ(w->txtResult[2]->text(), text(7, 1));
    EXPECT_EQ(w->txtResult[3]->text(), text(23, 1));
    EXPECT_EQ(w->lvlResult[4]->text(), "Timing advance");
    EXPECT_EQ(w->txtResult[4]->text(), text(6, 1));
    EXPECT_DOUBLE_EQ(w->mtrSensor[1]->Value(), ConvertValue(33, ByteOf(33, 1)));
}

TEST_F(SlotBindingTest, PermutedLogsShowExactlyWhatTheLayoutsOrderShows) {
    const auto reference = PlayThrough(*Window(Layout(), LogOf({33, 7, 23, 6, 38, 2})));
    // Values, names, alarm colours, needles, graph pixels and lamps all follow.
    ExpectSameFrames(PlayThrough(*Window(Layout(), LogOf({6, 38, 2, 23, 7, 33}))), reference);
    // The switch byte first: nothing shifts, nothing is lost.
    ExpectSameFrames(PlayThrough(*Window(Layout(), LogOf({2, 33, 7, 23, 6, 38}))), reference);
    // Items in slots without display controls of their own are shown too.
    ExpectSameFrames(PlayThrough(*Window(Layout(), LogOf({2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                          -1, -1, -1, -1, 23, 7, 33}))),
                     PlayThrough(*Window(Layout(), LogOf({33, 7, 23, 2}))));
}

TEST_F(SlotBindingTest, AMissingItemShowsNoValueAndNeverAnotherItem) {
    auto w = Window(Layout(), LogOf({33, 23, 6, 38}));
    for (int i = 0; i < 5; ++i) w->cmdNext_Click();
    EXPECT_EQ(w->lvlResult[2]->text(), "Coolant temp");
    EXPECT_EQ(w->txtResult[2]->text(), "");
    EXPECT_EQ(w->mtrSensor[2]->Value(), w->mtrSensor[2]->MinValue());
    const QImage plot = w->usrGraph[2]->PlotImage();
    for (int y = 0; y < plot.height(); ++y) {
        for (int x = 0; x < plot.width(); ++x) ASSERT_EQ(plot.pixelColor(x, y), QColor(Qt::black));
    }
    EXPECT_EQ(w->txtResult[3]->text().right(1), "%");
    // The items no slot names fill the slots that name nothing, in log order.
    EXPECT_EQ(w->lvlResult[4]->text(), "Timing advance");
    EXPECT_EQ(w->lvlResult[5]->text(), "Knock sum");
    EXPECT_EQ(w->txtResult[5]->text(), QString::number(ByteOf(38, 4)));
}

TEST_F(SlotBindingTest, SlotsNamingTheSameItemTakeItsLogSlotsInOrder) {
    const std::string layout = Layout("Sensor4=33\n");
    auto twice = Window(layout, LogOf({33, 7, 23, 22, 33}));
    twice->cmdNext_Click();
    EXPECT_EQ(twice->Session().Bindings()[0].Source, 1);
    EXPECT_EQ(twice->Session().Bindings()[3].Source, 5);
    EXPECT_EQ(twice->lvlResult[4]->text(), "Engine speed");
    EXPECT_EQ(twice->lvlResult[5]->text(), "ISC position");

    auto once = Window(layout, LogOf({22, 33, 7, 23}));
    once->cmdNext_Click();
    EXPECT_EQ(once->Session().Bindings()[0].Source, 2);
    EXPECT_EQ(once->Session().Bindings()[3].Source, 0);
    EXPECT_EQ(once->lvlResult[4]->text(), "Engine speed");
    EXPECT_EQ(once->txtResult[4]->text(), "");
}

TEST_F(SlotBindingTest, WithoutSensorKeysOrWithPositionBindingSlotsFollowTheLogsOrder) {
    const LogBuilder permuted = LogOf({6, 38, 23, 2, 7, 33});
    // Gauges and graphs need their items named, so these layouts show value boxes only.
    const auto byPosition =
        PlayThrough(*Window(std::string(kItems) + "SlotBinding=position\n" + kBoxes, permuted));
    // Slot s shows log slot s, with slot s's thresholds: timing where rpm was designed.
    const Frame& second = byPosition[2];
    EXPECT_EQ(second.names[0], "Timing advance");
    EXPECT_EQ(second.texts[0].toStdString(), FormatValue(ConvertValue(6, ByteOf(6, 1))) + "deg");
    EXPECT_EQ(second.texts[3], "");  // the switch byte drives the lamps only
    EXPECT_EQ(second.names[5], "Engine speed");

    // A layout that names no items binds by position whatever SlotBinding says.
    ExpectSameFrames(
        PlayThrough(*Window(std::string("[Main]\nSlotBinding=Item\n") + kBoxes, permuted)),
        byPosition);
}

TEST_F(SlotBindingTest, ByItemAndByPositionAgreeWhenTheLogFollowsTheLayout) {
    const LogBuilder ordered = LogOf({33, 7, 23, 6, 2});
    ExpectSameFrames(PlayThrough(*Window(Layout("SlotBinding=Position\n"), ordered)),
                     PlayThrough(*Window(Layout(), ordered)));
}

TEST_F(SlotBindingTest, ASecondLogLeavesNothingOfTheFirstOnUnboundSlots) {
    auto w = Window(Layout(), LogOf({33, 7, 23, 6, 38}));
    w->cmdNext_Click();
    ASSERT_EQ(w->lvlResult[5]->text(), "Knock sum");
    const std::string path = dir.File("orvn-second.bin");
    WriteBytes(path, LogOf({33, 7, 23}).Bytes());
    w->OpenLogFile(path);
    EXPECT_EQ(w->lvlResult[4]->text(), "");
    EXPECT_EQ(w->lvlResult[5]->text(), "");
    EXPECT_EQ(w->txtResult[5]->text(), "");
}

TEST_F(SlotBindingTest, TheTitleNamesTheOpenLog) {
    auto w = Window(Layout(), LogOf({33}));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("orvn1.bin \u2014 E39A Orvane LogFile Player"));
    w->CloseLog();
    EXPECT_EQ(w->windowTitle(), "E39A Orvane LogFile Player");
}

}  // namespace
}  // namespace orvane::testing
