#pragma once

#include <QColor>
#include <QWidget>

namespace orvane {

class PlotSurface;

// The graph's visible plot (Picture1): every repaint draws the off-screen surface at the
// top-left corner, so a picture that was covered shows the same pixels again. Where the
// picture is larger than the surface (after a resize) it shows its background colour.
class PlotPicture final : public QWidget {
public:
    PlotPicture(const PlotSurface& surface, QWidget* parent);

    void SetBackground(const QColor& colour);
    const QColor& Background() const noexcept { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PlotSurface& surface_;
    QColor background_;
};

}  // namespace orvane
