#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

namespace orvane {

class PlotSurface;

// The graph's visible plot (Picture1): every repaint draws the off-screen surface at the
// top-left corner, so a picture that was covered shows the same pixels again. Where the
// picture is larger than the surface (after a resize) it shows its background colour.
// The surface's pixels are device pixels and are copied one to one onto the device
// pixels the picture covers, whatever the screen's pixel ratio.
//
// A drawing that fails half-way changes the surface but must not show: the picture is
// then frozen on a copy of what it showed, until the next drawing that succeeds thaws
// it. Freezing happens only on that error path, so the picture never copies pixels
// otherwise.
class PlotPicture final : public QWidget {
public:
    PlotPicture(const PlotSurface& surface, QWidget* parent);

    void SetBackground(const QColor& colour);
    const QColor& Background() const noexcept { return background_; }

    // Keeps showing the surface as it is now, whatever happens to it, until Thaw().
    // Freezing a frozen picture keeps the first copy.
    void Freeze();
    // Shows the surface again and repaints.
    void Thaw();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintScaled(QPainter& painter, const QImage* frozen, double ratio);

    const PlotSurface& surface_;
    QColor background_;
    QImage frozen_;  // null unless frozen
    double frozenRatio_ = 1.0;
};

}  // namespace orvane
