#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "common/RuntimeError.h"
#include "graph/usrGraph.h"

namespace graphtest {

inline const QRgb kBack = qRgb(0, 0, 0);
inline const QRgb kFore = qRgb(0, 255, 0);
inline const QRgb kThreshold1 = qRgb(255, 255, 0);  // the default colours
inline const QRgb kThreshold2 = qRgb(255, 0, 0);

// A hidden graph of w x h on black with a green line, initialized through BackColor as
// the player's layout does it, with the scale min .. max.
inline std::unique_ptr<orvane::usrGraph> MakeGraph(int w, int h, double min, double max) {
    auto graph = std::make_unique<orvane::usrGraph>();
    graph->resize(w, h);
    graph->SetBackColor(meter::Colour::Rgb(0, 0, 0));
    graph->SetForeColor(meter::Colour::Rgb(0, 255, 0));
    graph->SetMinValue(min);
    graph->SetMaxValue(max);
    return graph;
}

// Rows of column x that have the given colour, top to bottom.
inline std::vector<int> RowsIn(const QImage& image, int x, QRgb colour) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour) rows.push_back(y);
    }
    return rows;
}

inline int CountColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour ? 1 : 0;
    }
    return count;
}

// The error number thrown by f, or 0 when it throws nothing.
template <class F>
int ErrorNumberOf(F&& f) {
    try {
        f();
    } catch (const orvane::RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace graphtest
