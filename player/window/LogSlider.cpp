#include "window/LogSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace orvane {

LogSlider::LogSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // A drag shows where it goes and seeks once, where it ends.
    setTracking(false);
    // Keys and the wheel change the value at once; mouse presses are handled below, and
    // values the program sets come with signals blocked.
    connect(this, &QSlider::valueChanged, this, [this] {
        if (!isSliderDown() && isEnabled()) emit Seek();
    });
}

void LogSlider::ShowValue(int value) {
    if (isSliderDown()) return;
    const QSignalBlocker blocker(this);
    setValue(value);
}

QRect LogSlider::HandleRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

int LogSlider::ValueAtCentre(int x) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int left = x - handle.width() / 2 - groove.x();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), left, span, option.upsideDown);
}

void LogSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && minimum() < maximum()) {
        const QPoint at = event->position().toPoint();
        if (!HandleRect().contains(at)) setSliderPosition(ValueAtCentre(at.x()));
    }
    const int before = value();
    {
        // What the press itself changes is reported below, once.
        const QSignalBlocker blocker(this);
        QSlider::mousePressEvent(event);
    }
    // A press that does not hold the thumb (another button's page step) seeks at once.
    if (!isSliderDown() && value() != before && isEnabled()) emit Seek();
}

void LogSlider::mouseReleaseEvent(QMouseEvent* event) {
    const bool held = isSliderDown();
    {
        const QSignalBlocker blocker(this);
        QSlider::mouseReleaseEvent(event);
    }
    if (held && !isSliderDown() && isEnabled()) emit Seek();
}

}  // namespace orvane
