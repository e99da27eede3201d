#include "graph/PlotSurface.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <random>
#include <vector>

#include "graph/LineRaster.h"

namespace {

using orvane::PlotPen;
using orvane::PlotSurface;

// The surface as plain block copies on a bitmap would leave it: no ring, every pixel
// moved where it belongs. The ring-buffer surface must match it pixel for pixel.
class ReferenceSurface {
public:
    ReferenceSurface(int width, int height, QRgb fill)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

    void Copy(int sourceX, int targetX, int w, int h) {
        const std::vector<QRgb> before = pixels_;
        for (int y = 0; y < std::min(h, height_); ++y) {
            for (int i = 0; i < w; ++i) {
                const int from = sourceX + i;
                const int to = targetX + i;
                if (from < 0 || from >= width_ || to < 0 || to >= width_) continue;
                pixels_[y * width_ + to] = before[y * width_ + from];
            }
        }
    }
    void ScrollLeft(int w, int h, int k) { Copy(k, 0, w - k, h); }
    void ScrollRight(int w, int h, int k) { Copy(0, k, w - k, h); }
    void FillColumns(int x0, int w, int h, QRgb colour) {
        for (int y = 0; y < std::min(h, height_); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x0 + w, width_); ++x) {
                pixels_[y * width_ + x] = colour;
            }
        }
    }
    void Fill(int w, int h, QRgb colour) {
        for (int y = 0; y < std::min(h, height_); ++y) {
            for (int x = 0; x < std::min(w, width_); ++x) pixels_[y * width_ + x] = colour;
        }
    }
    void DrawLine(const PlotPen& pen, int x0, int y0, int x1, int y1) {
        const auto plot = [&](int x, int y) { pixels_[y * width_ + x] = pen.colour; };
        if (pen.width <= 1) {
            orvane::raster::ThinLine(x0, y0, x1, y1, width_, height_, plot);
        } else {
            orvane::raster::WideLine(x0, y0, x1, y1, pen.width, width_, height_, plot);
        }
    }
    QRgb Pixel(int x, int y) const { return pixels_[y * width_ + x]; }

private:
    int width_;
    int height_;
    std::vector<QRgb> pixels_;
};

void ExpectSame(const PlotSurface& surface, const ReferenceSurface& reference, int step) {
    const QImage image = surface.ToImage();
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            ASSERT_EQ(surface.Pixel(x, y), reference.Pixel(x, y))
                << "pixel " << x << "," << y << " after step " << step;
            ASSERT_EQ(image.pixel(x, y), reference.Pixel(x, y))
                << "image pixel " << x << "," << y << " after step " << step;
        }
    }
}

// Random mixes of the operations, with the block size mostly the surface's own (the
// ring turns) and sometimes narrower, wider, shorter or taller (pixels move).
void RunRandomOperations(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const QRgb background = qRgb(0, 0, 0);
    PlotSurface surface;
    surface.Create(width, height, background);
    ReferenceSurface reference(width, height, background);

    for (int step = 0; step < 1500; ++step) {
        const int w = pick(0, 9) < 7 ? width : pick(0, width + 2);
        const int h = pick(0, 9) < 7 ? height : pick(0, height + 2);
        const PlotPen pen{qRgb(pick(1, 255), pick(0, 255), pick(0, 255)),
                          pick(0, 4) == 0 ? pick(2, 4) : 0};
        // Mostly one column, as at ratio 1; two or more as a fractional ratio scrolls.
        const int columns = pick(0, 3) == 0 ? pick(2, std::max(2, width)) : 1;
        switch (pick(0, 5)) {
            case 0:
            case 1:
                surface.ScrollLeft(w, h, columns);
                reference.ScrollLeft(w, h, columns);
                break;
            case 2:
                surface.ScrollRight(w, h, columns);
                reference.ScrollRight(w, h, columns);
                break;
            case 3:
                if (pick(0, 5) == 0) {
                    surface.Fill(w, h, pen.colour);
                    reference.Fill(w, h, pen.colour);
                    break;
                }
                if (pick(0, 2) == 0) {
                    const int x = pick(-2, width);
                    surface.FillColumns(x, columns, h, pen.colour);
                    reference.FillColumns(x, columns, h, pen.colour);
                    break;
                }
                [[fallthrough]];
            default: {
                const int x0 = pick(-3, width + 3);
                const int y0 = pick(-3, height + 3);
                const int x1 = pick(0, 1) ? x0 + 1 : pick(-3, width + 3);
                const int y1 = pick(-3, height + 3);
                surface.DrawLine(pen, x0, y0, x1, y1);
                reference.DrawLine(pen, x0, y0, x1, y1);
            }
        }
        ExpectSame(surface, reference, step);
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(PlotSurface, RingBufferGivesTheSamePixelsAsBlockCopies) {
    RunRandomOperations(7, 5, 1);
    RunRandomOperations(37, 11, 2);
    RunRandomOperations(2, 3, 3);
    RunRandomOperations(1, 4, 4);
}

TEST(PlotSurface, PaintsInPlotOrderWhateverTheRingOrigin) {
    PlotSurface surface;
    surface.Create(40, 10, qRgb(0, 0, 0));
    for (int i = 0; i < 57; ++i) {
        surface.ScrollLeft(40, 10);
        surface.DrawLine({qRgb(i, 255 - i, 7), 0}, 37, i % 10, 38, (i + 3) % 10);
    }
    QImage painted(40, 10, QImage::Format_RGB32);
    painted.fill(Qt::white);
    {
        QPainter painter(&painted);
        surface.PaintTo(painter);
    }
    EXPECT_EQ(painted, surface.ToImage());
}

// A surface moved to a screen of another pixel ratio keeps its picture, each new pixel
// taking the nearest old one.
TEST(PlotSurface, ResamplesToAnotherRatio) {
    PlotSurface surface;
    surface.Create(4, 2, qRgb(0, 0, 0));
    surface.ScrollLeft(4, 2);  // the ring turns: the picture is read in plot order
    surface.DrawLine({qRgb(255, 0, 0), 0}, 1, 0, 1, 2);
    surface.Resample(8, 4, 2.0);
    EXPECT_EQ(surface.Ratio(), 2.0);
    ASSERT_EQ(surface.ToImage().size(), QSize(8, 4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(surface.Pixel(x, y), x / 2 == 1 ? qRgb(255, 0, 0) : qRgb(0, 0, 0))
                << x << ", " << y;
        }
    }
}

TEST(PlotSurface, EmptySurfaceDrawsNothingAndFailsNothing) {
    PlotSurface surface;
    surface.Create(0, 50, qRgb(1, 2, 3));
    EXPECT_TRUE(surface.IsNull());
    surface.ScrollLeft(10, 10);
    surface.ScrollRight(10, 10);
    surface.Fill(10, 10, qRgb(1, 1, 1));
    surface.DrawLine({qRgb(1, 1, 1), 3}, 0, 0, 5, 5);
    EXPECT_TRUE(surface.ToImage().isNull());
    QImage target(4, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    surface.PaintTo(painter);
}

}  // namespace
