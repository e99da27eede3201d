// At "Max" the window is repainted at most once a frame, yet what the screen shows when
// playback stops is exactly what painting every sample would have shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>

#include "DemoDrive.h"
#include "TempDir.h"
#include "settings/modCommon.h"
#include "window/QtPlayerHost.h"
#include "window/RepaintThrottle.h"
#include "window/TextBox.h"
#include "window/frmPlayer.h"

namespace orvane::testing {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class RepaintThrottleTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSettingsFilePath(ORVANE_DEMO_INI);
        ForgetCachedSettings();
        demo::WriteDemoLog(log, 600, 7, DateTime::FromCivil(2026, 12, 5, 10));
    }
    void TearDown() override {
        SetSettingsFilePath("");
        ForgetCachedSettings();
    }

    // A shown player on the demo layout with the log open at `speed`.
    std::unique_ptr<frmPlayer> Player(bool throttle, const char* speed = "Max") {
        auto window = std::make_unique<frmPlayer>(host);
        window->Form_Load();
        window->SetRepaintThrottle(throttle);
        window->show();
        QApplication::processEvents();
        window->State().LogFileName = log;
        window->OpenLog(log);
        window->cboSpeed->setCurrentIndex(window->cboSpeed->findText(QString::fromLatin1(speed)));
        window->cboSpeed_Click();
        return window;
    }

    // What the screen shows of the window: its backing store as last flushed.
    static QImage OnScreen(frmPlayer& window) {
        return window.screen()->grabWindow(window.winId()).toImage();
    }
    // The window as its controls would paint it now.
    static QImage Rendered(frmPlayer& window) {
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TempDir dir;
    const std::string log = dir.File("orvn0001.bin");
    QtPlayerHost host;
};

TEST_F(RepaintThrottleTest, TheFinalPictureAtMaxEqualsThePictureWithEverySamplePainted) {
    auto throttled = Player(true);
    throttled->cmdPlay_Click();
    throttled->Timer1_Timer();
    ASSERT_EQ(throttled->txtSeq->text(), "600");
    const QImage fast = OnScreen(*throttled);
    throttled.reset();

    auto painted = Player(false);
    painted->cmdPlay_Click();
    painted->Timer1_Timer();
    QApplication::processEvents();  // the repaint of the last sample
    ASSERT_EQ(painted->txtSeq->text(), "600");
    EXPECT_EQ(fast, OnScreen(*painted));
    EXPECT_EQ(fast.convertToFormat(QImage::Format_RGB32), Rendered(*painted));
}

TEST_F(RepaintThrottleTest, AtMaxTheWindowRepaintsAtMostOnceAFrame) {
    auto window = Player(true);
    PaintCounter counter;
    window->txtSeq->installEventFilter(&counter);
    window->cmdPlay_Click();
    const auto start = std::chrono::steady_clock::now();
    window->Timer1_Timer();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto frames = elapsed / RepaintThrottle::FrameInterval;
    // One repaint a frame at most, one at the start, one when playback ends.
    EXPECT_LE(counter.paints, frames + 2) << "600 samples shown";
    EXPECT_GE(counter.paints, 1);
    EXPECT_EQ(OnScreen(*window).convertToFormat(QImage::Format_RGB32), Rendered(*window));
}

TEST_F(RepaintThrottleTest, APauseAtMaxShowsTheSampleItStoppedOn) {
    auto window = Player(true);
    window->cmdPlay_Click();
    // Pause from inside the play loop's pump once a good part of the log has been shown.
    QTimer pauser;
    QObject::connect(&pauser, &QTimer::timeout, window.get(), [&window] {
        if (window->State().PlayPosition > 300) window->cmdPause_Click();
    });
    pauser.start(0);
    window->Timer1_Timer();
    ASSERT_FALSE(window->Timer1Enabled());
    ASSERT_LT(window->State().PlayPosition, 600);
    EXPECT_EQ(OnScreen(*window).convertToFormat(QImage::Format_RGB32), Rendered(*window));
}

TEST_F(RepaintThrottleTest, AtOtherSpeedsEverySampleIsPainted) {
    demo::WriteDemoLog(log, 12, 7, DateTime::FromCivil(2026, 12, 5, 10));
    auto window = Player(true, "x5");
    PaintCounter counter;
    window->txtSeq->installEventFilter(&counter);
    window->cmdPlay_Click();
    window->Timer1_Timer();
    ASSERT_EQ(window->txtSeq->text(), "12");
    // Every sample but the first follows a wait whose pump paints the one before it.
    EXPECT_GE(counter.paints, 11);
    EXPECT_EQ(OnScreen(*window).convertToFormat(QImage::Format_RGB32), Rendered(*window));
}

}  // namespace
}  // namespace orvane::testing
