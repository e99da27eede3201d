#pragma once

#include <QObject>
#include <chrono>
#include <functional>

class QWidget;

namespace orvane {

// Holds a window's repaints back to at most one a frame while `throttled` says so (the
// player playing at "Max"): every sample still goes into the controls, but the window is
// repainted and flushed to the screen once a frame, and once more when playback stops.
//
// Qt asks a window to repaint what changed (and flush it to the screen) with one update
// request; the changed regions stay marked until it is handled. A request within a frame
// of the last repaint is held back here, and RepaintIfDue() hands it on once its frame
// has come. Off (SetEnabled(false)), every request is handled at once, as at the other
// speeds.
class RepaintThrottle : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::microseconds FrameInterval{16667};

    RepaintThrottle(QWidget& window, std::function<bool()> throttled);
    ~RepaintThrottle() override;

    void SetEnabled(bool on) { enabled_ = on; }
    // Repaints what changed if a repaint was held back and its frame has come (or the
    // throttle no longer applies).
    void RepaintIfDue();
    // Repaints what changed and flushes it to the screen at once.
    void RepaintNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Throttled() const { return enabled_ && throttled_(); }

    QWidget& window_;
    std::function<bool()> throttled_;
    bool enabled_ = true;
    bool heldBack_ = false;
    bool handing_ = false;  // true while a request held back is handed on
    std::chrono::steady_clock::time_point lastRepaint_{};
};

}  // namespace orvane
