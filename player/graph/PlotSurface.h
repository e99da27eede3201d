#pragma once

#include <QImage>
#include <QRgb>
#include <vector>

#include "graph/PlotPen.h"

class QPainter;

namespace orvane {

// The graph's off-screen picture: a fixed-size grid of pixels with the few operations
// the strip chart needs. Every operation takes plot coordinates (column 0 at the left)
// and is clipped to the surface, like block copies and lines on a bitmap. The pixels are
// device pixels: a surface made for a device pixel ratio other than 1 is that many times
// larger than the picture's logical size, and the picture shows it one to one.
//
// Scrolling by one column is the operation done for every point, so the columns are
// kept in a ring: the surface remembers which stored column is plot column 0 and a
// scroll over the whole surface only moves that origin. Operations that cover part of
// the width (after the picture was resized) first put the columns back in plot order
// and then work on the pixels directly; the resulting pixels are the same either way.
class PlotSurface {
public:
    PlotSurface() = default;
    PlotSurface(const PlotSurface&) = delete;
    PlotSurface& operator=(const PlotSurface&) = delete;

    // Allocates a width x height surface filled with one colour, for a device pixel ratio.
    // A size of zero, or one that cannot be allocated, leaves the surface empty: it then
    // draws nothing.
    void Create(int width, int height, QRgb fill, double ratio = 1.0);
    void Release() noexcept;
    // Scales the picture to a new size and ratio (each new pixel takes the nearest old
    // one), for a graph whose window moved to a screen with another pixel ratio.
    void Resample(int width, int height, double ratio);

    bool IsNull() const noexcept { return width_ == 0; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    double Ratio() const noexcept { return ratio_; }

    // Copies the block x = columns .. w - 1, y = 0 .. h - 1 that many columns to the left.
    void ScrollLeft(int w, int h, int columns = 1);
    // Copies the block x = 0 .. w - 1 - columns, y = 0 .. h - 1 that many columns to the
    // right.
    void ScrollRight(int w, int h, int columns = 1);
    // Fills x = 0 .. w - 1, y = 0 .. h - 1.
    void Fill(int w, int h, QRgb colour);
    // Fills the columns x .. x + w - 1, rows 0 .. h - 1.
    void FillColumns(int x, int w, int h, QRgb colour);
    void DrawLine(const PlotPen& pen, int x0, int y0, int x1, int y1);

    QRgb Pixel(int x, int y) const;
    // A copy in plot order (for tests and screenshots; allocates).
    QImage ToImage() const;
    // Draws the surface with its top-left corner at (0, 0) of the painter, in at most two
    // slices; no copy of the pixels is made.
    void PaintTo(QPainter& painter) const;

private:
    QRgb* Row(int y) noexcept { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const QRgb* Row(int y) const noexcept {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    int Stored(int x) const noexcept {
        const int column = origin_ + x;
        return column >= width_ ? column - width_ : column;
    }
    // True when a block of w x h starting at column 0 covers every stored pixel's row
    // and exactly the surface's width, so the ring may turn instead of pixels moving.
    bool CoversWidth(int w, int h) const noexcept { return w == width_ && h >= height_; }
    void CopyColumns(int from, int to, int count) noexcept;
    // ScrollLeft (towardsLeft) or ScrollRight.
    void Scroll(int w, int h, int columns, bool towardsLeft);
    void PutInPlotOrder();
    void SetPixel(int x, int y, QRgb colour) noexcept { Row(y)[Stored(x)] = colour; }

    std::vector<QRgb> pixels_;
    QImage view_;  // wraps pixels_ for drawing on screen; never written through
    int width_ = 0;
    int height_ = 0;
    int origin_ = 0;  // stored column that holds plot column 0
    double ratio_ = 1.0;
};

}  // namespace orvane
