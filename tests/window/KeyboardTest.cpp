// The window's keys: what each does with no log, when stopped or paused, and while
// playing (inside the play loop's pump), and that they win over the focused control.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QtTest/QTest>
#include <algorithm>
#include <filesystem>

#include "PlayerFixture.h"
#include "log/CsvExport.h"

namespace orvane::testing {
namespace {

class KeyboardTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
    }

    // Presses and releases a key on `target` the way the desktop delivers it: first the
    // shortcut override, then the press and the release. True when the window claimed
    // the key in the override.
    bool Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               bool autoRepeat = false) {
        const QString text = modifiers.testFlag(Qt::ControlModifier) ? QString() : KeyText(key);
        QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, text, autoRepeat);
        override.ignore();
        QCoreApplication::sendEvent(target, &override);
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text, autoRepeat);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text, autoRepeat);
        QCoreApplication::sendEvent(target, &release);
        return override.isAccepted();
    }
    bool Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return Press(window.get(), key, modifiers);
    }
    static QString KeyText(int key) {
        switch (key) {
            case Qt::Key_Space:
                return QStringLiteral(" ");
            case Qt::Key_Plus:
                return QStringLiteral("+");
            case Qt::Key_Minus:
                return QStringLiteral("-");
            default:
                return QString();
        }
    }

    std::string CsvText() { return ReadText(CsvExport::CsvPathFor(State().LogFileName)); }
    static int Lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(KeyboardTest, WithNoLogOnlyTheKeysOfEnabledButtonsAct) {
    for (const int key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Left, Qt::Key_Home}) {
        EXPECT_TRUE(Press(key)) << key;
        EXPECT_FALSE(window->Timer1Enabled()) << key;  // Space does not play: Play is disabled
        EXPECT_EQ(Seq(), "");
    }
    Press(Qt::Key_E, Qt::ControlModifier);  // Output is disabled
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // The speed list is enabled with no log, as for the mouse.
    Press(Qt::Key_Plus);
    EXPECT_EQ(window->cboSpeed->currentText(), "x2");
    EXPECT_EQ(State().SpeedFactor, 2);

    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(host.openRequests.size(), 1u);
    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(host.ended);
}

TEST_F(KeyboardTest, AfterAFailedOpenSpaceDoesNotPlay) {
    // Paused in the middle of a log, then a file with records but an invalid header.
    Open(Spaced(4, 200));
    window->cmdNext_Click();
    Open(LogBuilder().StartDate(2958466.5).Numbered(3), "orvn0002.bin");
    ASSERT_FALSE(State().LogLoaded);
    Press(Qt::Key_Space);
    EXPECT_FALSE(window->Timer1Enabled());
}

TEST_F(KeyboardTest, SpacePlaysFromTheStartPausesAndResumesInTheMiddle) {
    Open(Spaced(4, 200));
    window->cmdNext_Click();  // a sample on display...
    window->cmdStop_Click();  // ...and Stop: back at the start
    Press(Qt::Key_Space);
    EXPECT_TRUE(window->Timer1Enabled());
    EXPECT_EQ(State().PlayPosition, 1);

    WhilePending(3, [this] { Press(Qt::Key_Space); });  // pause
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);

    Press(Qt::Key_Space);  // resume: nothing is reset, the pending sample comes next
    EXPECT_TRUE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
}

TEST_F(KeyboardTest, SpaceAtTheEndOfTheLogPlaysAgainFromTheStart) {
    // A partial record at the end is counted but can never be shown.
    Open(Spaced(3, 200).Tail(15));
    ASSERT_EQ(State().RecordCount, 4);
    window->cmdPlay_Click();
    RunPlayLoop();
    EXPECT_EQ(Seq(), "3");
    EXPECT_EQ(State().PlayPosition, 4);

    Press(Qt::Key_Space);
    EXPECT_TRUE(window->Timer1Enabled());
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(Seq(), "");  // Play resets the display
    RunPlayLoop();
    EXPECT_EQ(Seq(), "3");
}

