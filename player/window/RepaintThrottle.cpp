#include "window/RepaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace orvane {

RepaintThrottle::RepaintThrottle(QWidget& window, std::function<bool()> throttled)
    : QObject(&window), window_(window), throttled_(std::move(throttled)) {
    window_.installEventFilter(this);
}

RepaintThrottle::~RepaintThrottle() = default;

bool RepaintThrottle::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_ || event->type() != QEvent::UpdateRequest || handing_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (Throttled() && now - lastRepaint_ < FrameInterval) {
        heldBack_ = true;
        return true;
    }
    heldBack_ = false;
    lastRepaint_ = now;
    return false;
}

void RepaintThrottle::RepaintIfDue() {
    if (!heldBack_) return;
    if (Throttled() && std::chrono::steady_clock::now() - lastRepaint_ < FrameInterval) return;
    RepaintNow();
}

void RepaintThrottle::RepaintNow() {
    heldBack_ = false;
    lastRepaint_ = std::chrono::steady_clock::now();
    QEvent request(QEvent::UpdateRequest);
    handing_ = true;
    QCoreApplication::sendEvent(&window_, &request);
    handing_ = false;
}

}  // namespace orvane
