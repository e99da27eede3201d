// The position slider under the user's mouse and keys while a log plays: every choice
// the user makes seeks and pauses there, and the shown samples never pull the thumb
// out of the user's hand.
#include <QTest>
#include <deque>
#include <utility>

#include "PlayerFixture.h"

namespace orvane::testing {
namespace {

class SliderTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        window->show();
        ShowGraph(1, 0, 200);
        Open(Spaced(100, 200));  // 200 ms apart: four pumps per sample
        window->cmdPlay_Click();
    }

    LogSlider* Slider() { return window->sldLog; }
    QPoint Thumb() { return Slider()->HandleRect().center(); }

    // Runs each command in the first pump of the wait for its pending record, in order.
    void Script(std::deque<std::pair<std::int32_t, std::function<void()>>> steps) {
        host.onPump = [this, steps = std::move(steps)]() mutable {
            if (!steps.empty() && State().PlayPosition == steps.front().first) {
                auto command = std::move(steps.front().second);
                steps.pop_front();
                command();
            }
            if (!steps.empty()) Script(std::move(steps));
        };
    }

    // The leftmost column with anything drawn on the black background, or -1.
    static int LeftmostDrawnColumn(const QImage& plot) {
        for (int x = 0; x < plot.width(); ++x) {
            for (int y = 0; y < plot.height(); ++y) {
                if (plot.pixel(x, y) != qRgb(0, 0, 0)) return x;
            }
        }
        return -1;
    }

    // The state of a pause at `sample` reached by a seek: the sample on display, the
    // next one pending, the graphs restarted with the one point of the sample.
    void ExpectPausedByASeekAt(int sample) {
        EXPECT_FALSE(window->Timer1Enabled());
        EXPECT_EQ(Seq(), QString::number(sample));
        EXPECT_EQ(State().PlayPosition, sample + 1);
        EXPECT_EQ(Slider()->value(), sample);
        // The graph restarted: the one segment of this sample is all it shows.
        EXPECT_EQ(LeftmostDrawnColumn(window->usrGraph[1]->PlotImage()), 37);
    }
};

TEST_F(SliderTest, AClickOnTheThumbDuringPlaybackPausesAtItsSample) {
    Script({{6, [this] { QTest::mouseClick(Slider(), Qt::LeftButton, {}, Thumb()); }}});
    RunPlayLoop();
    // Sample 5 was on display: the click chose it, although the value did not change.
    ExpectPausedByASeekAt(5);
}

TEST_F(SliderTest, AThumbHeldWhileSamplesAreShownStaysAndSeeksWhereItIsReleased) {
    int positionWhileHeld = 0;
    Script({
        {6, [this] { QTest::mousePress(Slider(), Qt::LeftButton, {}, Thumb()); }},
        {9,
         [this, &positionWhileHeld] {
             positionWhileHeld = Slider()->sliderPosition();
             QTest::mouseRelease(Slider(), Qt::LeftButton, {}, Thumb());
         }},
    });
    RunPlayLoop();
    EXPECT_EQ(positionWhileHeld, 5);  // samples 6 to 8 were shown meanwhile
    ExpectPausedByASeekAt(5);
}

TEST_F(SliderTest, ADragSeeksWhereItIsReleased) {
    Script({{4, [this] {
                 const QPoint from = Thumb();
                 QTest::mousePress(Slider(), Qt::LeftButton, {}, from);
                 QTest::mouseMove(Slider(), from + QPoint(300, 0));
                 QTest::mouseRelease(Slider(), Qt::LeftButton, {}, from + QPoint(300, 0));
             }}});
    RunPlayLoop();
    const int chosen = Slider()->value();
    EXPECT_GT(chosen, 40);
    ExpectPausedByASeekAt(chosen);
}

TEST_F(SliderTest, AClickInTheGrooveJumpsThere) {
    const int x = Slider()->width() * 3 / 4;
    Script({{4, [this, x] { QTest::mouseClick(Slider(), Qt::LeftButton, {}, {x, Thumb().y()}); }}});
    RunPlayLoop();
    const int chosen = Slider()->value();
    ExpectPausedByASeekAt(chosen);
    // The thumb's centre came to the pointer (to the pixel of one record's step).
    EXPECT_NEAR(Thumb().x(), x, 7);
    EXPECT_GT(chosen, 60);
}

TEST_F(SliderTest, KeysSeekAtOnce) {
    Script({{4, [this] {
                 Slider()->setFocus();
                 QTest::keyClick(Slider(), Qt::Key_PageUp);
             }}});
    RunPlayLoop();
    ExpectPausedByASeekAt(3 + Slider()->pageStep());
}

TEST_F(SliderTest, TheProgramsOwnPositionsNeverSeek) {
    window->cmdPause_Click();
    window->cmdNext_Click();
    window->cmdNext_Click();
    window->cmdStop_Click();
    window->cmdNext_Click();
    EXPECT_EQ(Seq(), "1");
    EXPECT_EQ(Slider()->value(), 1);
    EXPECT_EQ(State().PlayPosition, 2);
}

}  // namespace
}  // namespace orvane::testing