TEST_F(KeyboardTest, SpaceAfterAnExportPlaysFromTheStart) {
    // The export reads to the end of the file, so Resume would show nothing.
    Open(Spaced(4, 200));
    window->cmdNext_Click();
    Press(Qt::Key_E, Qt::ControlModifier);
    Press(Qt::Key_Space);
    EXPECT_TRUE(window->Timer1Enabled());
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
}

TEST_F(KeyboardTest, WhenStoppedTheKeysDoWhatTheirButtonsDo) {
    Open(Spaced(4, 200));
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(Seq(), "3");
    Press(Qt::Key_Left);
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
    Press(Qt::Key_Home);
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_FALSE(window->Timer1Enabled());

    // Output after Stop exports the whole log.
    Press(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Lines(CsvText()), 1 + 4);

    WriteBytes(dir.File("orvn0002.bin"), Spaced(2, 100, {33}).Bytes());
    host.openAnswer = QString::fromStdString(dir.File("orvn0002.bin"));
    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(State().LogFileName, dir.File("orvn0002.bin"));
    EXPECT_EQ(State().SlotItem[1], 33);

    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(host.ended);
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
    EXPECT_NE(ReadText(IniPath()).find("Left="), std::string::npos);
    // Nothing runs after the end.
    Press(Qt::Key_Right);
    EXPECT_EQ(Seq(), "");
}

TEST_F(KeyboardTest, PlusAndMinusStepThroughTheSpeedListWithoutWrapping) {
    Press(Qt::Key_Minus);
    EXPECT_EQ(window->cboSpeed->currentText(), "x1");
    EXPECT_EQ(State().SpeedFactor, 1);
    for (int i = 0; i < 7; ++i) Press(Qt::Key_Plus);
    EXPECT_EQ(window->cboSpeed->currentText(), "Max");
    EXPECT_EQ(State().SpeedFactor, 0);
    Press(Qt::Key_Minus);
    EXPECT_EQ(window->cboSpeed->currentText(), "x5");
    EXPECT_EQ(State().SpeedFactor, 5);
    // The keypad's keys, and Shift (which "+" needs on many layouts), count as well.
    Press(window.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(State().SpeedFactor, 4);
    Press(window.get(), Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(State().SpeedFactor, 5);
}

TEST_F(KeyboardTest, OtherModifiersLeaveTheKeysToTheControls) {
    Open(Spaced(4, 200));
    EXPECT_FALSE(Press(window.get(), Qt::Key_Space, Qt::ControlModifier));
    EXPECT_FALSE(Press(window.get(), Qt::Key_Right, Qt::AltModifier));
    EXPECT_FALSE(Press(window.get(), Qt::Key_O, Qt::AltModifier));
    EXPECT_FALSE(Press(window.get(), Qt::Key_Z, Qt::NoModifier));
    EXPECT_FALSE(Press(window.get(), Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "");
    EXPECT_FALSE(host.ended);
}

TEST_F(KeyboardTest, TheWindowsKeysWinOverTheFocusedControl) {
    Open(Spaced(4, 200));
    Speed("x3");
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    // Home on the slider would seek to the first sample and show it: here it stops.
    EXPECT_TRUE(Press(window->sldLog, Qt::Key_Home));
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(window->sldLog->value(), 1);

    // Home on the speed list would choose "x1".
    Press(window->cboSpeed, Qt::Key_Right);
    Press(window->cboSpeed, Qt::Key_Home);
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(window->cboSpeed->currentText(), "x3");
    Press(window->cboSpeed, Qt::Key_Plus);
    EXPECT_EQ(window->cboSpeed->currentText(), "x4");

    // Space on a button would click that button: on Stop it plays.
    Press(window->cmdStop, Qt::Key_Space);
    EXPECT_TRUE(window->Timer1Enabled());
    // And on Play, while playing, it pauses instead of starting over.
    window->cmdPause_Click();
    window->cmdNext_Click();
    window->cmdPlay2_Click();
    Press(window->cmdPlay, Qt::Key_Space);
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(State().PlayPosition, 2);
    EXPECT_EQ(Seq(), "1");

    // A control in the transport strip, and the strip itself, are the window's too.
    EXPECT_TRUE(Press(window->fraLog, Qt::Key_Right));
    EXPECT_EQ(Seq(), "2");
}

TEST_F(KeyboardTest, DialogsKeepTheirKeys) {
    Open(Spaced(4, 200));
    QWidget dialog(window.get(), Qt::Dialog);
    QWidget* inside = new QWidget(&dialog);
    EXPECT_FALSE(Press(&dialog, Qt::Key_Space));
    EXPECT_FALSE(Press(inside, Qt::Key_Right));
    QWidget elsewhere;
    EXPECT_FALSE(Press(&elsewhere, Qt::Key_Space));
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "");
}

TEST_F(KeyboardTest, HeldStepKeysRepeatButOtherKeysActOncePerPress) {
    Open(Spaced(4, 200));
    Press(window.get(), Qt::Key_Right);
    Press(window.get(), Qt::Key_Right, Qt::NoModifier, true);
    EXPECT_EQ(Seq(), "2");
    Press(window.get(), Qt::Key_Plus, Qt::NoModifier, true);
    EXPECT_EQ(State().SpeedFactor, 2);

    Press(window.get(), Qt::Key_Home);
    Press(window.get(), Qt::Key_E, Qt::ControlModifier);
    Press(window.get(), Qt::Key_E, Qt::ControlModifier, true);
    EXPECT_EQ(Lines(CsvText()), 1 + 4);  // one export, not two

    Press(window.get(), Qt::Key_Space);
    Press(window.get(), Qt::Key_Space, Qt::NoModifier, true);
    EXPECT_TRUE(window->Timer1Enabled());  // still playing: the repeat did not pause
    Press(window.get(), Qt::Key_Q, Qt::ControlModifier, true);
    EXPECT_FALSE(host.ended);
}

// Keys that arrive while a playback step waits, run by the play loop's event pump.
class KeysDuringPlaybackTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        Open(Spaced(4, 200));  // four slices of wait per sample
        window->cmdPlay_Click();
        host.pumps = 0;  // not counting the pump at the end of the layout
    }
};

TEST_F(KeysDuringPlaybackTest, SpacePausesAndThePendingSampleComesNext) {
    WhilePending(2, [this] { Press(Qt::Key_Space); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(host.pumps, 2);  // the one after sample 1, and the first of the wait
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "2");
}

TEST_F(KeysDuringPlaybackTest, RightShowsThePendingSampleAndStops) {
    WhilePending(2, [this] { Press(Qt::Key_Right); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
}

TEST_F(KeysDuringPlaybackTest, LeftStepsBackAndStops) {
    WhilePending(4, [this] { Press(Qt::Key_Left); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "2");
    EXPECT_EQ(State().PlayPosition, 3);
}

TEST_F(KeysDuringPlaybackTest, HomeStopsAndRewinds) {
    WhilePending(3, [this] { Press(Qt::Key_Home); });
    RunPlayLoop();
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(Seq(), "");
    EXPECT_EQ(State().PlayPosition, 1);
}

TEST_F(KeysDuringPlaybackTest, PlusShortensTheRemainingSlices) {
    Open(Spaced(2, 999));
    window->cmdPlay_Click();
    WhilePending(2, [this] { Press(Qt::Key_Plus); });
    RunPlayLoop();
    std::vector<int> expected{50};
    expected.insert(expected.end(), 19, 25);
    EXPECT_EQ(host.sleeps, expected);
    EXPECT_EQ(window->cboSpeed->currentText(), "x2");
}

TEST_F(KeysDuringPlaybackTest, CtrlEExportsFromThePendingRecordAndPlaybackGoesOn) {
    WhilePending(3, [this] { Press(Qt::Key_E, Qt::ControlModifier); });
    RunPlayLoop();
    EXPECT_EQ(Seq(), "4");
    EXPECT_EQ(Lines(CsvText()), 1 + 2);
}

TEST_F(KeysDuringPlaybackTest, CtrlOOpensAnotherLogAtRecordOne) {
    WriteBytes(dir.File("orvn0002.bin"), Spaced(2, 100, {33}).Bytes());
    host.openAnswer = QString::fromStdString(dir.File("orvn0002.bin"));
    WhilePending(3, [this] { Press(Qt::Key_O, Qt::ControlModifier); });
    RunPlayLoop();
    EXPECT_EQ(host.openRequests.size(), 1u);
    EXPECT_FALSE(window->Timer1Enabled());
    EXPECT_EQ(State().SlotItem[1], 33);
    EXPECT_EQ(State().PlayPosition, 1);
    EXPECT_EQ(Seq(), "");
}

TEST_F(KeysDuringPlaybackTest, CtrlQEndsTheProgramAndNoStepRunsAfter) {
    WhilePending(2, [this] { Press(Qt::Key_Q, Qt::ControlModifier); });
    RunPlayLoop();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(Seq(), "1");
    EXPECT_FALSE(State().LogFileHandle.IsOpen());
}

}  // namespace
}  // namespace orvane::testing

namespace orvane::testing {
namespace {

class GoToTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->Form_Load();
        window->show();
        // A sample every 0.5 s from 10:00:00: sample 21 is the first at 10:00:10.
        Open(Spaced(100, 500));
        window->cmdNext_Click();
    }
    QLineEdit* Entry() { return window->findChild<QLineEdit*>(QStringLiteral("txtGoTo")); }
    void Type(const QString& text, Qt::Key end = Qt::Key_Return) {
        QTest::keyClick(window.get(), Qt::Key_J, Qt::ControlModifier);
        ASSERT_TRUE(Entry()->isVisible());
        Entry()->selectAll();
        QTest::keyClicks(Entry(), text);
        QTest::keyClick(Entry(), end);
        WaitForJobs();
    }
};

TEST_F(GoToTest, ANumberOrATimeOfDayShowsThatSamplePaused) {
    Type("42");
    EXPECT_EQ(Seq(), "42");
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_FALSE(window->Timer1Enabled());
    Type("10:00:10");
    EXPECT_EQ(Seq(), "21");
    // A time between two samples: the first one after it.
    Type("10:00:09");
    EXPECT_EQ(Seq(), "19");
}

TEST_F(GoToTest, EscapeOrABadEntryReturnsToTheSampleOnDisplayAndSaysWhy) {
    // Escape goes to the entry, not to the range.
    window->Session().SetInPoint(1);
    Type("7", Qt::Key_Escape);
    EXPECT_EQ(Seq(), "1");
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_TRUE(window->Session().Range());
    // Letters go to the entry too, not to the keys of the markers and the range.
    Type("abc");
    EXPECT_EQ(Seq(), "1");
    EXPECT_TRUE(Entry()->isVisible());
    EXPECT_TRUE(window->Session().Markers().empty());
    EXPECT_TRUE(window->picOverview->Note().contains("neither a sample number nor a time"));
    Type("101");
    EXPECT_EQ(window->picOverview->Note(), "The log has samples 1 to 100: there is no sample 101.");
    Type("11:00:00");
    EXPECT_EQ(Seq(), "1");
    EXPECT_TRUE(window->picOverview->Note().contains("11:00:00"));
    Type("25:00:00");
    EXPECT_EQ(window->picOverview->Note(), "25:00:00 is not a time of day.");
    QTest::keyClick(Entry(), Qt::Key_Escape);
    EXPECT_FALSE(Entry()->isVisible());
    EXPECT_EQ(Seq(), "1");
}

}  // namespace
}  // namespace orvane::testing
